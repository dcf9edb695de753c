#include "cam/drill_order.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numeric>

namespace {

double Distance(PointF a, PointF b) {
    return std::hypot(static_cast<double>(a.X) - b.X, static_cast<double>(a.Y) - b.Y);
}

// A k-d tree over fixed points, each node counting the points below it that
// are still in play.
class HoleTree {
public:
    explicit HoleTree(const std::vector<PointF>& points)
        : m_points(points), m_ids(points.size()), m_leafOf(points.size()),
          m_removed(points.size()) {
        std::iota(m_ids.begin(), m_ids.end(), std::size_t{0});
        m_nodes.reserve(2 * points.size() / kLeafSize + 2);
        Build(0, m_ids.size(), -1);
    }

    // The point in play nearest to `to`; of equal distances the one of the
    // lowest rank.
    std::size_t Nearest(PointF to, const std::vector<std::size_t>& rank) const {
        Search search{to, rank, m_points.size(), 0};
        Visit(0, search);
        return search.best;
    }

    void Remove(std::size_t id) {
        for (int32_t n = m_leafOf[id]; n >= 0; n = m_nodes[static_cast<std::size_t>(n)].parent)
            --m_nodes[static_cast<std::size_t>(n)].left;
        m_removed[id] = true;
    }

private:
    static constexpr std::size_t kLeafSize = 8;

    struct Node {
        double minX, minY, maxX, maxY;
        std::size_t from, to; // the node's ids in m_ids
        int32_t parent;
        int32_t low = -1, high = -1; // children; none for a leaf
        std::size_t left;            // points still in play
    };

    struct Search {
        PointF to;
        const std::vector<std::size_t>& rank;
        std::size_t best; // none while it equals the point count
        double distance;
    };

    int32_t Build(std::size_t from, std::size_t to, int32_t parent) {
        const auto index = static_cast<int32_t>(m_nodes.size());
        Node node{};
        node.minX = node.minY = HUGE_VAL;
        node.maxX = node.maxY = -HUGE_VAL;
        for (std::size_t k = from; k < to; ++k) {
            const PointF& p = m_points[m_ids[k]];
            node.minX = std::min(node.minX, static_cast<double>(p.X));
            node.maxX = std::max(node.maxX, static_cast<double>(p.X));
            node.minY = std::min(node.minY, static_cast<double>(p.Y));
            node.maxY = std::max(node.maxY, static_cast<double>(p.Y));
        }
        node.from = from;
        node.to = to;
        node.parent = parent;
        node.left = to - from;
        m_nodes.push_back(node);
        if (to - from <= kLeafSize) {
            for (std::size_t k = from; k < to; ++k)
                m_leafOf[m_ids[k]] = index;
            return index;
        }
        const bool alongX = node.maxX - node.minX >= node.maxY - node.minY;
        const std::size_t middle = from + (to - from) / 2;
        std::nth_element(
            m_ids.begin() + static_cast<std::ptrdiff_t>(from),
            m_ids.begin() + static_cast<std::ptrdiff_t>(middle),
            m_ids.begin() + static_cast<std::ptrdiff_t>(to), [&](std::size_t a, std::size_t b) {
                return alongX ? m_points[a].X < m_points[b].X : m_points[a].Y < m_points[b].Y;
            });
        const int32_t low = Build(from, middle, index);
        const int32_t high = Build(middle, to, index);
        m_nodes[static_cast<std::size_t>(index)].low = low;
        m_nodes[static_cast<std::size_t>(index)].high = high;
        return index;
    }

    // No point of the node is nearer than this.
    static double LowerBound(const Node& n, PointF to) {
        const double x = to.X, y = to.Y;
        const double dx = std::max({n.minX - x, 0.0, x - n.maxX});
        const double dy = std::max({n.minY - y, 0.0, y - n.maxY});
        return std::hypot(dx, dy);
    }

    void Visit(int32_t index, Search& s) const {
        const Node& n = m_nodes[static_cast<std::size_t>(index)];
        if (n.left == 0)
            return;
        if (n.low < 0) {
            for (std::size_t k = n.from; k < n.to; ++k) {
                const std::size_t id = m_ids[k];
                if (m_removed[id])
                    continue;
                const double d = Distance(m_points[id], s.to);
                if (s.best == m_points.size() || d < s.distance ||
                    (d == s.distance && s.rank[id] < s.rank[s.best])) {
                    s.best = id;
                    s.distance = d;
                }
            }
            return;
        }
        int32_t first = n.low, second = n.high;
        double firstBound = LowerBound(m_nodes[static_cast<std::size_t>(first)], s.to);
        double secondBound = LowerBound(m_nodes[static_cast<std::size_t>(second)], s.to);
        if (secondBound < firstBound) {
            std::swap(first, second);
            std::swap(firstBound, secondBound);
        }
        // The margin searches every node that might hold a point as near as
        // the best one (hypot rounds).
        if (s.best == m_points.size() || firstBound <= s.distance * (1 + 1e-9))
            Visit(first, s);
        if (s.best == m_points.size() || secondBound <= s.distance * (1 + 1e-9))
            Visit(second, s);
    }

    const std::vector<PointF>& m_points;
    std::vector<std::size_t> m_ids;
    std::vector<int32_t> m_leafOf;
    std::vector<bool> m_removed;
    std::vector<Node> m_nodes;
};

} // namespace

void OrderHolesNearestFirst(std::vector<PointF>& holes) {
    const std::size_t n = holes.size();
    if (n < 2)
        return;
    for (const PointF& p : holes)
        if (!std::isfinite(p.X) || !std::isfinite(p.Y))
            return;
    const std::vector<PointF> points = holes;
    HoleTree tree(points);
    // rank[id]: the place of the point in the list as it stands; at[k]: the
    // point in place k.
    std::vector<std::size_t> rank(n), at(n);
    std::iota(rank.begin(), rank.end(), std::size_t{0});
    std::iota(at.begin(), at.end(), std::size_t{0});
    PointF from{0, 0};
    for (std::size_t j = 0; j < n; ++j) {
        const std::size_t id = tree.Nearest(from, rank);
        tree.Remove(id);
        const std::size_t moved = at[j];
        at[rank[id]] = moved;
        rank[moved] = rank[id];
        at[j] = id;
        rank[id] = j;
        holes[j] = points[id];
        from = points[id];
    }
}
