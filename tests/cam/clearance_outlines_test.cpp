// Clearance outlines built by helper threads against the same outlines
// built the plain way, and region lines copied from a memo against lines
// written afresh.
#include "board/area.h"
#include "board/area_node.h"
#include "board/conductor.h"
#include "cam/clearance_outlines.h"
#include "cam/gerber_plot.h"
#include "core/text_file.h"
#include "core/vorpel_view.h"
#include "tests/cam/gerber_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kIsolation = 0.3f;
constexpr float kTolerance = 0.01f;

std::unique_ptr<CArea> Rectangle(float x0, float y0, float x1, float y1) {
    auto area = std::make_unique<CArea>();
    AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x0, y0));
    AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x1, y0));
    AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x1, y1));
    AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x0, y1));
    return area;
}

class ClearanceOutlinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_areas.push_back(Rectangle(0, 0, 10, 10));
        m_areas.push_back(Rectangle(8, 0, 20, 4));
        m_areas.push_back(Rectangle(30, 30, 31, 31)); // near nothing
        for (const auto& a : m_areas) {
            m_areaFlats.emplace_back();
            FlattenOutline(a->m_outline, kTolerance, &m_areaFlats.back());
        }
        // Zigzags whose stadiums overlap more than at their joints (some
        // close loops with holes), straight tracks, a track doubling back,
        // one of a single vertex and one of two equal vertices.
        for (int c = 0; c < 40; ++c) {
            auto cond = std::make_unique<CConductor>();
            cond->m_width = 0.2f + 0.05f * static_cast<float>(c % 4);
            const float y = 0.37f * static_cast<float>(c);
            for (int v = 0; v <= c % 9; ++v)
                cond->m_vertices.push_back(
                    {0.3f * static_cast<float>(c % 7) + 0.9f * static_cast<float>(v),
                     y + (v % 2 ? 0.4f + 0.1f * static_cast<float>(c % 3) : 0.0f),
                     v % 3 == 1 ? 0.2f : 0.0f,
                     {}});
            m_conductors.push_back(std::move(cond));
        }
        auto loop = std::make_unique<CConductor>();
        loop->m_width = 0.3f;
        loop->m_vertices = {
            {2, 2, 0, {}}, {6, 2, 0, {}}, {6, 6, 0, {}}, {2, 6, 0, {}}, {2, 2, 0, {}}};
        m_conductors.push_back(std::move(loop));
        auto back = std::make_unique<CConductor>();
        back->m_width = 0.25f;
        back->m_vertices = {{9, 1, 0, {}}, {15, 1, 0, {}}, {11, 1.1f, 0, {}}};
        m_conductors.push_back(std::move(back));
        auto single = std::make_unique<CConductor>();
        single->m_width = 0.25f;
        single->m_vertices = {{5, 5, 0, {}}};
        m_conductors.push_back(std::move(single));
        auto same = std::make_unique<CConductor>();
        same->m_width = 0.25f;
        same->m_vertices = {{4, 4, 0, {}}, {4, 4, 0, {}}};
        m_conductors.push_back(std::move(same));
    }

    // Every conductor near the first two areas, in order.
    std::vector<ClearanceRequest> Requests() const {
        std::vector<ClearanceRequest> out;
        for (const auto& c : m_conductors)
            out.push_back({c.get(), {m_areas[0].get(), m_areas[1].get()}});
        return out;
    }

    void ExpectSameAsPlainBuild(CClearanceOutlines& outlines) {
        for (const auto& c : m_conductors) {
            const FlatPath plain = CClearanceOutlines::Build(c.get(), kIsolation, kTolerance);
            // The third area was not asked for: the overlap is found then.
            for (size_t a = 0; a < m_areas.size(); ++a) {
                bool overlaps = false;
                const FlatPath& got =
                    outlines.Get(c.get(), m_areas[a].get(), m_areaFlats[a], &overlaps);
                EXPECT_EQ(got.points, plain.points) << "conductor " << (&c - &m_conductors[0]);
                EXPECT_EQ(got.types, plain.types) << "conductor " << (&c - &m_conductors[0]);
                EXPECT_EQ(overlaps, FlatPathsOverlap(plain, m_areaFlats[a]));
            }
        }
    }

    std::vector<std::unique_ptr<CArea>> m_areas;
    std::vector<FlatPath> m_areaFlats;
    std::vector<std::unique_ptr<CConductor>> m_conductors;
};

