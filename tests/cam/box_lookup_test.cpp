// The box lookup against a look at every box: every box that meets the
// searched one is found, whatever the mix of sizes, and a search finds few
// boxes far from it.
#include "cam/box_lookup.h"
#include "tests/random_seed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

struct Box {
    float x0, y0, x1, y1;
};

bool Meets(const Box& a, const Box& b) {
    auto lo = [](float p, float q) { return std::min(p, q); };
    auto hi = [](float p, float q) { return std::max(p, q); };
    return !(lo(a.x0, a.x1) > hi(b.x0, b.x1) || hi(a.x0, a.x1) < lo(b.x0, b.x1) ||
             lo(a.y0, a.y1) > hi(b.y0, b.y1) || hi(a.y0, a.y1) < lo(b.y0, b.y1));
}

bool Finite(const Box& b) {
    return std::isfinite(b.x0) && std::isfinite(b.y0) && std::isfinite(b.x1) && std::isfinite(b.y1);
}

} // namespace

TEST(BoxLookup, FindsEveryBoxThatMeetsTheSearchedOne) {
    const RandomSeed seed(68);
    std::mt19937 random(seed.Value());
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Sizes from points to the whole board; a few far away, touching on an
    // edge, given with their corners swapped or not finite.
    for (int round = 0; round < 40; ++round) {
        std::uniform_real_distribution<float> at(-50, 150), size(0, 1);
        std::vector<Box> boxes;
        CBoxLookup lookup;
        const int count = 1 + static_cast<int>(random() % 400);
        for (int i = 0; i < count; ++i) {
            const float scale = std::pow(10.0f, static_cast<float>(random() % 6) - 3);
            Box b{at(random), at(random), 0, 0};
            b.x1 = b.x0 + size(random) * scale;
            b.y1 = b.y0 + size(random) * scale;
            switch (random() % 16) {
            case 0:
                std::swap(b.x0, b.x1);
                break;
            case 1:
                b = Box{10, 10, 20, 20}; // edges of the searches below
                break;
            case 2:
                b.x1 = b.x0; // a point
                b.y1 = b.y0;
                break;
            case 3:
                b.x0 = round % 2 ? nan : -inf;
                break;
            case 4:
                b.y0 += 1e6f;
                b.y1 += 1e6f;
                break;
            default:
                break;
            }
            boxes.push_back(b);
            lookup.Add(b.x0, b.y0, b.x1, b.y1);
        }
        lookup.Build();
        std::vector<Box> searches = {{20, 20, 30, 30}, {0, 10, 10, 0},
                                     {15, 15, 15, 15}, {-1e9f, -1e9f, 1e9f, 1e9f},
                                     {nan, 0, 1, 1},   {300, 300, 310, 310}};
        for (int s = 0; s < 20; ++s) {
            const float x = at(random), y = at(random), w = size(random) * 40;
            searches.push_back({x, y, x + w, y + w / 2});
        }
        std::vector<uint32_t> found;
        for (const Box& q : searches) {
            lookup.Find(q.x0, q.y0, q.x1, q.y1, &found);
            ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
            ASSERT_TRUE(std::adjacent_find(found.begin(), found.end()) == found.end());
            for (uint32_t id = 0; id < boxes.size(); ++id) {
                const bool wanted = !Finite(q) || !Finite(boxes[id]) || Meets(boxes[id], q);
                ASSERT_TRUE(!wanted || std::binary_search(found.begin(), found.end(), id))
                    << "round " << round << " box " << id << " search " << q.x0 << "," << q.y0
                    << " " << q.x1 << "," << q.y1;
            }
        }
    }
}

TEST(BoxLookup, FindsFewBoxesFarFromTheSearchedOne) {
    // A row of 10,000 small boxes and one long box across them.
    CBoxLookup lookup;
    for (int i = 0; i < 10000; ++i)
        lookup.Add(i * 2.0f, 0, i * 2.0f + 1, 1);
    lookup.Add(0, 5, 20000, 6);
    lookup.Build();
    std::vector<uint32_t> found;
    lookup.Find(100.5f, 0.5f, 101.5f, 5.5f, &found);
    EXPECT_LE(found.size(), 8u);
    EXPECT_TRUE(std::binary_search(found.begin(), found.end(), 50u));
    EXPECT_TRUE(std::binary_search(found.begin(), found.end(), 10000u));
    lookup.Find(-10, 2, 30000, 3, &found); // between the row and the long box
    EXPECT_LE(found.size(), 10u);
}
