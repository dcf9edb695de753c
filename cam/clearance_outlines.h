// The clearance outlines of the conductors near the copper areas of one
// Gerber export: each unites a conductor's segments through the clipper,
// which is the costly part of a layer with areas. Helper threads unite them
// in the order the plot will ask for them while the plot goes on.
//
// Paths (GraphicsPath) are only made and changed on the caller's thread: the
// helpers read the segment figures and produce clipper polygons.
#pragma once

#include "board/clip_polygon.h"
#include "cam/gerber_plot.h"
#include "platform/graphics_path.h"

#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

class CConductor;

class CClearanceOutlines {
public:
    CClearanceOutlines() = default;
    ~CClearanceOutlines();
    CClearanceOutlines(const CClearanceOutlines&) = delete;
    CClearanceOutlines& operator=(const CClearanceOutlines&) = delete;

    // Cores available to this process (at least 1).
    static unsigned UsableCores();
    // The outline of a conductor: its copper grown by isolation, flattened
    // with the tolerance.
    static FlatPath Build(const CConductor* conductor, float isolation, float tolerance);

    // Starts building the outlines of the conductors (no repeats), in this
    // order, on up to helpers threads besides the caller's.
    void Start(std::vector<const CConductor*> conductors, float isolation, float tolerance,
               unsigned helpers);
    // The outline of the conductor: waits for it, or builds it on the spot
    // when no helper has taken it (or it was not asked for by Start). While
    // a helper works on it, the caller unites others from the end of the list.
    const FlatPath& Get(const CConductor* conductor);
    // Waits for the helpers.
    void Stop();

private:
    enum : int { kWaiting = 0, kBuilding = 1, kDone = 2, kFailed = 3 };

    struct Item {
        const CConductor* conductor = nullptr;
        GraphicsPath figures; // the segments, made by the caller's thread
        CClipPolygon united;  // by whichever thread claimed the item
        FlatPath outline;     // made from united by the caller's thread
        bool outlineMade = false;
    };

    bool Claim(size_t i);
    void UniteAt(size_t i);
    void HelperLoop();

    float m_isolation = 0;
    float m_tolerance = 0;
    std::vector<Item> m_items;
    std::unique_ptr<std::atomic<int>[]> m_state;
    std::unordered_map<const CConductor*, size_t> m_index;
    std::atomic<size_t> m_next{0};
    size_t m_back = 0; // the caller's claims go downwards from here
    std::vector<std::thread> m_threads;
    // Outlines built for the caller outside the list.
    std::unordered_map<const CConductor*, FlatPath> m_extra;
};
