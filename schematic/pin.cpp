#include "schematic/pin.h"

#include "board/board.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "core/attribute_name.h"
#include "core/document_bounds.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/plain_number.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/schematic_rows.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/wire.h"

#include <algorithm>
#include <cmath>

using namespace std::literals;

namespace {

// The pad names joined by commas, in a scratch string that keeps its room
// from pin to pin (mostly there is one name).
std::wstring_view JoinedPadNames(const CPin& pin) {
    if (pin.m_padNames.size() == 1)
        return pin.m_padNames.front();
    thread_local std::wstring several;
    several.clear();
    for (std::size_t i = 0; i < pin.m_padNames.size(); ++i) {
        if (i)
            several += L',';
        several += pin.m_padNames[i];
    }
    return several;
}
void ReadPadNames(CPin& pin, const std::wstring_view* text) {
    pin.SetPadNames(text ? *text : std::wstring_view());
}
void VaryPadNames(CPin& pin) {
    pin.m_padNames = {L"1", L"A2"};
}

constexpr NodeAttributes<CPin, 5> kAttributes{{
    Attr::Text<&CPin::m_name>(L"Name"),
    Attr::Custom<CPin, JoinedPadNames, ReadPadNames, VaryPadNames>(L"Num"),
    Attr::Int<&CPin::m_shape>(L"Shape", 1),
    Attr::Bool<&CPin::m_numberHidden>(L"NumInvisible", false),
    Attr::Text<&CPin::m_fixedNetName>(L"NetName"),
}};
const RegisterNodeAttributes kRegistered(L"Pin", kAttributes);

} // namespace

CPin::CPin() : CTreeNode(NodeType::Pin) {}

// The net link is set by the clone operation (a copy joins the copy of its
// net, or no net); the attached wires belong to a drag of the source.
CPin::CPin(const CPin& other)
    : CTreeNode(other), m_side(other.m_side), m_offset(other.m_offset), m_name(other.m_name),
      m_padNames(other.m_padNames), m_shape(other.m_shape), m_numberHidden(other.m_numberHidden),
      m_fixedNetName(other.m_fixedNetName) {}

CPin::~CPin() = default;

CTreeNode* CPin::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CPin(*this));
}

const wchar_t* CPin::GetTagName() const {
    return L"Pin";
}

void CPin::ReadAttributes() {
    kAttributes.Read(*this);
    if (m_text.size() >= 2) {
        int offset = 0;
        const wchar_t* const start = m_text.c_str() + 1;
        if (PlainNumber::ReadInt(start, m_text.data() + m_text.size(), offset)) {
            m_side = m_text[0];
            m_offset = offset;
        } else {
            const wchar_t* end = nullptr;
            offset = ToInt32(ParseInteger(start, &end));
            if (end != start) {
                m_side = m_text[0];
                m_offset = offset;
            }
        }
    }
}

void CPin::WriteAttributes() {
    kAttributes.Write(*this);
    if (m_side) {
        wchar_t buffer[24];
        buffer[0] = m_side;
        const std::wstring_view text(
            buffer, static_cast<std::size_t>(FormatIntegerTo(buffer + 1, m_offset) - buffer));
        if (!AttributeNameIs(m_text, text))
            m_text.assign(text);
    }
}

void CPin::SetPadNames(std::wstring_view text) {
    // The names are assigned in place: the strings keep their room. Mostly
    // there is one.
    if (std::find(text.begin(), text.end(), L',') == text.end()) {
        m_padNames.resize(1);
        m_padNames.front().assign(text);
        return;
    }
    const std::size_t count =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), L',')) + 1;
    m_padNames.resize(count);
    std::size_t pos = 0;
    for (std::wstring& name : m_padNames) {
        const std::size_t comma = std::min(text.find(L',', pos), text.size());
        name.assign(text.substr(pos, comma - pos));
        pos = comma + 1;
    }
}

std::wstring CPin::GetPadNames() const {
    std::wstring joined;
    for (std::size_t i = 0; i < m_padNames.size(); ++i) {
        if (i)
            joined += L',';
        joined += m_padNames[i];
    }
    return joined;
}

