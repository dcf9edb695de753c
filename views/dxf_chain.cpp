#include "views/dxf_chain.h"

#include "board/area_node.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

constexpr float kJoinTolerance = 0.0001f;

// The pieces' ends are sorted into square cells four times the tolerance
// wide, so that the ends that can meet a point lie in the one, two or four
// cells its tolerance square touches. Each cell lists the pieces with an end in it in the order of
// their current positions, so the first one there that meets the point is that cell's answer, and
// the pieces already placed gather at its front.
class ChainJoiner {
public:
    explicit ChainJoiner(std::vector<DxfChainItem>& items) : m_items(items) {}

    bool Join() {
        const int n = static_cast<int>(m_items.size());
        if (n == 0)
            return false;
        BuildCells();
        for (int i = 0; i + 1 < n; ++i) {
            const Ends& current = m_ends[m_at[i]];
            const int found = FindNext(i, current.ex, current.ey);
            if (found < 0)
                return false;
            const int next = m_at[found];
            if (!DxfPointsCoincide(m_ends[next].sx, m_ends[next].sy, current.ex, current.ey)) {
                m_items[next].Reverse();
                std::swap(m_ends[next].sx, m_ends[next].ex);
                std::swap(m_ends[next].sy, m_ends[next].ey);
            }
            if (found != i + 1)
                Swap(found, i + 1);
        }
        const Ends& last = m_ends[m_at[n - 1]];
        const Ends& first = m_ends[m_at[0]];
        if (!DxfPointsCoincide(first.sx, first.sy, last.ex, last.ey))
            return false;
        std::vector<DxfChainItem> ordered(n);
        for (int i = 0; i < n; ++i)
            ordered[i] = m_items[m_at[i]];
        m_items.swap(ordered);
        return true;
    }

private:
    struct Key {
        int64_t x, y;
        bool operator==(const Key&) const = default;
        bool operator<(const Key& o) const { return x != o.x ? x < o.x : y < o.y; }
    };
    // A piece's start and end, kept here next to each other.
    struct Ends {
        float sx, sy, ex, ey;
    };
    struct Cell {
        Key key;
        int begin, end; // the cell's pieces in m_entries, by position
        int head;       // pieces before it are placed
    };

    static constexpr double kCellSize = 4.0 * kJoinTolerance;

    static int64_t CellIndex(double v) {
        return static_cast<int64_t>(std::clamp(std::floor(v / kCellSize), -1e15, 1e15));
    }
    static Key KeyOf(float x, float y) { return {CellIndex(x), CellIndex(y)}; }
    static uint64_t Hash(const Key& k) {
        uint64_t h = static_cast<uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<uint64_t>(k.y) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
        h ^= h >> 31;
        return h * 0xBF58476D1CE4E5B9ull;
    }

    void BuildCells() {
        const int n = static_cast<int>(m_items.size());
        m_at.resize(n);
        m_pos.resize(n);
        m_ends.resize(n);
        for (int i = 0; i < n; ++i) {
            m_at[i] = m_pos[i] = i;
            const DxfChainItem& item = m_items[i];
            m_ends[i] = {item.node->m_x, item.node->m_y, item.endX, item.endY};
        }
        std::vector<std::pair<Key, int>> ends;
        ends.reserve(2 * static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const Key a = KeyOf(m_ends[i].sx, m_ends[i].sy), b = KeyOf(m_ends[i].ex, m_ends[i].ey);
            ends.emplace_back(a, i);
            if (!(b == a))
                ends.emplace_back(b, i);
        }
        std::sort(ends.begin(), ends.end());
        m_entries.resize(ends.size());
        m_cellsOf.assign(n, {-1, -1});
        for (std::size_t k = 0; k < ends.size(); ++k) {
            if (m_cells.empty() || !(m_cells.back().key == ends[k].first)) {
                const int at = static_cast<int>(k);
                m_cells.push_back({ends[k].first, at, at, at});
            }
            const int item = ends[k].second;
            m_entries[k] = item;
            m_cells.back().end = static_cast<int>(k) + 1;
            const int cell = static_cast<int>(m_cells.size()) - 1;
            (m_cellsOf[item][0] < 0 ? m_cellsOf[item][0] : m_cellsOf[item][1]) = cell;
        }
        std::size_t size = 16;
        while (size < 2 * m_cells.size())
            size *= 2;
        m_table.assign(size, -1);
        for (int c = 0; c < static_cast<int>(m_cells.size()); ++c) {
            std::size_t slot = Hash(m_cells[c].key) & (size - 1);
            while (m_table[slot] >= 0)
                slot = (slot + 1) & (size - 1);
            m_table[slot] = c;
        }
    }

