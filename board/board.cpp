#include "board/board.h"

#include "board/area.h"
#include "board/area_node.h"
#include "board/board_properties.h"
#include "board/board_strings.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/mounting.h"
#include "board/pad.h"
#include "board/pad_walk.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/board_layer.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <unordered_set>

using namespace std::literals;

namespace {

// Shared by every board for the whole run, so that names made on one board
// never repeat those made on another.
int g_netNameCounter = 0;

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

// Stackup layers the board cannot keep are left out of it, and the user is
// told which ones were (textId: a format naming them).
void LeaveOutLayers(CBoard& board, const std::unordered_set<const CTreeNode*>& out,
                    unsigned textId) {
    if (out.empty())
        return;
    constexpr int kNamesShown = 8;
    std::wstring names;
    int dropped = 0;
    for (CTreeNode* child : board.ReleaseChildren()) {
        if (!out.count(child)) {
            board.AddChild(child);
            continue;
        }
        if (dropped < kNamesShown)
            names += (dropped ? L", '" : L"'") + child->GetText().substr(0, 16) + L"'";
        ++dropped;
        delete child;
    }
    if (dropped > kNamesShown)
        names += L", ...";
    ShowMessageBox(StrPrintf(LoadStringText(textId).c_str(), names.c_str()), L"Vorpel",
                   MB_OK | MB_ICONWARNING);
}

// A stackup layer whose text names no layer (one beyond the inner layers a
// stackup holds, or none at all) could only be written back without a name.
// A layer named again after the first of its name would stand beside it in
// no output file and no lookup: the first one is the board's layer.
void LeaveOutLayersWithoutPlace(CBoard& board) {
    std::unordered_set<const CTreeNode*> withoutCode, repeated;
    std::bitset<kBoardLayerCount> named;
    for (const CTreeNode* child : board.GetChildren()) {
        if (child->GetType() != NodeType::Layer)
            continue;
        const int id = static_cast<const CLayer*>(child)->m_id;
        if (id < 0 || id >= kBoardLayerCount)
            withoutCode.insert(child);
        else if (named.test(static_cast<size_t>(id)))
            repeated.insert(child);
        else
            named.set(static_cast<size_t>(id));
    }
    LeaveOutLayers(board, withoutCode, BoardStrings::LayersLeftOut);
    LeaveOutLayers(board, repeated, BoardStrings::LayersRepeated);
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
    LeaveOutLayersWithoutPlace(*this);
}

void CBoard::WriteAttributes() {
    kAttributes.Write(*this);
}

void CBoard::CreateDefaultOutline() {
    const float pts[4][2] = {{0, 0}, {100, 0}, {100, 50}, {0, 50}};
    for (const auto& p : pts)
        AppendAreaNode(m_outline, new CAreaSegment(&g_pActiveView, p[0], p[1]));
}

const CBoard::Directory& CBoard::GetDirectory() const {
    if (!m_directory.known) {
        m_directory = Directory{};
        for (CTreeNode* child : GetChildren()) {
            if (child->GetType() == NodeType::Layer)
                m_directory.layers.push_back(static_cast<CLayer*>(child));
            else if (child->GetType() == NodeType::BoardProperties && !m_directory.properties)
                m_directory.properties = static_cast<CBoardProperties*>(child);
            else if (child->GetType() == NodeType::Mounting && !m_directory.mounting)
                m_directory.mounting = static_cast<CMounting*>(child);
        }
        m_directory.known = true;
    }
    return m_directory;
}

void CBoard::ChildrenChanged(CTreeNode* child) {
    if (!child || child->GetType() == NodeType::Layer ||
        child->GetType() == NodeType::BoardProperties || child->GetType() == NodeType::Mounting)
        m_directory.known = false;
}

CLayer* CBoard::FindLayer(int id) const {
    // A layer's id changes with the stackup: only the list is kept.
    for (CLayer* layer : GetDirectory().layers)
        if (layer->m_id == id)
            return layer;
    return nullptr;
}

CLayer* CBoard::FindLayerByCode(const std::wstring& code) const {
    return FindLayer(LayerFromCode(code));
}

int CBoard::GetInnerLayerCount() const {
    int n = 0;
    for (const CLayer* layer : GetDirectory().layers)
        n += layer->m_id >= 2 && layer->m_id <= 21;
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
    CBoardProperties* props = GetDirectory().properties;
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
    return GetDirectory().mounting;
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

void CBoard::RenameNetReferences(const std::wstring& from, const std::wstring& to) {
    if (from.empty() || from == to)
        return;
    // The name is another net's: what names from goes over to that net.
    if (FindNet(to)) {
        MoveNetReferences(from, to);
        return;
    }
    PushUndo(new CUndoRenameNetReferences(this, from, to));
    CUndoRenameNetReferences::Rename(this, from, to);
}

void CBoard::MoveNetReferences(const std::wstring& from, const std::wstring& to) {
    if (from.empty() || from == to)
        return;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::Layer) {
            auto* layer = static_cast<CLayer*>(child);
            if (layer->m_layerType != kLayerTypePlane || layer->m_net != from)
                continue;
            PushUndo(new CUndoChangeNodeAttribute(layer, nullptr));
            layer->m_net = to;
        } else if (child->GetType() == NodeType::Area) {
            auto* area = static_cast<CArea*>(child);
            if (area->m_net != from)
                continue;
            PushUndo(new CUndoAreaChange(area, nullptr));
            area->m_net = to;
        } else {
            continue;
        }
        RepaintByView(child);
    }
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
            hit = FindPadIn(child,
                            [&](CPad* pad) { return pad->HitTestOnBoard(g, x, y) != nullptr; });
        } else if (child->GetType() == NodeType::Package) {
            // A package whose footprint is not bound yet has no pads.
            CFootprint* footprint = static_cast<CPackage*>(child)->GetFootprint();
            if (!footprint)
                continue;
            const PointF local = footprint->BoardToLocal(x, y);
            hit = FindPadIn(footprint, [&](CPad* pad) {
                return pad->HitTestOnBoard(g, local.X, local.Y) &&
                       (!net || pad->GetNetName() == net->GetName());
            });
        }
        if (hit)
            return hit;
    }
    return nullptr;
}

float GetBoardIsolation(const CBoard* board) {
    CThermalRelief* thermal = nullptr;
    if (board)
        board->FindBoardProperties(&thermal, nullptr);
    return thermal ? thermal->m_isolation : 0.3f;
}
