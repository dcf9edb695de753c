#include "cam/clearance_outlines.h"

#include "board/conductor.h"
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
    conductor->BuildPath(&path, isolation);
    return FlatOf(path, tolerance);
}

void CClearanceOutlines::Start(std::vector<const CConductor*> conductors, float isolation,
                               float tolerance, unsigned helpers) {
    Stop();
    m_isolation = isolation;
    m_tolerance = tolerance;
    const size_t n = conductors.size();
    m_items = std::vector<Item>(n);
    m_state = std::make_unique<std::atomic<int>[]>(n);
    m_index.clear();
    for (size_t i = 0; i < n; ++i) {
        Item& item = m_items[i];
        item.conductor = conductors[i];
        // BuildPath's first half; the helpers do the union.
        item.conductor->AddSegmentFigures(&item.figures, isolation);
        m_state[i].store(kWaiting, std::memory_order_relaxed);
        m_index.emplace(conductors[i], i);
    }
    m_next = 0;
    m_back = n;
    m_extra.clear();
    for (unsigned t = 0; t < helpers; ++t) {
        try {
            m_threads.emplace_back([this] { HelperLoop(); });
        } catch (const std::system_error&) {
            break; // fewer helpers then
        }
    }
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

void CClearanceOutlines::UniteAt(size_t i) {
    Item& item = m_items[i];
    int result = kDone;
    try {
        // BuildPath's second half, as MergePathFigures does it.
        if (item.conductor->m_vertices.size() >= 2)
            item.united = UnitePathFigures(item.figures, CConductor::kOutlineFlatness);
    } catch (...) {
        // Get builds it again on the caller's thread, where a failure
        // surfaces as it always did.
        result = kFailed;
    }
    m_state[i].store(result, std::memory_order_release);
    m_state[i].notify_all();
}

void CClearanceOutlines::HelperLoop() {
    for (size_t i = m_next++; i < m_items.size(); i = m_next++)
        if (Claim(i))
            UniteAt(i);
}

const FlatPath& CClearanceOutlines::Get(const CConductor* conductor) {
    const auto found = m_index.find(conductor);
    if (found == m_index.end()) {
        auto extra = m_extra.find(conductor);
        if (extra == m_extra.end())
            extra = m_extra.emplace(conductor, Build(conductor, m_isolation, m_tolerance)).first;
        return extra->second;
    }
    const size_t i = found->second;
    Item& item = m_items[i];
    if (item.outlineMade)
        return item.outline;
    if (Claim(i)) {
        UniteAt(i);
    } else {
        // A helper has it: meanwhile unite what will be needed last.
        while (m_state[i].load(std::memory_order_acquire) == kBuilding) {
            while (m_back > 0 && !Claim(m_back - 1))
                --m_back;
            if (m_back == 0) {
                m_state[i].wait(kBuilding, std::memory_order_acquire);
                break;
            }
            UniteAt(--m_back);
        }
    }
    if (m_state[i].load(std::memory_order_acquire) == kFailed) {
        item.outline = Build(conductor, m_isolation, m_tolerance);
    } else {
        // A conductor of fewer than two vertices keeps its (empty) figures,
        // as BuildPath does.
        GraphicsPath path;
        if (conductor->m_vertices.size() >= 2)
            ClipPolygonToPath(item.united, &path);
        else
            path = item.figures;
        item.outline = FlatOf(path, m_tolerance);
    }
    item.outlineMade = true;
    item.figures.Reset();
    item.united.Clear();
    return item.outline;
}
