// A wire segment of a net on a sheet: the first end is the sheet position,
// the second end its own; each end may carry a bus entry (non-zero, its sign
// choosing the side the entry is drawn on).
#pragma once

#include "schematic/sheet_object.h"

class CNet;
class CSheetJunctions;

// Direction letters of wires and buses.
namespace WireDirection {
constexpr wchar_t Horizontal = L'H';
constexpr wchar_t Vertical = L'V';
constexpr wchar_t Slanted = L'S';
constexpr wchar_t None = L'N'; // zero length
} // namespace WireDirection

inline bool SamePoint(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

class CWire : public CSheetObject {
public:
    CWire();
    CWire(POINT a, POINT b);
    CWire(const CWire& other);
    ~CWire() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    // The wire's property rows are its net's.
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    CNet* GetNet() const;
    POINT GetStart() const { return m_position; }
    POINT GetEnd() const { return m_end; }
    wchar_t GetDirection() const;
    // With ends: a straight wire holds the points between its ends
    // inclusive, a zero-length wire its point, a slanted wire only its ends.
    // Without ends: only a straight wire, strictly between its ends.
    bool ContainsPoint(POINT p, bool includeEnds) const;
    // Same two ends in either order.
    bool IsSameSegment(const CWire& other) const;
    // Bus-entry value at the end p (0 when p is no end or has none).
    int BusEntryAt(POINT p) const;
    // Splits at p with undo records; keepStart: this wire keeps its first
    // end. Returns the new wire (appended to the same net).
    CWire* SplitAt(int x, int y, bool keepStart);
    // A zero-length wire that joins nothing.
    bool IsRedundantJoint() const;
    // Negates the bus entries of the ends marked in bits 1 and 2 of the state
    // word (clearing the bits) and remembers the value for new entries.
    void ToggleBusEntry(DeviceContext* dc);
    void InvalidateBusEntries(DeviceContext* dc);
    // Moves the wire by (dx, dy) grid steps keeping its connections.
    void DragSegment(int dx, int dy);
    // The ends as drawn: an end with a bus entry one step toward the other.
    POINT GetDrawnStart() const;
    POINT GetDrawnEnd() const;
    // The net-name label of the bus entry at end 1 or 2 (logical units, not
    // normalised); all zero for an end without a bus entry or a slanted wire.
    RECT GetBusEntryLabelRect(DeviceContext* dc, int end) const;

    // Looks up what meets its ends on its sheet (a walk of the sheet).
    void DrawOnSheet(DeviceContext* dc, uint32_t flags) override;
    // The same drawing with the lookups of the wire's sheet made beforehand:
    // a sheet draws all its wires with one set of them.
    void DrawWithJunctions(DeviceContext* dc, const CSheetJunctions& junctions);
    RECT GetBoundsOnSheet(DeviceContext* dc) override;
    CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y) override;
    void InvalidateOnSheet(DeviceContext* dc) override;
    CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    void RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DeleteOnSheet(DeviceContext* dc, uint32_t flags) override;

    // The value new bus entries copy (1 until an entry is toggled).
    static int GetLastBusEntry();
    static void ResetLastBusEntry();

    POINT m_end{0, 0};
    int32_t m_busEntry1 = 0;
    int32_t m_busEntry2 = 0;
    bool m_mark = false; // flood-fill mark of the net operations; not saved
};