    int FindCell(const Key& key) const {
        const std::size_t mask = m_table.size() - 1;
        for (std::size_t slot = Hash(key) & mask;; slot = (slot + 1) & mask) {
            const int c = m_table[slot];
            if (c < 0 || m_cells[c].key == key)
                return c;
        }
    }

    // The earliest position after i whose piece has an end at (x, y); -1 for
    // none.
    int FindNext(int i, float x, float y) {
        // A little more than the tolerance around the point.
        const double reach = 1.25 * kJoinTolerance;
        const int64_t x0 = CellIndex(x - reach), x1 = CellIndex(x + reach);
        const int64_t y0 = CellIndex(y - reach), y1 = CellIndex(y + reach);
        int best = INT_MAX;
        for (int64_t cx = x0; cx <= x1; ++cx) {
            for (int64_t cy = y0; cy <= y1; ++cy) {
                const int c = FindCell({cx, cy});
                if (c < 0)
                    continue;
                Cell& cell = m_cells[c];
                while (cell.head < cell.end && m_pos[m_entries[cell.head]] <= i)
                    ++cell.head;
                for (int k = cell.head; k < cell.end; ++k) {
                    const int position = m_pos[m_entries[k]];
                    if (position >= best)
                        break;
                    const Ends& e = m_ends[m_entries[k]];
                    if (DxfPointsCoincide(e.sx, e.sy, x, y) ||
                        DxfPointsCoincide(e.ex, e.ey, x, y)) {
                        best = position;
                        break;
                    }
                }
            }
        }
        return best == INT_MAX ? -1 : best;
    }

    // Exchanges the pieces at two positions and moves them to their places
    // in the order of their cells.
    void Swap(int a, int b) {
        const int itemA = m_at[a], itemB = m_at[b];
        std::swap(m_at[a], m_at[b]);
        m_pos[itemA] = b;
        m_pos[itemB] = a;
        for (int item : {itemA, itemB})
            for (int c : m_cellsOf[item])
                if (c >= 0)
                    Reorder(m_cells[c], item);
    }

    void Reorder(const Cell& cell, int item) {
        int k = cell.head;
        while (m_entries[k] != item)
            ++k;
        const int position = m_pos[item];
        for (; k > cell.begin && m_pos[m_entries[k - 1]] > position; --k)
            std::swap(m_entries[k - 1], m_entries[k]);
        for (; k + 1 < cell.end && m_pos[m_entries[k + 1]] < position; ++k)
            std::swap(m_entries[k + 1], m_entries[k]);
    }

    std::vector<DxfChainItem>& m_items;
    std::vector<int> m_at;  // the piece at each position
    std::vector<int> m_pos; // the position of each piece
    std::vector<Ends> m_ends;
    std::vector<int> m_entries;
    std::vector<Cell> m_cells;
    std::vector<std::array<int, 2>> m_cellsOf; // the cells of each piece's ends
    std::vector<int> m_table;                  // cell index by key, open addressing
};

} // namespace

bool DxfPointsCoincide(float ax, float ay, float bx, float by) {
    return std::fabs(ax - bx) <= kJoinTolerance && std::fabs(ay - by) <= kJoinTolerance;
}

void DxfChainItem::Reverse() {
    node->SwapPoint(endX, endY);
}

bool JoinDxfChain(std::vector<DxfChainItem>& items) {
    return ChainJoiner(items).Join();
}
