// The clearance outlines of the conductors near the copper areas of one
// Gerber export: each unites a conductor's segments through the clipper,
// which is the costly part of a layer with areas. Helper threads unite them,
// and test them against the areas they come near, in the order the plot
// will ask for them while the plot goes on.
//
// Paths (GraphicsPath) are only made and changed on the caller's thread: the
// helpers read the segment figures and work on clipper polygons and
// flattened paths.
#pragma once

#include "board/clip_polygon.h"
#include "cam/gerber_plot.h"
#include "platform/graphics_path.h"

#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

class CArea;
class CConductor;

// A conductor whose outline the plot needs, with the areas it comes near
// (in plot order).
struct ClearanceRequest {
    const CConductor* conductor = nullptr;
    std::vector<const CArea*> areas;
};

class CClearanceOutlines {
public:
    CClearanceOutlines() = default;
    ~CClearanceOutlines();
    CClearanceOutlines(const CClearanceOutlines&) = delete;
    CClearanceOutlines& operator=(const CClearanceOutlines&) = delete;

    // Cores available to this process (at least 1).
    static unsigned UsableCores();
    // The outline of a conductor: its copper grown by isolation, flattened
    // with the tolerance (on the caller's thread).
    static FlatPath Build(const CConductor* conductor, float isolation, float tolerance);

    // Starts building the outlines of the requests (one per conductor), in
    // this order, on up to helpers threads besides the caller's. Area
    // outlines are flattened with the same tolerance.
    void Start(std::vector<ClearanceRequest> requests, float isolation, float tolerance,
               unsigned helpers);
    // The outline of the conductor, and whether it overlaps the area whose
    // flattened outline is areaFlat (FlatPathsOverlap): waits for it, or
    // builds it on the spot when no helper has taken it (or Start did not
    // ask for it). While a helper works on it, the caller builds others from
    // the end of the list.
    const FlatPath& Get(const CConductor* conductor, const CArea* area, const FlatPath& areaFlat,
                        bool* overlaps);
    // Frees the conductor's outline once the plot needs it no more.
    void Release(const CConductor* conductor);
    // Waits for the helpers.
    void Stop();

private:
    enum : int { kWaiting = 0, kBuilding = 1, kDone = 2, kFailed = 3 };

    struct Item {
        const CConductor* conductor = nullptr;
        GraphicsPath figures;       // the segments, made by the caller's thread
        std::vector<size_t> areas;  // indexes into m_areaFlats
        FlatPath outline;           // by whichever thread claimed the item
        std::vector<char> overlaps; // with each of the areas
        bool checked = false;       // the caller has seen it done
        bool released = false;      // Get builds it anew if asked again
    };

    bool Claim(size_t i);
    void BuildAt(size_t i);
    void HelperLoop();

    float m_isolation = 0;
    float m_tolerance = 0;
    std::vector<Item> m_items;
    std::vector<const CArea*> m_areas;
    std::vector<FlatPath> m_areaFlats;
    std::unique_ptr<std::atomic<int>[]> m_state;
    std::unordered_map<const CConductor*, size_t> m_index;
    std::atomic<size_t> m_next{0};
    std::atomic<size_t> m_ready{0}; // items whose figures are made
    size_t m_back = 0;              // the caller's claims go downwards from here
    std::vector<std::thread> m_threads;
    // Outlines built for the caller outside the list.
    std::unordered_map<const CConductor*, FlatPath> m_extra;
};
