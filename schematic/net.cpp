#include "schematic/net.h"

#include "board/area.h"
#include "board/board.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/padstack.h"
#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/clone_map.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/schematic_rows.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/wire.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>

using namespace std::literals;

namespace {

// Always written: the default follows the settings, the file must not.
std::wstring_view ColorText(const CNet& net) {
    thread_local wchar_t buffer[24];
    return std::wstring_view(
        buffer, static_cast<std::size_t>(FormatIntegerTo(buffer, net.m_airwireColor) - buffer));
}
// The default depends on the name: looked up only when needed.
void ReadColor(CNet& net, const std::wstring_view* text) {
    uint32_t color = 0;
    if (!text || !net.GetAttributeUInt(L"AirwireColor"sv, color, 0))
        color = CNet::GetDefaultColor(net.GetName());
    net.m_airwireColor = color;
}
void VaryColor(CNet& net) {
    net.m_airwireColor = 0x00123456;
}

constexpr NodeAttributes<CNet, 1> kAttributes{{
    Attr::Custom<CNet, ColorText, ReadColor, VaryColor>(L"AirwireColor"),
}};
const RegisterNodeAttributes kRegistered(L"Net", kAttributes);

} // namespace

CNet::CNet() : CTreeNode(NodeType::Net), m_airwireColor(g_DefaultSettings.colorAirWire) {}

CNet::CNet(const wchar_t* name)
    : CTreeNode(NodeType::Net, name), m_airwireColor(GetDefaultColor(name ? name : L"")) {}

// The pin set is filled by the clone operation with the copied pins.
CNet::CNet(const CNet& other) : CTreeNode(other), m_airwireColor(other.m_airwireColor) {}

CNet::~CNet() {
    NetGraphBatch::Forget(this);
    DeleteConnectionGraph();
}

CTreeNode* CNet::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CNet(*this));
}

const wchar_t* CNet::GetTagName() const {
    return L"Net";
}

void CNet::ReadAttributes() {
    kAttributes.Read(*this);
}

void CNet::WriteAttributes() {
    kAttributes.Write(*this);
}

COLORREF CNet::GetDefaultColor(const std::wstring& name) {
    for (const wchar_t* ground : {L"GND", L"VEE", L"VSS"})
        if (name == ground)
            return 0x00FFFF00;
    for (const wchar_t* supply : {L"+5V", L"5V", L"+3.3V", L"3V3", L"VCC", L"VDD"})
        if (name == supply)
            return 0x000000FF;
    return g_DefaultSettings.colorAirWire;
}

CBoard* CNet::GetBoard() const {
    CTreeNode* parent = GetParent();
    return parent && parent->GetType() == NodeType::Board ? static_cast<CBoard*>(parent) : nullptr;
}

void CNet::ForEachReferrer(const std::function<void(const CTreeNode*)>& visit) const {
    for (const CPin* pin : m_pins)
        visit(pin);
    const CBoard* board = GetBoard();
    if (!board || GetName().empty())
        return;
    for (const CTreeNode* child : board->GetChildren()) {
        if (child->GetType() == NodeType::Area &&
            static_cast<const CArea*>(child)->m_net == GetName())
            visit(child);
        else if (child->GetType() == NodeType::Layer &&
                 static_cast<const CLayer*>(child)->m_layerType == kLayerTypePlane &&
                 static_cast<const CLayer*>(child)->m_net == GetName())
            visit(child);
    }
}

CPadstack* CNet::FindOrAddVia(CPadstack* definition) {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Padstack &&
            static_cast<CPadstack*>(child)->IsIdentical(definition))
            return static_cast<CPadstack*>(child);
    auto* via = static_cast<CPadstack*>(definition->Clone());
    AddChild(via);
    PushUndo(new CUndoInsert(via, nullptr));
    return via;
}

std::vector<CWire*> CNet::GetWires() const {
    std::vector<CWire*> wires;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Wire)
            wires.push_back(static_cast<CWire*>(child));
    return wires;
}