bool CPin::HasPadName(const std::wstring& name) const {
    return std::find(m_padNames.begin(), m_padNames.end(), name) != m_padNames.end();
}

void CPin::TiePadsToConductors(CFootprint* footprint) {
    if (!footprint || !m_pNet)
        return;
    for (const std::wstring& name : m_padNames) {
        CPad* pad = footprint->FindPadByNumber(name);
        if (!pad)
            continue;
        PointF at = pad->GetBoardPosition();
        for (CTreeNode* child : m_pNet->GetChildren()) {
            if (child->GetType() != NodeType::Conductor)
                continue;
            for (ConductorVertex& v : static_cast<CConductor*>(child)->m_vertices)
                if (std::fabs(v.x - at.X) < 0.001f && std::fabs(v.y - at.Y) < 0.001f)
                    v.tie = VertexTie::ToPad(pad);
        }
    }
}

CPart* CPin::GetPart() const {
    CTreeNode* parent = GetParent();
    return parent && parent->GetType() == NodeType::Part ? static_cast<CPart*>(parent) : nullptr;
}

CPackage* CPin::GetPackage() const {
    CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Part)
        parent = parent->GetParent();
    return parent && parent->GetType() == NodeType::Package ? static_cast<CPackage*>(parent)
                                                            : nullptr;
}

CSheet* CPin::GetSheet() const {
    CPart* part = GetPart();
    return part ? part->m_pSheet : nullptr;
}

bool CPin::IsPowerPin() const {
    CPackage* package = GetPackage();
    return GetPart() && package && package->GetPowerPin() != nullptr;
}

POINT CPin::GetConnectionPoint() const {
    const CTreeNode* parent = GetParent();
    if (!parent)
        return POINT{0, 0};
    // Any 32-bit corner, size and offset: the sum is held within 32 bits.
    const int64_t x = parent->m_position.x, y = parent->m_position.y;
    const int64_t w = parent->m_size.cx, h = parent->m_size.cy, o = m_offset;
    auto at = [](int64_t px, int64_t py) { return POINT{ToInt32(px), ToInt32(py)}; };
    switch (m_side) {
    case L'B':
        return at(x + o, y - 1);
    case L'L':
        return at(x - 1, y + o);
    case L'R':
        return at(x + w + 1, y + o);
    case L'T':
        return at(x + o, y + h + 1);
    default:
        return parent->m_position;
    }
}

void CPin::RemoveFromNet() {
    if (!m_pNet)
        return;
    PushUndo(new CUndoRemovePinFromNet(this, m_pNet));
    m_pNet->m_pins.erase(this);
    m_pNet = nullptr;
}

void CPin::CollectAttachedWires() {
    m_attached.clear();
    if (!m_pNet)
        return;
    const POINT p = GetConnectionPoint();
    for (CWire* wire : m_pNet->GetWires())
        if (wire->m_pSheet == GetSheet() &&
            (SamePoint(wire->GetStart(), p) || SamePoint(wire->GetEnd(), p)))
            m_attached.push_back(wire);
}

void CPin::AddToNet(DeviceContext* dc, CNet* net) {
    if (net->HasFixedNamePin()) {
        if (IsPowerPin() && m_fixedNetName != net->GetName()) {
            PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
            PushUndo(new CUndoChangeNodeAttribute(GetPart(), nullptr));
            m_fixedNetName = net->GetName();
            GetPart()->InvalidateOnSheet(dc);
        }
    } else if (!m_fixedNetName.empty() && net->GetName() != m_fixedNetName) {
        auto* board = net->GetBoard();
        CNet* found = board ? board->FindNet(m_fixedNetName) : nullptr;
        if (!found) {
            // No net has the name: the planes and areas naming the net
            // follow it, and follow it back on Undo.
            PushUndo(new CUndoChangeNodeAttribute(net, nullptr, true));
            if (board)
                board->RenameNetReferences(net->GetName(), m_fixedNetName);
            net->SetText(m_fixedNetName);
            net->ResetAirwireColor();
            net->InvalidateOnSheet(dc);
        } else {
            net->Merge(dc, found);
            // The pin forces its name even when the net it met held no
            // fixed-name pin any more (its pins were just taken out).
            if (net->GetName() != m_fixedNetName && !net->HasFixedNamePin()) {
                PushUndo(new CUndoChangeNodeAttribute(net, nullptr));
                // The name was the merged net's in this same step: what
                // named either is recorded node by node.
                if (board)
                    board->MoveNetReferences(net->GetName(), m_fixedNetName);
                net->SetText(m_fixedNetName);
                net->ResetAirwireColor();
                net->InvalidateOnSheet(dc);
            }
        }
    }
    PushUndo(new CUndoAddPinToNet(this, m_pNet));
    if (m_pNet && m_pNet != net)
        m_pNet->m_pins.erase(this);
    m_pNet = net;
    net->m_pins.insert(this);
}

