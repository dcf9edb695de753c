#include "cam/clearance_outlines.h"

#include "board/area.h"
#include "board/conductor.h"
#include "board/outward_flatten.h"
#include "board/polygon_union.h"

#include <algorithm>
#include <system_error>

#ifdef __linux__
#include <sched.h>
#endif

unsigned CClearanceOutlines::UsableCores() {
#ifdef __linux__
    // The cores this process may run on, which may be fewer than the
    // machine has.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

CClearanceOutlines::~CClearanceOutlines() {
    Stop();
}

namespace {

FlatPath FlatOf(GraphicsPath& path, float tolerance) {
    path.Flatten(nullptr, tolerance);
    FlatPath flat;
    flat.points = path.Points();
    flat.types = path.Types();
    return flat;
}

} // namespace

FlatPath CClearanceOutlines::Build(const CConductor* conductor, float isolation, float tolerance) {
    GraphicsPath path;
    conductor->BuildClearancePath(&path, isolation);
    return FlatOf(path, tolerance);
}

void CClearanceOutlines::Start(std::vector<ClearanceRequest> requests, float isolation,
                               float tolerance, unsigned helpers) {
    Stop();
    m_isolation = isolation;
    m_tolerance = tolerance;
    const size_t n = requests.size();
    m_items = std::vector<Item>(n);
    m_areas.clear();
    m_areaFlats.clear();
    m_state = std::make_unique<std::atomic<int>[]>(n);
    m_index.clear();
    std::unordered_map<const CArea*, size_t> areaIndex;
    for (size_t i = 0; i < n; ++i) {
        Item& item = m_items[i];
        item.conductor = requests[i].conductor;
        for (const CArea* area : requests[i].areas) {
            auto [at, added] = areaIndex.emplace(area, m_areas.size());
            if (added) {
                m_areas.push_back(area);
                m_areaFlats.emplace_back();
                FlattenOutline(area->m_outline, tolerance, &m_areaFlats.back());
            }
            item.areas.push_back(at->second);
        }
        m_state[i].store(kWaiting, std::memory_order_relaxed);
        m_index.emplace(item.conductor, i);
    }
    m_next = 0;
    m_ready = 0;
    m_back = n;
    m_extra.clear();
    for (unsigned t = 0; t < helpers; ++t) {
        try {
            m_threads.emplace_back([this] { HelperLoop(); });
        } catch (const std::system_error&) {
            break; // fewer helpers then
        }
    }
    // BuildPath's first half, here; the helpers do the union of each item
    // as soon as its figures are there.
    try {
        for (size_t i = 0; i < n; ++i) {
            m_items[i].conductor->AddSegmentFigures(&m_items[i].figures, isolation);
            m_ready.store(i + 1, std::memory_order_release);
            if (i % 16 == 15)
                m_ready.notify_all();
        }
    } catch (...) {
        // No helper may wait for figures that will not come.
        m_next = n;
        m_ready.store(n, std::memory_order_release);
        m_ready.notify_all();
        throw;
    }
    m_ready.notify_all();
}

void CClearanceOutlines::Stop() {
    // Nothing is left for the helpers once they have all been claimed.
    m_next = m_items.size();
    for (std::thread& t : m_threads)
        t.join();
    m_threads.clear();
}

bool CClearanceOutlines::Claim(size_t i) {
    int expected = kWaiting;
    return m_state[i].compare_exchange_strong(expected, kBuilding, std::memory_order_acquire);
}

void CClearanceOutlines::BuildAt(size_t i) {
    Item& item = m_items[i];
    int result = kDone;
    try {
        // BuildClearancePath's second half, as MergePathFiguresOutward does
        // it, and the flattened path ClipPolygonToPath would give: every
        // contour of at least three vertices as a closed polygon figure.
        if (item.conductor->m_vertices.size() >= 2) {
            const CClipPolygon united =
                UnitePathFiguresOutward(item.figures, CConductor::kOutlineFlatness);
            for (const CClipContour& c : united.Contours()) {
                const int count = c.GetVertexCount();
                if (count < 3)
                    continue;
                item.outline.points.insert(item.outline.points.end(), c.GetVertices(),
                                           c.GetVertices() + count);
                item.outline.types.push_back(PathPointTypeStart);
                item.outline.types.insert(item.outline.types.end(), static_cast<size_t>(count - 1),
                                          PathPointTypeLine);
                item.outline.types.back() |= PathPointTypeCloseSubpath;
            }
        }
        for (size_t area : item.areas)
            item.overlaps.push_back(FlatPathsOverlap(item.outline, m_areaFlats[area]) ? 1 : 0);
    } catch (...) {
        // Get builds it again on the caller's thread, where a failure
        // surfaces as it always did.
        result = kFailed;
    }
    m_state[i].store(result, std::memory_order_release);
    m_state[i].notify_all();
}

void CClearanceOutlines::HelperLoop() {
    for (size_t i = m_next++; i < m_items.size(); i = m_next++) {
        for (size_t ready = m_ready.load(std::memory_order_acquire); ready <= i;
             ready = m_ready.load(std::memory_order_acquire))
            m_ready.wait(ready, std::memory_order_acquire);
        if (Claim(i))
            BuildAt(i);
    }
}

const FlatPath& CClearanceOutlines::Get(const CConductor* conductor, const CArea* area,
                                        const FlatPath& areaFlat, bool* overlaps) {
    const auto found = m_index.find(conductor);
    if (found == m_index.end() || m_items[found->second].released) {
        auto extra = m_extra.find(conductor);
        if (extra == m_extra.end())
            extra = m_extra.emplace(conductor, Build(conductor, m_isolation, m_tolerance)).first;
        *overlaps = FlatPathsOverlap(extra->second, areaFlat);
        return extra->second;
    }
    const size_t i = found->second;
    Item& item = m_items[i];
    if (!item.checked) {
        if (Claim(i)) {
            BuildAt(i);
        } else {
            // A helper has it: meanwhile build what will be needed last.
            while (m_state[i].load(std::memory_order_acquire) == kBuilding) {
                while (m_back > 0 && !Claim(m_back - 1))
                    --m_back;
                if (m_back == 0) {
                    m_state[i].wait(kBuilding, std::memory_order_acquire);
                    break;
                }
                BuildAt(--m_back);
            }
        }
        if (m_state[i].load(std::memory_order_acquire) == kFailed) {
            item.outline = Build(conductor, m_isolation, m_tolerance);
            item.overlaps.clear();
        }
        item.checked = true;
        item.figures.Reset();
    }
    for (size_t k = 0; k < item.areas.size() && k < item.overlaps.size(); ++k) {
        if (m_areas[item.areas[k]] == area) {
            *overlaps = item.overlaps[k] != 0;
            return item.outline;
        }
    }
    *overlaps = FlatPathsOverlap(item.outline, areaFlat);
    return item.outline;
}

void CClearanceOutlines::Release(const CConductor* conductor) {
    m_extra.erase(conductor);
    const auto found = m_index.find(conductor);
    if (found == m_index.end())
        return;
    Item& item = m_items[found->second];
    // Only an outline the caller has seen done belongs to it alone.
    if (!item.checked)
        return;
    item.outline = FlatPath{};
    item.overlaps.clear();
    item.areas.clear();
    item.released = true;
}
