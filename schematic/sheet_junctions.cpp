#include "schematic/sheet_junctions.h"

#include "core/node_type.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/wire.h"

#include <unordered_set>

namespace {

std::size_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return static_cast<std::size_t>(h);
}

} // namespace

uint64_t CSheetJunctions::PointKey(POINT p) {
    return static_cast<uint64_t>(static_cast<uint32_t>(p.x)) << 32 | static_cast<uint32_t>(p.y);
}

CSheetJunctions::SegmentKey CSheetJunctions::SegmentOf(POINT p, POINT q) {
    const uint64_t a = PointKey(p), b = PointKey(q);
    return a < b ? SegmentKey{a, b} : SegmentKey{b, a};
}

std::size_t CSheetJunctions::PinKeyHash::operator()(const PinKey& k) const {
    return Mix(reinterpret_cast<uintptr_t>(k.net) * 31 + PointKey(POINT{k.x, k.y}));
}

std::size_t CSheetJunctions::SegmentKeyHash::operator()(const SegmentKey& k) const {
    return Mix(k.a * 0x9e3779b97f4a7c15ULL + k.b);
}

CSheetJunctions::CSheetJunctions(const CSheet* sheet) : m_sheet(sheet) {
    if (!sheet)
        return;
    std::unordered_set<const CNet*> nets;
    m_wireEnds.reserve(2 * sheet->m_objects.size());
    for (const CSheetObject* object : sheet->m_objects) {
        if (object->GetType() != NodeType::Wire)
            continue;
        const auto* wire = static_cast<const CWire*>(object);
        const POINT a = wire->GetStart(), b = wire->GetEnd();
        ++m_wireEnds[PointKey(a)];
        if (!SamePoint(a, b)) {
            ++m_wireEnds[PointKey(b)];
            ++m_segments[SegmentOf(a, b)];
        }
        if (const CNet* net = wire->GetNet())
            nets.insert(net);
    }
    for (const CNet* net : nets)
        for (const CPin* pin : net->m_pins) {
            if (!pin->GetPart() || pin->GetSheet() != sheet)
                continue;
            const POINT c = pin->GetConnectionPoint();
            ++m_pins[PinKey{net, c.x, c.y}];
        }
}

void CSheetJunctions::CountAtEnds(const CWire& wire, int count[2]) const {
    count[0] = count[1] = 0;
    if (!m_sheet)
        return;
    const POINT ends[2] = {wire.GetStart(), wire.GetEnd()};
    if (const CNet* net = wire.GetNet())
        for (int i = 0; i < 2; ++i) {
            const auto it = m_pins.find(PinKey{net, ends[i].x, ends[i].y});
            if (it != m_pins.end())
                count[i] += it->second;
        }
    auto lookUp = [](const auto& map, const auto& key) {
        const auto it = map.find(key);
        return it == map.end() ? 0 : it->second;
    };
    // The wire itself is among those counted when it lies on the sheet.
    const int self = m_sheet->HasObject(const_cast<CWire*>(&wire)) ? 1 : 0;
    count[0] += lookUp(m_wireEnds, PointKey(ends[0])) - self;
    if (SamePoint(ends[0], ends[1]))
        return;
    // Another wire with both ends on this one's has been counted at the first.
    count[1] +=
        lookUp(m_wireEnds, PointKey(ends[1])) - lookUp(m_segments, SegmentOf(ends[0], ends[1]));
}
