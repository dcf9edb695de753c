// The tag-to-class factory: table order and ids, prefix matching, the
// element-text defaults and nodes for tags that name no class.
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "schematic/bus.h"
#include "schematic/node_factory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>

namespace {

TEST(NodeFactoryTest, TableOrderAndTypes) {
    const struct {
        const wchar_t* tag;
        int type;
    } expected[] = {
        {L"PadstackFolder", 4}, {L"FootprintFolder", 5}, {L"SymbolFolder", 6},
        {L"Block", 7},          {L"Board", 8},           {L"Layer", 9},
        {L"Thermal", 10},       {L"Mounting", 11},       {L"Properties", 12},
        {L"PadLayer", 13},      {L"Padstack", 14},       {L"Pad", 15},
        {L"Marking", 16},       {L"Drill", 17},          {L"Footprint", 18},
        {L"Conductor", 19},     {L"Area", 20},           {L"Sheet", 21},
        {L"Package", 22},       {L"Part", 23},           {L"Pin", 24},
        {L"Net", 25},           {L"Wire", 26},           {L"Bus", 27},
        {L"Text", 28},
    };
    int count = 0;
    const NodeFactoryRow* rows = GetNodeFactoryTable(&count);
    ASSERT_EQ(count, 25);
    for (int i = 0; i < count; ++i) {
        EXPECT_STREQ(rows[i].tag, expected[i].tag);
        EXPECT_EQ(rows[i].type, expected[i].type);
        // Every element becomes a node of its type that writes its own tag.
        std::wstring text = std::wstring(L"<") + expected[i].tag + L" A=\"1\">";
        std::unique_ptr<CTreeNode> node(CreateNodeFromTag(text.c_str()));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->GetType(), expected[i].type) << rows[i].tag;
        EXPECT_STREQ(node->GetTagName(), expected[i].tag);
        EXPECT_EQ(node->GetChildCount(), 0u);
        EXPECT_EQ(node->GetParent(), nullptr);
    }
}

TEST(NodeFactoryTest, PrefixMatching) {
    const struct {
        const wchar_t* text;
        int type;
        const wchar_t* tag;
    } cases[] = {
        {L"<Pad/>", 15, L"Pad"},
        {L"<PadLayer>", 13, L"PadLayer"},
        {L"<Padstack>", 14, L"Padstack"},
        {L"<PadstackFolder>", 4, L"PadstackFolder"},
        {L"<Footprint>", 18, L"Footprint"},
        {L"<FootprintFolder>", 5, L"FootprintFolder"},
        {L"<TextBox>", 28, L"Text"},
        {L"<Netlist>", 25, L"Net"},
        {L"<Foo x=\"1\">", 0, L"Foo"},
        {L"<pad/>", 0, L"pad"},
        {L"<", 0, L""},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CTreeNode> node(CreateNodeFromTag(c.text));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->GetType(), c.type) << c.text;
        EXPECT_STREQ(node->GetTagName(), c.tag) << c.text;
    }
}

TEST(NodeFactoryTest, ConstructionTexts) {
    std::unique_ptr<CTreeNode> bus(CreateNodeFromTag(L"<Bus/>"));
    EXPECT_EQ(bus->GetText(), L"0,0N0");
    std::unique_ptr<CTreeNode> text(CreateNodeFromTag(L"<Text/>"));
    EXPECT_EQ(text->GetText(), L"");
}

TEST(NodeFactoryTest, BusTextThroughALoad) {
    std::string dir = "/tmp/vorpel-factory-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    std::wstring path = PathJoin(PathFromNative(dir), L"bus.circuit");
    // Each bus read ends its length from its start along y for 'V' and
    // along x for any other direction.
    const struct {
        const char* text;
        POINT end;
    } ends[] = {{"5,8H20", {25, 8}},
                {"5,8V20", {5, 28}},
                {"5,8V-3", {5, 5}},
                {"5,8N20", {25, 8}},
                {"5,8X-4", {1, 8}}};
    std::string body = "<?xml?>\r\n<Project>\r\n  <Bus/>\r\n  <Bus></Bus>\r\n"
                       "  <Bus>12,40H25</Bus>\r\n";
    for (const auto& e : ends)
        body += "  <Bus>" + std::string(e.text) + "</Bus>\r\n";
    ASSERT_TRUE(WriteWholeFile(path, body + "</Project>\r\n"));
    CRoot root;
    root.SetRootTag(L"Project");
    ASSERT_TRUE(CXmlFile(&root).Load(path.c_str()));
    ASSERT_EQ(root.GetChildCount(), 3u + std::size(ends));
    EXPECT_EQ(root.GetChild(0)->GetText(), L"0,0N0") << "a self-closing Bus keeps its default";
    EXPECT_EQ(root.GetChild(1)->GetText(), L"") << "empty content replaces it";
    EXPECT_EQ(root.GetChild(2)->GetText(), L"12,40H25");
    for (size_t i = 0; i < std::size(ends); ++i) {
        auto* bus = static_cast<CBus*>(root.GetChild(3 + i));
        const POINT end = bus->GetEnd();
        EXPECT_EQ(end.x, ends[i].end.x) << ends[i].text;
        EXPECT_EQ(end.y, ends[i].end.y) << ends[i].text;
    }
    std::string cmd = "rm -rf '" + dir + "'";
    (void)std::system(cmd.c_str());
}

} // namespace