CWire* CNet::FindWireAt(POINT p, const CSheet* sheet, const CWire* skip) const {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Wire || child == skip)
            continue;
        auto* wire = static_cast<CWire*>(child);
        if (wire->m_pSheet == sheet && wire->ContainsPoint(p, true))
            return wire;
    }
    return nullptr;
}

void CNet::CollectPinsAt(POINT p, const CSheet* sheet, std::vector<CPin*>& list) const {
    for (CPin* pin : m_pins)
        if (pin->GetPart() && pin->GetSheet() == sheet && SamePoint(pin->GetConnectionPoint(), p))
            list.push_back(pin);
}

bool CNet::HasFixedNamePin() const {
    for (CPin* pin : m_pins)
        if (!pin->m_fixedNetName.empty())
            return true;
    return false;
}

bool CNet::DeleteIfEmpty() {
    if (!GetParent() || GetChildCount() != 0 || !m_pins.empty())
        return false;
    PushUndo(new CUndoDelete(this, nullptr));
    RemoveFromParent();
    return true;
}

// Merge ---------------------------------------------------------------------

void CNet::Merge(DeviceContext* dc, CNet* other) {
    if (!other || other == this)
        return;
    // An Undo gives the other net back what it held: what another history
    // adds to this one since would stay here.
    PushUndo(new CUndoKeepReferrers(this));
    // Planes and areas of the net that goes, and of this one when it takes
    // the other's name, name the survivor. Recorded first, so that an undo
    // restores them once both nets are back.
    if (CBoard* board = GetBoard()) {
        const std::wstring survivor = other->HasFixedNamePin() ? other->GetName() : GetName();
        board->MoveNetReferences(other->GetName(), survivor);
        board->MoveNetReferences(GetName(), survivor);
    }
    if (other->HasFixedNamePin()) {
        PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
        SetText(other->GetName());
        m_airwireColor = other->m_airwireColor;
        InvalidateOnSheet(dc);
        for (CPin* pin : std::vector<CPin*>(m_pins.begin(), m_pins.end())) {
            if (!pin->IsPowerPin() || pin->m_fixedNetName == GetName())
                continue;
            PushUndo(new CUndoChangeNodeAttribute(pin, nullptr));
            PushUndo(new CUndoChangeNodeAttribute(pin->GetPart(), nullptr));
            pin->m_fixedNetName = GetName();
            pin->GetPart()->InvalidateOnSheet(dc);
        }
    }
    while (other->GetChildCount() != 0) {
        CTreeNode* child = other->GetChild(0);
        if (child->GetType() == NodeType::Wire) {
            auto* wire = static_cast<CWire*>(child);
            wire->InvalidateBusEntries(dc);
            PushUndo(new CUndoChangeNetOfWire(wire));
            wire->RemoveFromParent();
            AddChild(wire);
            wire->InvalidateBusEntries(dc);
        } else {
            PushUndo(new CUndoChangeParent(child, nullptr));
            child->RemoveFromParent();
            AddChild(child);
        }
    }
    for (CPin* pin : std::vector<CPin*>(other->m_pins.begin(), other->m_pins.end())) {
        PushUndo(new CUndoChangeNetOfPin(pin));
        pin->m_pNet = this;
        m_pins.insert(pin);
    }
    other->m_pins.clear();
    if (other->GetParent()) {
        PushUndo(new CUndoDelete(other, nullptr));
        other->RemoveFromParent();
    }
    // The panel showing the net taken over shows this one, which holds all
    // of it now.
    if (CPropertyGrid* grid = GetPropertyGrid())
        if (grid->GetShownObject() == static_cast<CProperty*>(other))
            grid->ShowProperties(this);
}

// Normalisation -------------------------------------------------------------

