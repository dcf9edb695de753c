// What the board editor looks up over and over while the selected
// footprints turn or change sides together, found once per net instead of
// once per footprint: the conductors tied to each pad, which conductors may
// have had their undo flags set or lost their length since the net was last
// gone through, and where the net's track vertices lie. The action makes no
// conductors and ties no vertex anew; a net whose children come or go
// meanwhile is gone through in full again, as without the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CConductor;
class CFootprint;
class CNet;
class CPad;
class CTreeNode;

class FootprintActionCache {
public:
    // The cache is the active one while it lives.
    FootprintActionCache();
    ~FootprintActionCache();
    FootprintActionCache(const FootprintActionCache&) = delete;
    FootprintActionCache& operator=(const FootprintActionCache&) = delete;
    // The cache of the action under way, or null.
    static FootprintActionCache* Active();

    // The conductors of the net with a vertex tied to the pad when the net
    // was first asked about, in the net's order, those still in the net.
    std::vector<CConductor*> TiedTo(CNet* net, const CPad* pad);
    // What CFootprint::ResetAttachedConductorUndoFlags does: the first time
    // a net is met every conductor's flag is cleared, later only those of
    // the conductors noted as moved since.
    void ResetUndoFlags(CFootprint* footprint);
    // A conductor of the net whose vertices moved (its undo flag set, its
    // length perhaps gone); told once the conductor is as it stays.
    void NoteMoved(CNet* net, CConductor* conductor);
    // The conductors of the net that may have lost their length since its
    // last sweep, the others known to have length; null when the net was
    // not swept yet in this action.
    const std::vector<CConductor*>* MovedSinceSweep(CNet* net);
    // The net's tracks without length were dropped (changed: something went).
    void Swept(CNet* net, bool changed);
    // Whether CConductor::FindOtherConductorAt finds a conductor.
    bool OtherConductorAt(const CConductor* conductor, float x, float y, float tolerance);

private:
    struct Cell {
        int32_t layer, x, y;
        bool operator==(const Cell& o) const { return layer == o.layer && x == o.x && y == o.y; }
    };
    struct CellHash {
        size_t operator()(const Cell& c) const;
    };
    using Grid = std::unordered_map<Cell, std::vector<CConductor*>, CellHash>;
    struct NetState {
        size_t children = 0; // the net's children when the state below was taken
        bool tiesFound = false;
        std::unordered_map<const CPad*, std::vector<CConductor*>> tied;
        bool flagsKnown = false; // flags clear but for those in flagged
        std::vector<CConductor*> flagged;
        bool swept = false; // every track has length but perhaps those in moved
        std::vector<CConductor*> moved;
        bool gridBuilt = false; // every conductor's vertices are in grid
        Grid grid;
    };
    // The net's state, forgotten (but for the ties) when its children changed.
    NetState& StateOf(const CTreeNode* net);
    static void AddToGrid(Grid& grid, CConductor* conductor);

    std::unordered_map<const CTreeNode*, NetState> nets_;
    FootprintActionCache* outer_;
};
