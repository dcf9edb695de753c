// What meets at the ends of the wires of one sheet, for the junction dots:
// looked up once for the whole sheet, so that drawing every wire with its
// dots takes time linear in the sheet's objects instead of a scan of the
// sheet per wire.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <unordered_map>

class CNet;
class CSheet;
class CWire;

class CSheetJunctions {
public:
    // Null: a sheet of nothing (a wire on no sheet meets nothing).
    explicit CSheetJunctions(const CSheet* sheet);

    // How many items other than the wire meet each of its ends: the wires of
    // the sheet with an end there (a wire that reaches both ends is counted
    // at the first only) and the pins of the wire's net placed on the sheet
    // whose connection point is there. A dot is drawn where two or more meet.
    void CountAtEnds(const CWire& wire, int count[2]) const;

private:
    struct PinKey {
        const CNet* net;
        int32_t x, y;
        bool operator==(const PinKey& o) const { return net == o.net && x == o.x && y == o.y; }
    };
    struct PinKeyHash {
        std::size_t operator()(const PinKey& k) const;
    };
    // The two ends of a wire, the lesser point first.
    struct SegmentKey {
        uint64_t a, b;
        bool operator==(const SegmentKey& o) const { return a == o.a && b == o.b; }
    };
    struct SegmentKeyHash {
        std::size_t operator()(const SegmentKey& k) const;
    };
    static uint64_t PointKey(POINT p);
    static SegmentKey SegmentOf(POINT p, POINT q);

    const CSheet* m_sheet;
    // Wires of the sheet with an end at a point (a wire once per point).
    std::unordered_map<uint64_t, int> m_wireEnds;
    // Wires of the sheet between two distinct points.
    std::unordered_map<SegmentKey, int, SegmentKeyHash> m_segments;
    // Pins of a net on the sheet at a point.
    std::unordered_map<PinKey, int, PinKeyHash> m_pins;
};