namespace {

void DeleteWire(CWire* wire) {
    PushUndo(new CUndoDelete(wire, nullptr));
    wire->RemoveFromParent();
}

CWire* WireAt(const CNet* net, std::size_t i) {
    CTreeNode* child = net->GetChild(i);
    return child->GetType() == NodeType::Wire ? static_cast<CWire*>(child) : nullptr;
}

bool StrictlyInside(const CWire* w, POINT p) {
    return w->ContainsPoint(p, false);
}

// The tidying looks up what lies where instead of comparing every pair of
// the net's wires; each lookup only rules out the pairs that cannot match,
// and what may match is tried as before, in the same order.
struct SheetPoint {
    const CSheet* sheet;
    int x, y;
    bool operator==(const SheetPoint& o) const { return sheet == o.sheet && x == o.x && y == o.y; }
};
struct SheetPointHash {
    size_t operator()(const SheetPoint& p) const {
        const uint64_t xy =
            (static_cast<uint64_t>(static_cast<uint32_t>(p.x)) << 32) | static_cast<uint32_t>(p.y);
        return std::hash<uint64_t>()(xy) ^ (std::hash<const void*>()(p.sheet) << 1);
    }
};

// A row (y) or column (x) of a sheet and a place along it, in one sorted
// array per direction.
struct LinePlace {
    const CSheet* sheet;
    int line, at;
    bool operator<(const LinePlace& o) const {
        if (sheet != o.sheet)
            return std::less<const CSheet*>()(sheet, o.sheet);
        return line != o.line ? line < o.line : at < o.at;
    }
};

// Every wire end and pin along each row and column: whether one lies
// strictly inside a straight wire.
class PointsAlongLines {
public:
    void Add(const CSheet* sheet, POINT p) {
        rows_.push_back({sheet, p.y, p.x});
        columns_.push_back({sheet, p.x, p.y});
    }
    void Sort() {
        std::sort(rows_.begin(), rows_.end());
        std::sort(columns_.begin(), columns_.end());
    }
    bool AnyStrictlyInside(const CWire* w) const {
        const bool horizontal = w->GetDirection() == WireDirection::Horizontal;
        const POINT a = w->GetStart(), b = w->GetEnd();
        const std::vector<LinePlace>& places = horizontal ? rows_ : columns_;
        const int line = horizontal ? a.y : a.x;
        const int lo = horizontal ? std::min(a.x, b.x) : std::min(a.y, b.y);
        const int hi = horizontal ? std::max(a.x, b.x) : std::max(a.y, b.y);
        // The first place past lo on the line.
        auto next =
            std::upper_bound(places.begin(), places.end(), LinePlace{w->m_pSheet.Get(), line, lo});
        return next != places.end() && next->sheet == w->m_pSheet.Get() && next->line == line &&
               next->at < hi;
    }

private:
    std::vector<LinePlace> rows_, columns_;
};

// The horizontal and zero-length wires along each row, the vertical and
// zero-length ones along each column, by their lower end: whether a wire
// may lie within another.
class SpansAlongLines {
public:
    void Add(const CWire* w) {
        const POINT a = w->GetStart(), b = w->GetEnd();
        const wchar_t d = w->GetDirection();
        if (d == WireDirection::Horizontal || d == WireDirection::None)
            rows_.push_back({{w->m_pSheet.Get(), a.y, std::min(a.x, b.x)}, std::max(a.x, b.x), w});
        if (d == WireDirection::Vertical || d == WireDirection::None)
            columns_.push_back(
                {{w->m_pSheet.Get(), a.x, std::min(a.y, b.y)}, std::max(a.y, b.y), w});
    }
    void Sort() {
        auto byPlace = [](const Span& l, const Span& r) { return l.from < r.from; };
        std::sort(rows_.begin(), rows_.end(), byPlace);
        std::sort(columns_.begin(), columns_.end(), byPlace);
    }
    bool MayHoldAnother(const CWire* a) const {
        const POINT s = a->GetStart(), e = a->GetEnd();
        switch (a->GetDirection()) {
        case WireDirection::Horizontal:
        case WireDirection::None:
            return Holds(rows_, {a->m_pSheet.Get(), s.y, std::min(s.x, e.x)}, std::max(s.x, e.x),
                         a);
        case WireDirection::Vertical:
            return Holds(columns_, {a->m_pSheet.Get(), s.x, std::min(s.y, e.y)}, std::max(s.y, e.y),
                         a);
        default:
            return true; // slanted: tried against every wire
        }
    }

private:
    struct Span {
        LinePlace from;
        int to;
        const CWire* wire;
    };
    static bool Holds(const std::vector<Span>& spans, const LinePlace& lo, int hi, const CWire* a) {
        auto it =
            std::lower_bound(spans.begin(), spans.end(), lo,
                             [](const Span& span, const LinePlace& at) { return span.from < at; });
        for (; it != spans.end() && it->from.sheet == lo.sheet && it->from.line == lo.line &&
               it->from.at <= hi;
             ++it)
            if (it->wire != a && it->to <= hi)
                return true;
        return false;
    }
    std::vector<Span> rows_, columns_;
};

// The wires with an end at each point, kept up to date as wires join.
class WireEnds {
public:
    // A wire and its place among the net's wires.
    using Entry = std::pair<CWire*, std::size_t>;
    void Reserve(size_t count) { ends_.reserve(count); }
    void Add(CWire* w, std::size_t order) {
        ends_[Key(w, w->GetStart())].push_back({w, order});
        if (!SamePoint(w->GetStart(), w->GetEnd()))
            ends_[Key(w, w->GetEnd())].push_back({w, order});
    }
    void Remove(CWire* w) {
        for (const POINT p : {w->GetStart(), w->GetEnd()}) {
            auto at = ends_.find(Key(w, p));
            if (at == ends_.end())
                continue;
            auto& wires = at->second;
            wires.erase(std::remove_if(wires.begin(), wires.end(),
                                       [w](const Entry& e) { return e.first == w; }),
                        wires.end());
            if (wires.empty())
                ends_.erase(at);
        }
    }
    const std::vector<Entry>& At(const CSheet* sheet, POINT p) const {
        static const std::vector<Entry> none;
        auto at = ends_.find(SheetPoint{sheet, p.x, p.y});
        return at == ends_.end() ? none : at->second;
    }

private:
    static SheetPoint Key(const CWire* w, POINT p) {
        return SheetPoint{w->m_pSheet.Get(), p.x, p.y};
    }
    std::unordered_map<SheetPoint, std::vector<Entry>, SheetPointHash> ends_;
};

} // namespace