TEST_F(ClearanceOutlinesTest, HelpersGiveThePlainOutlinesAndOverlaps) {
    for (unsigned helpers : {0u, 1u, 3u}) {
        CClearanceOutlines outlines;
        outlines.Start(Requests(), kIsolation, kTolerance, helpers);
        ExpectSameAsPlainBuild(outlines);
        outlines.Stop();
    }
}

TEST_F(ClearanceOutlinesTest, AskedInAnotherOrderOrNotAskedForAtAll) {
    CClearanceOutlines outlines;
    std::vector<ClearanceRequest> requests = Requests();
    std::reverse(requests.begin(), requests.end());
    requests.resize(requests.size() / 2); // the rest are built on the spot
    outlines.Start(std::move(requests), kIsolation, kTolerance, 2);
    ExpectSameAsPlainBuild(outlines);
}

TEST_F(ClearanceOutlinesTest, ReleasedOutlinesAreBuiltAgainWhenAskedFor) {
    CClearanceOutlines outlines;
    outlines.Start(Requests(), kIsolation, kTolerance, 2);
    ExpectSameAsPlainBuild(outlines);
    for (const auto& c : m_conductors)
        outlines.Release(c.get());
    ExpectSameAsPlainBuild(outlines);
}

TEST_F(ClearanceOutlinesTest, SomeOutlinesHaveHolesAndSeveralFigures) {
    // The loop's outline is a ring: the comparison above covers holes.
    const FlatPath ring = CClearanceOutlines::Build(m_conductors[40].get(), kIsolation, kTolerance);
    int figures = 0;
    for (uint8_t t : ring.types)
        figures += (t & 7) == 0;
    EXPECT_EQ(figures, 2);
    EXPECT_TRUE(
        CClearanceOutlines::Build(m_conductors[42].get(), kIsolation, kTolerance).points.empty());
}

class RegionMemoTest : public ::testing::Test {
protected:
    std::vector<std::string> Plot(const std::function<void(CGerberPlotter&)>& body) {
        const std::wstring path = m_dir.W() + L"/memo" + std::to_wstring(++m_n) + L".gbr";
        CTextFile file;
        file.SetByteOrderMark(false);
        EXPECT_TRUE(file.Open(path, CTextFile::GenericWrite, 0, CTextFile::CreateAlways,
                              CTextFile::FileAttributeNormal));
        {
            CGerberPlotter plot(&file, GerberFormat::From(1, 3, 0.001));
            body(plot);
        }
        file.Close();
        return ReadCrLfLines(WideToUtf8(path));
    }
    ScratchDir m_dir;
    int m_n = 0;
};

TEST_F(RegionMemoTest, CopiedLinesEqualFreshOnesWhateverTheStateBefore) {
    FlatPath region;
    region.points = {{1, 1}, {3, 1}, {3, 3}, {1, 3}, {1.5f, 1.5f}, {2.5f, 1.5f}, {2, 2.5f}};
    region.types = {0, 1, 1, 0x81, 0, 1, 0x81};
    // Before each region a different state: nothing yet, a point on the
    // region's start (its move writes nothing), a point within the
    // resolution of it, an arc's interpolation, a point elsewhere.
    auto sequence = [&](CGerberPlotter& p, GerberRegionMemo* memo) {
        p.PlotClearRegion(region, memo);
        p.PlotMove(1, 1);
        p.PlotClearRegion(region, memo);
        p.PlotMove(1.0004, 1);
        p.PlotClearRegion(region, memo);
        p.PlotMove(5, 5);
        p.PlotArc(7, 5, 6, 5, true, true);
        p.PlotClearRegion(region, memo);
        p.PlotFlash(0, 0);
        p.PlotClearRegion(region, memo);
    };
    const auto fresh = Plot([&](CGerberPlotter& p) { sequence(p, nullptr); });
    GerberRegionMemo memo;
    const auto copied = Plot([&](CGerberPlotter& p) { sequence(p, &memo); });
    EXPECT_TRUE(memo.valid);
    EXPECT_EQ(copied, fresh);
}

} // namespace
