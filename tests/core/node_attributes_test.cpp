// Every node class that describes its attributes reads and writes each of
// them: with every described attribute off its default, a node saves,
// loads and saves again to the same bytes, and each attribute is in the
// file. A class that described an attribute it did not read would lose it
// on the load; one that did not write it would leave it out of the file.
#include "core/node_attributes.h"

#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/text.h"
#include "schematic/node_factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

namespace {

class NodeAttributesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = "/tmp/vorpel-attributes-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = PathFromNative(dir);
    }
    void TearDown() override {
        const std::string command = "rm -rf '" + PathToNative(m_dir) + "'";
        (void)std::system(command.c_str());
    }

    std::string Save(CRoot& root, const wchar_t* name) {
        const std::wstring path = PathJoin(m_dir, name);
        CXmlFile file(&root);
        EXPECT_TRUE(file.Save(path.c_str())) << WideToUtf8(file.GetError());
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        return bytes;
    }

    std::wstring m_dir;
};

// A sheet object goes on a board that holds a sheet, so that its sheet
// name can be given; every other node stands alone under the root.
CTreeNode* Place(CRoot& root, CTreeNode* node, const DescribedNodeClass& described) {
    const auto& names = described.names;
    if (std::find(names.begin(), names.end(), L"SheetName") == names.end()) {
        root.AddChild(node);
        return node;
    }
    CTreeNode* board = CreateNodeFromTag(L"Board");
    CTreeNode* sheet = CreateNodeFromTag(L"Sheet");
    sheet->SetText(L"Second");
    sheet->ReadAttributes(); // takes the settings, as a loaded sheet does
    board->AddChild(sheet);
    board->AddChild(node);
    root.AddChild(board);
    return node;
}

// The node of the class under test after a load: the root's only child, or
// the board's last.
CTreeNode* Loaded(CRoot& root) {
    CTreeNode* child = root.GetChild(0);
    if (std::wstring(child->GetTagName()) == L"Board" && child->GetChildCount() == 2 &&
        std::wstring(child->GetChild(0)->GetTagName()) == L"Sheet")
        return child->GetChild(1);
    return child;
}

TEST_F(NodeAttributesTest, EveryDescribedAttributeSurvivesASaveAndALoad) {
    std::set<std::wstring> tags;
    for (const DescribedNodeClass& described : DescribedNodeClasses()) {
        SCOPED_TRACE(WideToUtf8(described.tag));
        EXPECT_TRUE(tags.insert(described.tag).second) << "registered twice";
        // Once for each attribute, with its condition (if any) holding.
        for (std::size_t focus = 0; focus < described.names.size(); ++focus) {
            const std::wstring& name = described.names[focus];
            SCOPED_TRACE(WideToUtf8(name));
            CRoot root;
            root.SetRootTag(L"Project");
            CTreeNode* node = CreateNodeFromTag(described.tag);
            ASSERT_NE(node, nullptr);
            ASSERT_EQ(std::wstring(node->GetTagName()), described.tag);
            Place(root, node, described);
            described.vary(*node, focus);
            const std::string saved = Save(root, L"first.xml");
            EXPECT_TRUE(node->HasAttribute(name)) << "not written";

            CRoot again;
            again.SetRootTag(L"Project");
            CXmlFile file(&again);
            ASSERT_TRUE(file.Load(PathJoin(m_dir, L"first.xml").c_str()))
                << WideToUtf8(file.GetError());
            ASSERT_EQ(again.GetChildCount(), 1u);
            // Written over its own attributes and again from none: the same.
            CTreeNode* read = Loaded(again);
            ASSERT_EQ(std::wstring(read->GetTagName()), described.tag);
            read->GetAttributes().clear();
            EXPECT_EQ(Save(again, L"second.xml"), saved) << "not read back";
        }
    }
    // The classes described so far; a registration lost from the build
    // shows here.
    for (const wchar_t* tag :
         {L"Area",    L"Board",      L"Bus",     L"Conductor", L"Drill",    L"Footprint", L"Layer",
          L"Marking", L"Net",        L"Package", L"Pad",       L"PadLayer", L"Padstack",  L"Part",
          L"Pin",     L"Properties", L"Sheet",   L"Text",      L"Thermal",  L"Wire"})
        EXPECT_TRUE(tags.count(tag)) << WideToUtf8(tag);
}

} // namespace