bool CNet::NormalizeWires(DeviceContext* dc) {
    // 1. Zero-length wires that join nothing.
    for (std::size_t i = 0; i < GetChildCount();) {
        CWire* w = WireAt(this, i);
        if (w && w->GetDirection() == WireDirection::None && w->IsRedundantJoint()) {
            DeleteWire(w);
            continue;
        }
        ++i;
    }
    // 2. T-junctions: straight wires are split where a pin or another wire's
    // end lies inside them. Pieces made here are examined as well (their
    // ends lie where ends or pins already were).
    PointsAlongLines points;
    for (std::size_t i = 0; i < GetChildCount(); ++i)
        if (const CWire* w = WireAt(this, i)) {
            points.Add(w->m_pSheet.Get(), w->GetStart());
            points.Add(w->m_pSheet.Get(), w->GetEnd());
        }
    for (CPin* pin : m_pins)
        if (pin->GetPart())
            points.Add(pin->GetSheet(), pin->GetConnectionPoint());
    points.Sort();
    for (std::size_t i = 0; i < GetChildCount(); ++i) {
        CWire* w = WireAt(this, i);
        if (!w)
            continue;
        const wchar_t d = w->GetDirection();
        if (d != WireDirection::Horizontal && d != WireDirection::Vertical)
            continue;
        if (!points.AnyStrictlyInside(w))
            continue;
        for (CPin* pin : m_pins) {
            if (!pin->GetPart() || pin->GetSheet() != w->m_pSheet)
                continue;
            const POINT c = pin->GetConnectionPoint();
            if (StrictlyInside(w, c))
                w->SplitAt(c.x, c.y, true);
        }
        for (std::size_t k = 0; k < GetChildCount(); ++k) {
            CWire* o = WireAt(this, k);
            if (!o || o == w || o->m_pSheet != w->m_pSheet)
                continue;
            if (StrictlyInside(w, o->GetStart())) {
                w->SplitAt(o->GetStart().x, o->GetStart().y, true);
                w->InvalidateOnSheet(dc);
                o->InvalidateOnSheet(dc);
            } else if (StrictlyInside(w, o->GetEnd())) {
                w->SplitAt(o->GetEnd().x, o->GetEnd().y, true);
                w->InvalidateOnSheet(dc);
                o->InvalidateOnSheet(dc);
            }
        }
    }
    // 3. Wires lying within another wire.
    SpansAlongLines spans;
    for (std::size_t i = 0; i < GetChildCount(); ++i)
        if (const CWire* w = WireAt(this, i))
            spans.Add(w);
    spans.Sort();
    for (std::size_t i = 0; i < GetChildCount(); ++i) {
        CWire* a = WireAt(this, i);
        if (!a || !spans.MayHoldAnother(a))
            continue;
        for (std::size_t k = i + 1; k < GetChildCount();) {
            CWire* b = WireAt(this, k);
            if (b && b->m_pSheet == a->m_pSheet && !b->m_busEntry1 && !b->m_busEntry2 &&
                a->ContainsPoint(b->GetStart(), true) && a->ContainsPoint(b->GetEnd(), true)) {
                DeleteWire(b);
                continue;
            }
            ++k;
        }
    }
    // 4. Collinear wires meeting end to end with nothing else at the joint.
    // The wires a joins are looked for among those with an end at one of
    // a's ends, in the order of the net's wires.
    WireEnds ends;
    ends.Reserve(2 * GetChildCount());
    std::vector<const CWire*> initial; // the wires in their order, the joined ones too
    for (std::size_t i = 0; i < GetChildCount(); ++i)
        if (CWire* w = WireAt(this, i)) {
            ends.Add(w, initial.size());
            initial.push_back(w);
        }
    std::size_t place = 0; // a's place in initial
    std::vector<WireEnds::Entry> later;
    for (std::size_t i = 0; i < GetChildCount(); ++i) {
        CWire* a = WireAt(this, i);
        if (!a)
            continue;
        while (place < initial.size() && initial[place] != a)
            ++place;
        const wchar_t kind = a->GetDirection();
        if (kind == WireDirection::Slanted)
            continue;
        for (bool joined = true; joined;) {
            joined = false;
            later.clear();
            for (const POINT p : {a->GetStart(), a->GetEnd()})
                for (const WireEnds::Entry& b : ends.At(a->m_pSheet.Get(), p))
                    if (b.second > place && b.first->GetDirection() == kind &&
                        std::find(later.begin(), later.end(), b) == later.end())
                        later.push_back(b);
            std::sort(later.begin(), later.end(),
                      [](const auto& l, const auto& r) { return l.second < r.second; });
            for (const auto& [b, bPlace] : later) {
                // 0: a's start at b's end, 1: a's start at b's start, 2: a's
                // end at b's start, 3: a's end at b's end.
                int joint = -1;
                if (SamePoint(a->GetStart(), b->GetEnd()))
                    joint = 0;
                else if (SamePoint(a->GetStart(), b->GetStart()))
                    joint = 1;
                else if (SamePoint(a->GetEnd(), b->GetStart()))
                    joint = 2;
                else if (SamePoint(a->GetEnd(), b->GetEnd()))
                    joint = 3;
                const POINT j = joint <= 1 ? a->GetStart() : a->GetEnd();
                bool refused = joint < 0;
                // A bus entry at the joint is a connection of its own.
                if (!refused && (a->BusEntryAt(j) || b->BusEntryAt(j)))
                    refused = true;
                if (!refused)
                    for (const WireEnds::Entry& o : ends.At(a->m_pSheet.Get(), j))
                        if (o.first != a && o.first != b && o.first->GetDirection() != kind)
                            refused = true;
                if (!refused) {
                    std::vector<CPin*> pins;
                    CollectPinsAt(j, a->m_pSheet, pins);
                    refused = !pins.empty();
                }
                // The far end of b is its end when the joint is b's start.
                const bool bJointIsStart = joint == 1 || joint == 2;
                const POINT far = bJointIsStart ? b->GetEnd() : b->GetStart();
                // A b that runs back over a (a copy of it kept for its bus
                // entry) is no continuation: joined, a would fold onto itself
                // and could end without length.
                if (!refused && a->ContainsPoint(far, true))
                    refused = true;
                if (refused)
                    continue;
                const int farEntry = bJointIsStart ? b->m_busEntry2 : b->m_busEntry1;
                ends.Remove(a);
                ends.Remove(b);
                PushUndo(new CUndoChangeWirePos(a));
                if (joint <= 1) {
                    a->m_position = far;
                    a->m_busEntry1 = farEntry;
                } else {
                    a->m_end = far;
                    a->m_busEntry2 = farEntry;
                }
                ends.Add(a, place);
                DeleteWire(b);
                joined = true; // the same a goes on with the remaining wires
                break;
            }
        }
    }
    // 5. A net without wires: a lone pin leaves it and it goes; pins that
    // still name it keep it.
    if (GetChildCount() != 0)
        return false;
    if (m_pins.size() == 1)
        (*m_pins.begin())->RemoveFromNet();
    return DeleteIfEmpty();
}

