// Joining pieces into a closed figure: random sets of pieces whose ends
// crowd a few spots (several candidates at once, ends just inside and just
// outside the tolerance, on both sides of the cells the joiner sorts ends
// into) must come out exactly as the plain walk over the list orders them.
#include "board/area_node.h"
#include "views/dxf_chain.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// The walk spelt out: for each placed piece, the first later piece with an
// end where it ends is taken (reversed when it is its end that meets) and
// moved next; the last piece must end where the first starts.
bool PlainJoin(std::vector<DxfChainItem>& items) {
    const std::size_t n = items.size();
    if (n == 0)
        return false;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const float x = items[i].endX, y = items[i].endY;
        std::size_t found = n;
        for (std::size_t j = i + 1; j < n && found == n; ++j)
            if (DxfPointsCoincide(items[j].node->m_x, items[j].node->m_y, x, y) ||
                DxfPointsCoincide(items[j].endX, items[j].endY, x, y))
                found = j;
        if (found == n)
            return false;
        if (!DxfPointsCoincide(items[found].node->m_x, items[found].node->m_y, x, y))
            items[found].Reverse();
        std::swap(items[found], items[i + 1]);
    }
    return DxfPointsCoincide(items[0].node->m_x, items[0].node->m_y, items[n - 1].endX,
                             items[n - 1].endY);
}

struct Piece {
    float x1, y1, x2, y2;
};

std::vector<DxfChainItem> MakeItems(const std::vector<Piece>& pieces) {
    std::vector<DxfChainItem> items;
    for (const Piece& p : pieces)
        items.push_back({new CAreaSegment(nullptr, p.x1, p.y1), p.x2, p.y2});
    return items;
}

void Delete(std::vector<DxfChainItem>& items) {
    for (DxfChainItem& item : items)
        delete item.node;
}

TEST(DxfChain, JoinsAsThePlainWalk) {
    std::mt19937 random(161);
    // Spots on cell corners and beside them; offsets inside the tolerance,
    // on it, and just beyond it.
    const float spots[] = {0.0f, 0.0004f, 0.0008f, 1.0f, -0.0004f, 12.5f};
    const float near[] = {0.0f, 0.00005f, -0.00005f, 0.00003f};
    const float beyond[] = {0.00011f, -0.0002f, 0.00015f};
    auto coordinate = [&](int spot) {
        const float offset = random() % 16 ? near[random() % 4] : beyond[random() % 3];
        return spots[spot] + offset;
    };
    int closed = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        const int spotCount = 1 + static_cast<int>(random() % 4);
        const int n = 1 + static_cast<int>(random() % 9);
        std::vector<Piece> pieces;
        // Mostly a closed run of spots, so that many sets close.
        std::vector<int> walk;
        for (int k = 0; k < n; ++k)
            walk.push_back(static_cast<int>(random() % spotCount));
        for (int k = 0; k < n; ++k) {
            const int a = walk[k], b = walk[(k + 1) % n];
            Piece p{coordinate(a), coordinate(a / 2), coordinate(b), coordinate(b / 2)};
            if (random() % 2)
                p = {p.x2, p.y2, p.x1, p.y1};
            pieces.push_back(p);
        }
        std::shuffle(pieces.begin(), pieces.end(), random);
        std::vector<DxfChainItem> fast = MakeItems(pieces), plain = MakeItems(pieces);
        const bool ok = JoinDxfChain(fast);
        ASSERT_EQ(ok, PlainJoin(plain)) << trial;
        if (ok) {
            ++closed;
            for (int k = 0; k < n; ++k) {
                ASSERT_EQ(fast[k].node->m_x, plain[k].node->m_x) << trial;
                ASSERT_EQ(fast[k].node->m_y, plain[k].node->m_y) << trial;
                ASSERT_EQ(fast[k].endX, plain[k].endX) << trial;
                ASSERT_EQ(fast[k].endY, plain[k].endY) << trial;
            }
        }
        Delete(fast);
        Delete(plain);
    }
    // Both outcomes occur often.
    EXPECT_GT(closed, 3000);
    EXPECT_LT(closed, 17000);
}

TEST(DxfChain, EdgeCases) {
    // A piece that ends where it starts closes by itself.
    std::vector<DxfChainItem> loop = MakeItems({{1, 1, 1.00008f, 1}});
    EXPECT_TRUE(JoinDxfChain(loop));
    Delete(loop);
    // Far from the origin the cells still find the ends.
    std::vector<DxfChainItem> far =
        MakeItems({{1e30f, 1e30f, -1e30f, 1e30f}, {-1e30f, 1e30f, 1e30f, 1e30f}});
    EXPECT_TRUE(JoinDxfChain(far));
    Delete(far);
}

} // namespace
