#include "cam/clearance_outlines.h"

#include "board/conductor.h"
#include "platform/graphics_path.h"

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

FlatPath CClearanceOutlines::Build(const CConductor* conductor, float isolation, float tolerance) {
    GraphicsPath path;
    conductor->BuildPath(&path, isolation);
    path.Flatten(nullptr, tolerance);
    FlatPath flat;
    flat.points = path.Points();
    flat.types = path.Types();
    return flat;
}

void CClearanceOutlines::Start(std::vector<const CConductor*> conductors, float isolation,
                               float tolerance, unsigned helpers) {
    Stop();
    m_isolation = isolation;
    m_tolerance = tolerance;
    m_conductors = std::move(conductors);
    const size_t n = m_conductors.size();
    m_outlines.assign(n, FlatPath{});
    m_state = std::make_unique<std::atomic<int>[]>(n);
    m_index.clear();
    for (size_t i = 0; i < n; ++i) {
        m_state[i].store(kWaiting, std::memory_order_relaxed);
        m_index.emplace(m_conductors[i], i);
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
    m_next = m_conductors.size();
    for (std::thread& t : m_threads)
        t.join();
    m_threads.clear();
}

bool CClearanceOutlines::Claim(size_t i) {
    int expected = kWaiting;
    return m_state[i].compare_exchange_strong(expected, kBuilding, std::memory_order_acquire);
}

void CClearanceOutlines::BuildAt(size_t i) {
    int result = kDone;
    try {
        m_outlines[i] = Build(m_conductors[i], m_isolation, m_tolerance);
    } catch (...) {
        // Get builds it again on the caller's thread, where a failure
        // surfaces as it always did.
        result = kFailed;
    }
    m_state[i].store(result, std::memory_order_release);
    m_state[i].notify_all();
}

void CClearanceOutlines::HelperLoop() {
    for (size_t i = m_next++; i < m_conductors.size(); i = m_next++)
        if (Claim(i))
            BuildAt(i);
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
        m_outlines[i] = Build(conductor, m_isolation, m_tolerance);
        m_state[i].store(kDone, std::memory_order_relaxed);
    }
    return m_outlines[i];
}