// Flood fill ----------------------------------------------------------------

void CNet::UnmarkConnectedWires(CWire* seed, bool busJoins) {
    std::vector<CWire*> stack{seed};
    const std::vector<CWire*> wires = GetWires();
    while (!stack.empty()) {
        CWire* s = stack.back();
        stack.pop_back();
        for (CWire* c : wires) {
            if (c == s || !c->m_mark || c->m_pSheet != s->m_pSheet)
                continue;
            const bool joins =
                (busJoins && (c->m_busEntry1 || c->m_busEntry2)) ||
                s->ContainsPoint(c->GetStart(), true) || s->ContainsPoint(c->GetEnd(), true) ||
                c->ContainsPoint(s->GetStart(), true) || c->ContainsPoint(s->GetEnd(), true);
            if (joins) {
                c->m_mark = false;
                stack.push_back(c);
            }
        }
    }
}

void CNet::SplitDisconnected(DeviceContext* dc) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    // 1. Pins that do not hold the net by themselves leave it for now.
    std::vector<CPin*> taken;
    for (CPin* pin : std::vector<CPin*>(m_pins.begin(), m_pins.end())) {
        if (!pin->GetPart() || !pin->m_fixedNetName.empty())
            continue;
        pin->RemoveFromNet();
        taken.push_back(pin);
    }
    // 2.-3. Every cluster holding a bus entry or a fixed-name pin stays.
    const std::vector<CWire*> wires = GetWires();
    CNet* split = nullptr;
    if (!wires.empty()) {
        std::vector<CWire*> anchors;
        for (CWire* w : wires) {
            bool anchor = w->m_busEntry1 || w->m_busEntry2;
            for (CPin* pin : m_pins)
                if (!anchor && pin->GetPart() && !pin->m_fixedNetName.empty() &&
                    pin->GetSheet() == w->m_pSheet &&
                    w->ContainsPoint(pin->GetConnectionPoint(), true))
                    anchor = true;
            w->m_mark = !anchor;
            if (anchor)
                anchors.push_back(w);
        }
        if (anchors.empty()) {
            wires.front()->m_mark = false;
            anchors.push_back(wires.front());
        }
        for (CWire* seed : anchors)
            UnmarkConnectedWires(seed, true);
        // 4.-5. The rest goes to a new net.
        split = new CNet(board->NewNetName().c_str());
        for (CWire* w : wires) {
            if (!w->m_mark)
                continue;
            // A Redo takes from this net again what the split takes: what
            // another history adds to it meanwhile would stay.
            if (split->GetChildCount() == 0)
                PushUndo(new CUndoKeepReferrers(this));
            w->m_mark = false;
            PushUndo(new CUndoChangeParent(w, nullptr));
            w->RemoveFromParent();
            split->AddChild(w);
        }
        if (split->GetChildCount() != 0) {
            board->AddChild(split);
            PushUndo(new CUndoInsert(split, nullptr));
        } else {
            delete split;
            split = nullptr;
        }
    }
    // 6. The pins find their nets again.
    for (CPin* pin : taken)
        if (!pin->m_pNet)
            pin->Connect(dc);
    if (split && split->GetParent())
        split->SplitDisconnected(dc);
    // 7.
    if (GetParent()) {
        BuildConnectionGraph(nullptr);
        DeleteIfEmpty();
    }
}

