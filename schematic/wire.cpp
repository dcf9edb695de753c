#include "schematic/wire.h"

#include "core/attribute_name.h"
#include "core/document_bounds.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/plain_number.h"
#include "core/undo_node_records.h"
#include "platform/text.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/sheet_name_attribute.h"

#include <algorithm>
#include <cwchar>

using namespace std::literals;

namespace {
int g_lastBusEntry = 1;

bool Between(int v, int a, int b, bool inclusive) {
    const int lo = std::min(a, b), hi = std::max(a, b);
    return inclusive ? (v >= lo && v <= hi) : (v > lo && v < hi);
}

CTreeNode* BoardAbove(const CWire& wire) {
    return FindBoardAbove(&wire);
}

constexpr NodeAttributes<CWire, 3> kAttributes{{
    Attr::Int<&CWire::m_busEntry1>(L"be1", 0),
    Attr::Int<&CWire::m_busEntry2>(L"be2", 0),
    Attr::SheetName<CWire, BoardAbove, true>(),
}};
const RegisterNodeAttributes kRegistered(L"Wire", kAttributes);

} // namespace

CWire::CWire() : CSheetObject(NodeType::Wire) {}

CWire::CWire(POINT a, POINT b) : CSheetObject(NodeType::Wire), m_end(b) {
    m_position = a;
}

CWire::CWire(const CWire& other)
    : CSheetObject(other), m_end(other.m_end), m_busEntry1(other.m_busEntry1),
      m_busEntry2(other.m_busEntry2) {}

CWire::~CWire() = default;

CTreeNode* CWire::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CWire(*this));
}

const wchar_t* CWire::GetTagName() const {
    return L"Wire";
}

void CWire::ReadAttributes() {
    kAttributes.Read(*this);
    int v[4] = {0, 0, 0, 0};
    // "x1,y1,x2,y2" in plain numbers is read in line; any other text by the
    // general walk.
    const wchar_t* const end = m_text.data() + m_text.size();
    const wchar_t* q = m_text.data();
    for (int i = 0; i < 4 && q; ++i) {
        q = PlainNumber::ReadInt(q, end, v[i]);
        if (q && i < 3)
            q = q != end && *q == L',' ? q + 1 : nullptr;
    }
    if (q != end) {
        std::fill(v, v + 4, 0);
        const wchar_t* p = m_text.c_str();
        for (int i = 0; i < 4; ++i) {
            const wchar_t* stop = nullptr;
            v[i] = ToInt32(ParseInteger(p, &stop));
            if (stop == p)
                break;
            p = *stop == L',' ? stop + 1 : stop;
        }
    }
    m_position = POINT{v[0], v[1]};
    m_end = POINT{v[2], v[3]};
}

void CWire::WriteAttributes() {
    kAttributes.Write(*this);
    // "%d,%d,%d,%d" without the printf machinery, kept when unchanged:
    // sheets hold many wires.
    wchar_t buffer[4 * 24];
    wchar_t* d = FormatIntegerTo(buffer, m_position.x);
    *d++ = L',';
    d = FormatIntegerTo(d, m_position.y);
    *d++ = L',';
    d = FormatIntegerTo(d, m_end.x);
    *d++ = L',';
    d = FormatIntegerTo(d, m_end.y);
    const std::wstring_view text(buffer, static_cast<std::size_t>(d - buffer));
    if (!AttributeNameIs(m_text, text))
        m_text.assign(text);
}

void CWire::FillPropertyGrid() {
    if (CNet* net = GetNet())
        net->FillPropertyGrid();
}

void CWire::ApplyPropertyChange(int row) {
    if (CNet* net = GetNet())
        net->ApplyPropertyChange(row);
}

CNet* CWire::GetNet() const {
    CTreeNode* parent = GetParent();
    return parent && parent->GetType() == NodeType::Net ? static_cast<CNet*>(parent) : nullptr;
}

wchar_t CWire::GetDirection() const {
    const bool dx = m_position.x != m_end.x, dy = m_position.y != m_end.y;
    if (dx && dy)
        return WireDirection::Slanted;
    if (dx)
        return WireDirection::Horizontal;
    if (dy)
        return WireDirection::Vertical;
    return WireDirection::None;
}

bool CWire::ContainsPoint(POINT p, bool includeEnds) const {
    switch (GetDirection()) {
    case WireDirection::Horizontal:
        return p.y == m_position.y && Between(p.x, m_position.x, m_end.x, includeEnds);
    case WireDirection::Vertical:
        return p.x == m_position.x && Between(p.y, m_position.y, m_end.y, includeEnds);
    default:
        return includeEnds && (SamePoint(p, m_position) || SamePoint(p, m_end));
    }
}

bool CWire::IsSameSegment(const CWire& other) const {
    return (SamePoint(m_position, other.m_position) && SamePoint(m_end, other.m_end)) ||
           (SamePoint(m_position, other.m_end) && SamePoint(m_end, other.m_position));
}

int CWire::BusEntryAt(POINT p) const {
    int value = 0;
    if (SamePoint(p, m_position) && m_busEntry1)
        value = m_busEntry1;
    if (SamePoint(p, m_end) && m_busEntry2)
        value = m_busEntry2;
    return value;
}

CWire* CWire::SplitAt(int x, int y, bool keepStart) {
    PushUndo(new CUndoChangeWirePos(this));
    auto* piece = new CWire(POINT{x, y}, POINT{x, y});
    piece->m_pSheet = m_pSheet;
    if (keepStart) {
        piece->m_end = m_end;
        piece->m_busEntry2 = m_busEntry2;
        m_end = POINT{x, y};
        m_busEntry2 = 0;
    } else {
        piece->m_position = m_position;
        piece->m_busEntry1 = m_busEntry1;
        m_position = POINT{x, y};
        m_busEntry1 = 0;
    }
    GetParent()->AddChild(piece);
    PushUndo(new CUndoInsert(piece, nullptr));
    return piece;
}

bool CWire::IsRedundantJoint() const {
    if (GetDirection() != WireDirection::None)
        return false;
    CNet* net = GetNet();
    if (!net)
        return true;
    if (net->FindWireAt(m_position, m_pSheet, this))
        return true;
    std::vector<CPin*> pins;
    net->CollectPinsAt(m_position, m_pSheet, pins);
    return pins.size() < 2;
}

void CWire::ToggleBusEntry(DeviceContext* dc) {
    PushUndo(new CUndoChangeWirePos(this));
    if (m_selected & 2) {
        m_busEntry1 = -m_busEntry1;
        g_lastBusEntry = m_busEntry1;
        m_selected &= ~2;
    }
    if (m_selected & 4) {
        m_busEntry2 = -m_busEntry2;
        g_lastBusEntry = m_busEntry2;
        m_selected &= ~4;
    }
    InvalidateBusEntries(dc);
}

int CWire::GetLastBusEntry() {
    return g_lastBusEntry;
}

void CWire::ResetLastBusEntry() {
    g_lastBusEntry = 1;
}
