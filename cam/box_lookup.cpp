#include "cam/box_lookup.h"

#include <algorithm>
#include <cmath>

namespace {

bool Finite(float x0, float y0, float x1, float y1) {
    return std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1);
}

// Grids beyond this many halvings of the whole extent hold too few boxes
// per cell to be worth their own.
constexpr int kFinestGrid = 30;

} // namespace

void CBoxLookup::Add(float x0, float y0, float x1, float y1) {
    m_boxes.push_back(Box{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)});
    if (!Finite(x0, y0, x1, y1))
        m_everywhere.push_back(static_cast<uint32_t>(m_boxes.size() - 1));
}

int64_t CBoxLookup::CellOf(const Grid& grid, double v, double origin) const {
    const double c = std::floor((v - origin) / grid.cell);
    return static_cast<int64_t>(std::clamp(c, 0.0, static_cast<double>(grid.lastCell)));
}

void CBoxLookup::Build() {
    m_grids.clear();
    bool any = false;
    double maxX = 0, maxY = 0, smallest = 0;
    for (const Box& b : m_boxes) {
        if (!Finite(b.x0, b.y0, b.x1, b.y1))
            continue;
        const double size = std::max(double(b.x1) - b.x0, double(b.y1) - b.y0);
        if (!any) {
            m_originX = b.x0;
            m_originY = b.y0;
            maxX = b.x1;
            maxY = b.y1;
            smallest = size;
            any = true;
            continue;
        }
        m_originX = std::min<double>(m_originX, b.x0);
        m_originY = std::min<double>(m_originY, b.y0);
        maxX = std::max<double>(maxX, b.x1);
        maxY = std::max<double>(maxY, b.y1);
        if (size > 0 && (smallest == 0 || size < smallest))
            smallest = size;
    }
    if (!any)
        return;
    const double extent = std::max(maxX - m_originX, maxY - m_originY);
    double finest = std::max(smallest, std::ldexp(extent, -kFinestGrid));
    if (!(finest > 0))
        finest = 1;
    m_grids.resize(1);
    for (uint32_t id = 0; id < m_boxes.size(); ++id) {
        const Box& b = m_boxes[id];
        if (!Finite(b.x0, b.y0, b.x1, b.y1))
            continue;
        const double size = std::max(double(b.x1) - b.x0, double(b.y1) - b.y0);
        size_t level = 0;
        while (std::ldexp(finest, static_cast<int>(level)) < size)
            ++level;
        if (level >= m_grids.size())
            m_grids.resize(level + 1);
        m_grids[level].entries.push_back(Entry{0, 0, id});
    }
    for (size_t level = 0; level < m_grids.size(); ++level) {
        Grid& grid = m_grids[level];
        grid.cell = std::ldexp(finest, static_cast<int>(level));
        grid.lastCell = static_cast<int64_t>(std::floor(extent / grid.cell)) + 1;
        std::vector<Entry> placed;
        for (const Entry& e : grid.entries) {
            const Box& b = m_boxes[e.id];
            const int64_t cx1 = CellOf(grid, b.x1, m_originX), cy1 = CellOf(grid, b.y1, m_originY);
            for (int64_t cx = CellOf(grid, b.x0, m_originX); cx <= cx1; ++cx)
                for (int64_t cy = CellOf(grid, b.y0, m_originY); cy <= cy1; ++cy)
                    placed.push_back(Entry{cx, cy, e.id});
        }
        std::sort(placed.begin(), placed.end(), [](const Entry& a, const Entry& b) {
            return a.cx != b.cx ? a.cx < b.cx : a.cy < b.cy;
        });
        grid.entries = std::move(placed);
    }
}

void CBoxLookup::FindInGrid(const Grid& grid, const Box& box, std::vector<uint32_t>* found) const {
    if (grid.entries.empty())
        return;
    const int64_t cx0 = CellOf(grid, box.x0, m_originX), cx1 = CellOf(grid, box.x1, m_originX);
    const int64_t cy0 = CellOf(grid, box.y0, m_originY), cy1 = CellOf(grid, box.y1, m_originY);
    // A search over more cells than the grid has boxes looks at every box.
    if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) >= static_cast<int64_t>(grid.entries.size())) {
        for (const Entry& e : grid.entries)
            if (e.cx >= cx0 && e.cx <= cx1 && e.cy >= cy0 && e.cy <= cy1)
                found->push_back(e.id);
        return;
    }
    for (int64_t column = cx0; column <= cx1; ++column) {
        auto it = std::lower_bound(
            grid.entries.begin(), grid.entries.end(), column,
            [cy0](const Entry& e, int64_t c) { return e.cx != c ? e.cx < c : e.cy < cy0; });
        for (; it != grid.entries.end() && it->cx == column && it->cy <= cy1; ++it)
            found->push_back(it->id);
    }
}

void CBoxLookup::Find(float x0, float y0, float x1, float y1, std::vector<uint32_t>* found) const {
    found->clear();
    if (!Finite(x0, y0, x1, y1)) {
        for (uint32_t id = 0; id < m_boxes.size(); ++id)
            found->push_back(id);
        return;
    }
    const Box box{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    for (const Grid& grid : m_grids)
        FindInGrid(grid, box, found);
    found->insert(found->end(), m_everywhere.begin(), m_everywhere.end());
    std::sort(found->begin(), found->end());
    found->erase(std::unique(found->begin(), found->end()), found->end());
}