void CNet::SplitAtWire(CWire* wire, const std::wstring& name) {
    CBoard* board = GetBoard();
    if (!wire || !board)
        return;
    InvalidateOnSheet(nullptr);
    for (CWire* w : GetWires())
        w->m_mark = w != wire;
    UnmarkConnectedWires(wire, false);
    CNet* target = board->FindOrAddNet(name);
    std::vector<CWire*> moved;
    for (CWire* w : GetWires()) {
        if (!w->m_mark && target != this)
            moved.push_back(w);
        w->m_mark = false;
    }
    if (target == this)
        return;
    // What another history adds to either net since would stay where an
    // Undo or Redo leaves it.
    PushUndo(new CUndoKeepReferrers(this));
    PushUndo(new CUndoKeepReferrers(target));
    for (CWire* w : moved) {
        PushUndo(new CUndoChangeNetOfWire(w));
        w->RemoveFromParent();
        target->AddChild(w);
    }
    // Pins may leave, and this net may be merged away, while the pins are
    // moved: walk a snapshot and skip pins that are no longer here.
    // Pins that name the target join first, so that the other power pins of
    // the cluster follow its name rather than pull the old one along.
    std::vector<CPin*> pins(m_pins.begin(), m_pins.end());
    std::stable_partition(pins.begin(), pins.end(),
                          [&](CPin* pin) { return pin->m_fixedNetName == name; });
    for (CPin* pin : pins) {
        if (pin->m_pNet != this || !pin->GetPart())
            continue;
        if (!target->FindWireAt(pin->GetConnectionPoint(), pin->GetSheet()))
            continue;
        pin->RemoveFromNet();
        pin->AddToNet(nullptr, target);
    }
    target->InvalidateOnSheet(nullptr);
    // The whole net went over: what named it names the target.
    if (GetParent() && GetChildCount() == 0 && m_pins.empty())
        board->MoveNetReferences(GetName(), target->GetName());
    DeleteIfEmpty();
}

