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

TEST_F(NodeAttributesTest, EveryDescribedAttributeSurvivesASaveAndALoad) {
    std::set<std::wstring> tags;
    for (const DescribedNodeClass& described : DescribedNodeClasses()) {
        SCOPED_TRACE(WideToUtf8(described.tag));
        EXPECT_TRUE(tags.insert(described.tag).second) << "registered twice";
        CRoot root;
        root.SetRootTag(L"Project");
        CTreeNode* node = CreateNodeFromTag(described.tag);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(std::wstring(node->GetTagName()), described.tag);
        root.AddChild(node);
        described.vary(*node);
        const std::string saved = Save(root, L"first.xml");
        for (const std::wstring& name : described.names)
            EXPECT_TRUE(node->HasAttribute(name)) << WideToUtf8(name) << " is not written";

        CRoot again;
        again.SetRootTag(L"Project");
        CXmlFile file(&again);
        ASSERT_TRUE(file.Load(PathJoin(m_dir, L"first.xml").c_str()))
            << WideToUtf8(file.GetError());
        ASSERT_EQ(again.GetChildCount(), 1u);
        // Written over its own attributes and again from none: the same.
        CTreeNode* read = again.GetChild(0);
        read->GetAttributes().clear();
        EXPECT_EQ(Save(again, L"second.xml"), saved) << "an attribute is not read back";
    }
    // The classes described so far; a registration lost from the build
    // shows here.
    for (const wchar_t* tag :
         {L"Area", L"Conductor", L"Marking", L"Pad", L"Pin", L"Properties", L"Thermal"})
        EXPECT_TRUE(tags.count(tag)) << WideToUtf8(tag);
}

} // namespace
