// Board points sorted into square cells, to find the points near a point
// without looking at all of them. Every point within one cell size of a
// point (in both axes) lies in the 3 x 3 block of cells around it. Points
// with a coordinate that is not finite are left out: they are near nothing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

class PointCells {
public:
    explicit PointCells(double cellSize) : m_cellSize(cellSize) {}

    void Add(float x, float y, uint32_t id) {
        if (std::isfinite(x) && std::isfinite(y))
            m_entries.push_back({CellOf(x), CellOf(y), x, y, id});
    }
    // After the last Add, before the first search.
    void Sort() {
        std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
            return a.cx != b.cx ? a.cx < b.cx : a.cy < b.cy;
        });
    }
    // Calls visit(id, x, y) for every point of the cells around (x, y).
    template <class Visit> void ForEachNear(float x, float y, Visit&& visit) const {
        if (!std::isfinite(x) || !std::isfinite(y))
            return;
        const int64_t cx = CellOf(x), cy = CellOf(y);
        for (int64_t column = cx - 1; column <= cx + 1; ++column) {
            auto it = std::lower_bound(
                m_entries.begin(), m_entries.end(), column,
                [cy](const Entry& e, int64_t c) { return e.cx != c ? e.cx < c : e.cy < cy - 1; });
            for (; it != m_entries.end() && it->cx == column && it->cy <= cy + 1; ++it)
                visit(it->id, it->x, it->y);
        }
    }

private:
    struct Entry {
        int64_t cx, cy;
        float x, y;
        uint32_t id;
    };
    // Far-away cells share the outermost cell numbers; the exact test on
    // each point found keeps the answer right.
    int64_t CellOf(float v) const {
        const double c = std::floor(static_cast<double>(v) / m_cellSize);
        return static_cast<int64_t>(std::clamp(c, -4e18, 4e18));
    }

    double m_cellSize;
    std::vector<Entry> m_entries;
};
