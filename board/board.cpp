#include "board/board.h"

#include "board/area_node.h"
#include "board/board_properties.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/mounting.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/board_layer.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"

#include <cmath>

using namespace std::literals;

namespace {

// Shared by every board for the whole run, so that names made on one board
// never repeat those made on another.
int g_netNameCounter = 0;

template <class F> bool ForEachPadOf(const CTreeNode* holder, F f) {
    for (CTreeNode* child : holder->GetChildren())
        if (child->GetType() == NodeType::Padstack)
            for (CTreeNode* pad : child->GetChildren())
                if (pad->GetType() == NodeType::Pad)
                    if (f(static_cast<CPad*>(pad)))
                        return true;
    return false;
}

void JoinPinToNet(CPin* pin, CNet* net) {
    pin->m_pNet = net;
    net->m_pins.insert(pin);
}

std::wstring_view OutlineText(const CBoard& board) {
    thread_local std::wstring text;
    text = AreaOutlineToString(board.m_outline);
    return text;
}
void ReadOutline(CBoard& board, const std::wstring_view* text) {
    // The outline put back as it stands keeps its nodes: the histories'
    // records of outline edits name them.
    if ((text ? *text : std::wstring_view()) == AreaOutlineToString(board.m_outline))
        return;
    DeleteAreaOutline(board.m_outline);
    board.m_outline = ParseAreaOutline(text ? std::wstring(*text) : std::wstring(), &g_pActiveView);
}
void VaryOutline(CBoard& board) {
    DeleteAreaOutline(board.m_outline);
    board.CreateDefaultOutline();
}

constexpr NodeAttributes<CBoard, 3> kAttributes{{
    Attr::UInt<&CBoard::m_unit>(L"Unit", 1),
    Attr::FloatPair<&CBoard::m_gridX, &CBoard::m_gridY>(L"Grid"),
    Attr::Custom<CBoard, OutlineText, ReadOutline, VaryOutline>(L"Outline"),
}};
const RegisterNodeAttributes kRegistered(L"Board", kAttributes);

} // namespace

CBoard::CBoard() : CTreeNode(NodeType::Board) {}

CBoard::CBoard(const CBoard& other)
    : CTreeNode(other), m_outline(CloneAreaOutline(other.m_outline)), m_unit(other.m_unit),
      m_gridX(other.m_gridX), m_gridY(other.m_gridY) {}

CBoard::~CBoard() {
    DeleteAreaOutline(m_outline);
}

void CBoard::ClearOwnSelection() {
    CTreeNode::ClearOwnSelection();
    DeselectAreaOutline(m_outline);
}

CTreeNode* CBoard::Clone() const {
    // One clone operation: the copied sheets, objects, nets, pins, pads and
    // conductors are linked to each other when it ends. The copy is the board
    // as it stands, components where they are placed.
    CCloneScope scope(true);
    return scope.Record(this, new CBoard(*this));
}

const wchar_t* CBoard::GetTagName() const {
    return L"Board";
}

void CBoard::ReadAttributes() {
    kAttributes.Read(*this);
}

void CBoard::WriteAttributes() {
    kAttributes.Write(*this);
}

void CBoard::CreateDefaultOutline() {
    const float pts[4][2] = {{0, 0}, {100, 0}, {100, 50}, {0, 50}};
    for (const auto& p : pts)
        AppendAreaNode(m_outline, new CAreaSegment(&g_pActiveView, p[0], p[1]));
}

CLayer* CBoard::FindLayer(int id) const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Layer && static_cast<CLayer*>(child)->m_id == id)
            return static_cast<CLayer*>(child);
    return nullptr;
}

CLayer* CBoard::FindLayerByCode(const std::wstring& code) const {
    return FindLayer(LayerFromCode(code));
}

int CBoard::GetInnerLayerCount() const {
    int n = 0;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Layer) {
            const int id = static_cast<CLayer*>(child)->m_id;
            n += id >= 2 && id <= 21;
        }
    return n;
}

void CBoard::ResetNetNameCounter() {
    g_netNameCounter = 0;
}

std::wstring CBoard::NewNetName() {
    std::wstring name;
    do
        name = StrPrintf(L"N%d", ++g_netNameCounter);
    while (FindNet(name));
    return name;
}

CBoardProperties* CBoard::FindBoardProperties(CThermalRelief** thermal, CPadstack** via) const {
    if (thermal)
        *thermal = nullptr;
    if (via)
        *via = nullptr;
    CBoardProperties* props = nullptr;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::BoardProperties) {
            props = static_cast<CBoardProperties*>(child);
            break;
        }
    if (!props)
        return nullptr;
    CPadstack* named = nullptr;
    CPadstack* first = nullptr;
    for (CTreeNode* child : props->GetChildren()) {
        if (child->GetType() == NodeType::ThermalRelief && thermal)
            *thermal = static_cast<CThermalRelief*>(child);
        if (child->GetType() == NodeType::Padstack) {
            auto* padstack = static_cast<CPadstack*>(child);
            if (!first)
                first = padstack;
            if (padstack->GetName() == props->m_defaultVia)
                named = padstack;
        }
    }
    if (via)
        *via = named ? named : first;
    return props;
}

CMounting* CBoard::FindMounting() const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Mounting)
            return static_cast<CMounting*>(child);
    return nullptr;
}