void CPin::Connect(DeviceContext* dc) {
    CSheet* sheet = GetSheet();
    if (!sheet)
        return;
    const POINT p = GetConnectionPoint();
    bool metWire = false;
    // Objects come and go while nets are joined: walk a snapshot and skip
    // what has left the sheet.
    const std::vector<CSheetObject*> objects(sheet->m_objects.begin(), sheet->m_objects.end());
    for (CSheetObject* object : objects) {
        if (!sheet->HasObject(object))
            continue;
        if (object->GetType() == NodeType::Wire) {
            auto* wire = static_cast<CWire*>(object);
            CNet* wireNet = wire->GetNet();
            if (!wireNet || !wire->ContainsPoint(p, true))
                continue;
            if (m_pNet && m_pNet != wireNet)
                m_pNet->Merge(dc, wireNet);
            else if (!m_pNet)
                AddToNet(dc, wireNet);
            if (!SamePoint(p, wire->GetStart()) && !SamePoint(p, wire->GetEnd()))
                wire->SplitAt(p.x, p.y, true);
            metWire = true;
        } else if (object->GetType() == NodeType::Part && object != GetParent()) {
            for (CTreeNode* child : object->GetChildren()) {
                if (child->GetType() != NodeType::Pin || child == this)
                    continue;
                auto* q = static_cast<CPin*>(child);
                if (!SamePoint(q->GetConnectionPoint(), p))
                    continue;
                if (m_pNet) {
                    if (q->m_pNet == m_pNet)
                        continue;
                    if (!q->m_pNet)
                        q->AddToNet(dc, m_pNet);
                    else
                        m_pNet->Merge(dc, q->m_pNet);
                } else {
                    if (!q->m_pNet) {
                        auto* board = static_cast<CBoard*>(FindBoardAbove(q));
                        if (!board)
                            continue;
                        q->AddToNet(dc, board->FindOrAddNet(q->m_fixedNetName));
                    }
                    AddToNet(dc, q->m_pNet);
                    auto* joint = new CWire(p, p);
                    joint->m_pSheet = sheet;
                    q->m_pNet->AddChild(joint);
                    PushUndo(new CUndoInsert(joint, nullptr));
                }
                if (q->m_pNet)
                    q->m_pNet->BuildConnectionGraph(nullptr);
                InvalidateOnSheet(dc);
            }
        }
    }
    if (metWire && m_pNet)
        m_pNet->NormalizeWires(dc);
}

void CPin::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(145);
    grid->AddText(146, PropertyText(m_name));
    grid->AddText(147, PropertyText(GetPadNames()));
    grid->AddCheckbox(148, m_numberHidden);
    grid->AddPinShape(m_shape);
    grid->AddText(163, PropertyText(m_fixedNetName));
}

void CPin::ApplyPropertyChange(int row) {
    if (!g_pActiveView)
        return;
    InvalidateOnSheet(nullptr);
    StartUndoGroup();
    PushUndo(new CUndoChangeNodeAttribute(this, this));
    switch (row) {
    case 0:
        m_name = SchematicRows::Text(row);
        break;
    case 1:
        SetPadNames(SchematicRows::Text(row));
        break;
    case 2:
        m_numberHidden = SchematicRows::Checked(row, m_numberHidden);
        break;
    case 3:
        m_shape = SchematicRows::PinShape(row, m_shape);
        break;
    case 4:
        m_fixedNetName = SchematicRows::Text(row);
        break;
    default:
        break;
    }
    InvalidateOnSheet(nullptr);
    SchematicRows::FocusViewParent();
}