// Property rows ---------------------------------------------------------------

void CNet::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(202);
    grid->AddText(201, PropertyText(GetName()));
    grid->AddColor(298, m_airwireColor);
}

void CNet::ApplyPropertyChange(int row) {
    if (!g_pActiveView)
        return;
    InvalidateOnSheet(nullptr);
    StartUndoGroup();
    // The name changes here only to one no net has: the planes and areas
    // naming the net follow it, and follow it back on Undo.
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr, true));
    if (row == 0) {
        const std::wstring name = SchematicRows::Text(row);
        CBoard* board = GetBoard();
        if (name == GetName()) {
        } else if (HasFixedNamePin()) {
            ShowMessageBox(LoadStringText(203), L"Vorpel", MB_OK | MB_ICONERROR);
            FillPropertyGrid();
        } else if (CNet* found = board ? board->FindNet(name) : nullptr) {
            found->Merge(nullptr, this);
            // This net is gone: Merge moved the panel to the one that took
            // it over; a wire shown is filled again, as it now lies in that
            // net.
            if (CPropertyGrid* grid = GetPropertyGrid())
                grid->ShowProperties(grid->GetShownObject());
            found->InvalidateOnSheet(nullptr);
            SchematicRows::FocusViewParent();
            return;
        } else {
            std::wstring newName = name;
            if (newName.empty() && board)
                newName = board->NewNetName();
            if (board)
                board->RenameNetReferences(GetName(), newName);
            SetText(newName);
            if (name.empty())
                FillPropertyGrid();
        }
    } else if (row == 1) {
        m_airwireColor = SchematicRows::Color(row, m_airwireColor);
    }
    InvalidateOnSheet(nullptr);
    SchematicRows::FocusViewParent();
}