CNet* CBoard::FindNet(const std::wstring& name) const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Net && child->GetText() == name)
            return static_cast<CNet*>(child);
    return nullptr;
}

bool CBoard::IsNetNameUnique(const std::wstring& name) const {
    return FindNet(name) == nullptr;
}

CNet* CBoard::FindOrAddNet(std::wstring name) {
    if (name.empty())
        name = NewNetName();
    else if (CNet* found = FindNet(name))
        return found;
    auto* net = new CNet(name.c_str());
    AddChild(net);
    PushUndo(new CUndoInsert(net, nullptr));
    return net;
}

CFootprint* CBoard::FindFootprintAt(float x, float y,
                                    const std::vector<CPackage*>* extraPackages) const {
    auto at = [x, y](CPackage* package) -> CFootprint* {
        CFootprint* footprint = package->GetFootprint();
        if (footprint && footprint->m_boardPosition.X == x && footprint->m_boardPosition.Y == y)
            return footprint;
        return nullptr;
    };
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Package)
            if (CFootprint* found = at(static_cast<CPackage*>(child)))
                return found;
    if (extraPackages)
        for (CPackage* package : *extraPackages)
            if (CFootprint* found = at(package))
                return found;
    return nullptr;
}

CPad* CBoard::FindPadAt(Graphics* g, float x, float y, CNet* net) const {
    CPad* hit = nullptr;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::Net) {
            if (net && child != net)
                continue;
            ForEachPadOf(child, [&](CPad* pad) {
                if (pad->HitTestOnBoard(g, x, y))
                    hit = pad;
                return hit != nullptr;
            });
        } else if (child->GetType() == NodeType::Package) {
            // A package whose footprint is not bound yet has no pads.
            CFootprint* footprint = static_cast<CPackage*>(child)->GetFootprint();
            if (!footprint)
                continue;
            const PointF local = footprint->BoardToLocal(x, y);
            ForEachPadOf(footprint, [&](CPad* pad) {
                if (pad->HitTestOnBoard(g, local.X, local.Y) &&
                    (!net || pad->GetNetName() == net->GetName()))
                    hit = pad;
                return hit != nullptr;
            });
        }
        if (hit)
            return hit;
    }
    return nullptr;
}

void CBoard::BuildNets() {
    // Nets made for fixed net names are appended while the walk goes on.
    for (std::size_t i = 0; i < GetChildCount(); ++i) {
        CTreeNode* child = GetChild(i);
        if (child->GetType() == NodeType::Net) {
            for (CTreeNode* c : child->GetChildren()) {
                if (c->GetType() != NodeType::Conductor)
                    continue;
                for (ConductorVertex& v : static_cast<CConductor*>(c)->m_vertices) {
                    if (v.tie.IsBreakPoint())
                        continue;
                    ForEachPadOf(child, [&](CPad* pad) {
                        const PointF p = pad->GetBoardPosition();
                        if (std::fabs(p.X - v.x) < 0.001f && std::fabs(p.Y - v.y) < 0.001f)
                            v.tie = VertexTie::ToPad(pad);
                        return false;
                    });
                }
            }
        } else if (child->GetType() == NodeType::Package) {
            auto* package = static_cast<CPackage*>(child);
            CFootprint* footprint = package->GetFootprint();
            // The package's children may grow while pins join nets; walk a copy.
            const std::vector<CTreeNode*> members = package->GetChildren();
            for (CTreeNode* member : members) {
                if (member->GetType() == NodeType::Part && member->IsOnSheet()) {
                    for (CTreeNode* p : member->GetChildren()) {
                        if (p->GetType() != NodeType::Pin)
                            continue;
                        auto* pin = static_cast<CPin*>(p);
                        const POINT at = pin->GetConnectionPoint();
                        // Only wires on the part's own sheet touch its pins.
                        const CSheet* sheet = pin->GetSheet();
                        for (std::size_t k = 0; k < GetChildCount(); ++k)
                            if (CTreeNode* n = GetChild(k);
                                n->GetType() == NodeType::Net &&
                                static_cast<CNet*>(n)->FindWireAt(at, sheet)) {
                                if (pin->m_pNet && pin->m_pNet != n)
                                    pin->m_pNet->m_pins.erase(pin);
                                JoinPinToNet(pin, static_cast<CNet*>(n));
                            }
                        if (pin->m_pNet && footprint)
                            pin->TiePadsToConductors(footprint);
                    }
                } else if (member->GetType() == NodeType::Pin) {
                    auto* pin = static_cast<CPin*>(member);
                    if (pin->m_fixedNetName.empty())
                        continue;
                    CNet* net = FindNet(pin->m_fixedNetName);
                    if (!net) {
                        // Derived from the file: no undo step.
                        net = new CNet(pin->m_fixedNetName.c_str());
                        AddChild(net);
                    }
                    JoinPinToNet(pin, net);
                    if (footprint)
                        pin->TiePadsToConductors(footprint);
                }
            }
        }
    }
}

float GetBoardIsolation(const CBoard* board) {
    CThermalRelief* thermal = nullptr;
    if (board)
        board->FindBoardProperties(&thermal, nullptr);
    return thermal ? thermal->m_isolation : 0.3f;
}
