// The example documents: each loads, saves byte for byte as it is stored,
// reloads and saves identically again, is well-formed XML for an independent
// parser, and goes through the vorpel-roundtrip driver.
#include "board/pad.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "schematic/package.h"
#include "schematic/pin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct Example {
    const wchar_t* file;
    const wchar_t* tag;
};

const Example kExamples[] = {
    {L"demo.circuit", L"Project"},
    {L"demo.symbol", L"SymbolLib"},
    {L"demo.footprint", L"FootprintLib"},
};

std::wstring ExamplePath(const wchar_t* name) {
    return PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), name);
}

int RunCommand(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::wstring& path) {
    return "'" + WideToUtf8(path) + "'";
}

class ExamplesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = "/tmp/vorpel-examples-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = PathFromNative(dir);
    }
    void TearDown() override { (void)RunCommand("rm -rf " + Quote(m_dir)); }
    std::wstring m_dir;
};

TEST_F(ExamplesTest, LoadSaveReloadIsByteIdentical) {
    for (const Example& e : kExamples) {
        SCOPED_TRACE(WideToUtf8(e.file));
        std::string original;
        ASSERT_TRUE(ReadWholeFile(ExamplePath(e.file), original));

        CRoot root;
        root.SetRootTag(e.tag);
        CXmlFile loader(&root);
        ASSERT_TRUE(loader.Load(ExamplePath(e.file).c_str())) << WideToUtf8(loader.GetError());
        EXPECT_GT(root.GetChildCount(), 0u);
        BuildBoardNetsInTree(&root);

        std::wstring first = PathJoin(m_dir, std::wstring(L"first_") + e.file);
        ASSERT_TRUE(CXmlFile(&root).Save(first.c_str()));
        std::string firstBytes;
        ASSERT_TRUE(ReadWholeFile(first, firstBytes));
        EXPECT_EQ(firstBytes, original) << "the example is in the form the writer writes";

        CRoot again;
        again.SetRootTag(e.tag);
        ASSERT_TRUE(CXmlFile(&again).Load(first.c_str()));
        std::wstring second = PathJoin(m_dir, std::wstring(L"second_") + e.file);
        ASSERT_TRUE(CXmlFile(&again).Save(second.c_str()));
        std::string secondBytes;
        ASSERT_TRUE(ReadWholeFile(second, secondBytes));
        EXPECT_EQ(secondBytes, firstBytes);

        EXPECT_EQ(RunCommand("xmllint --noout " + Quote(first)), 0);
    }
}

TEST_F(ExamplesTest, EachExampleLoadsOnlyAsItsOwnKind) {
    for (const Example& e : kExamples) {
        for (const Example& other : kExamples) {
            CRoot root;
            root.SetRootTag(other.tag);
            EXPECT_EQ(CXmlFile(&root).Load(ExamplePath(e.file).c_str()), e.tag == other.tag)
                << WideToUtf8(e.file) << " as " << WideToUtf8(other.tag);
        }
    }
}

TEST_F(ExamplesTest, RoundTripDriver) {
    const std::string driver = VORPEL_ROUNDTRIP;
    for (const Example& e : kExamples) {
        std::wstring out = PathJoin(m_dir, e.file);
        ASSERT_EQ(RunCommand(driver + " " + Quote(ExamplePath(e.file)) + " " + Quote(out)), 0);
        std::string a, b;
        ASSERT_TRUE(ReadWholeFile(ExamplePath(e.file), a));
        ASSERT_TRUE(ReadWholeFile(out, b));
        EXPECT_EQ(a, b);
    }
    // Failures: exit 1, a reason on standard error, no output file.
    std::wstring wrongKind = PathJoin(m_dir, L"library.circuit");
    ASSERT_TRUE(WriteWholeFile(wrongKind, "<?xml?>\r\n<SymbolLib/>\r\n"));
    std::wstring truncated = PathJoin(m_dir, L"cut.footprint");
    ASSERT_TRUE(WriteWholeFile(truncated, "<?xml?>\r\n<FootprintLib>\r\n  <Footprint>"));
    std::wstring text = PathJoin(m_dir, L"notes.txt");
    ASSERT_TRUE(WriteWholeFile(text, "<?xml?>\r\n<Project/>\r\n"));
    // A FIFO is refused at once; were it waited on, the time limit kills it.
    std::wstring fifo = PathJoin(m_dir, L"fifo.circuit");
    ASSERT_EQ(::mkfifo(PathToNative(fifo).c_str(), 0666), 0);
    for (const std::wstring& in :
         {wrongKind, truncated, text, PathJoin(m_dir, L"none.symbol"), fifo}) {
        std::wstring out = PathJoin(m_dir, L"out.xml");
        std::wstring err = PathJoin(m_dir, L"err.txt");
        EXPECT_EQ(RunCommand("timeout -s KILL 60 " + driver + " " + Quote(in) + " " + Quote(out) +
                             " 2>" + Quote(err)),
                  1)
            << WideToUtf8(in);
        EXPECT_FALSE(FileExists(out)) << WideToUtf8(in);
        std::string reason;
        EXPECT_TRUE(ReadWholeFile(err, reason));
        EXPECT_FALSE(reason.empty()) << WideToUtf8(in);
    }
}

TEST_F(ExamplesTest, MainProgramOpensTheExampleOffscreen) {
    // A scratch profile and Documents folder, so that the run touches neither.
    const std::string env =
        "QT_QPA_PLATFORM=offscreen VORPEL_CONFIG_HOME=" + Quote(PathJoin(m_dir, L"config")) +
        " VORPEL_DOCUMENTS_HOME=" + Quote(PathJoin(m_dir, L"documents")) + " ";
    const std::wstring picture = PathJoin(PathDirectory(PathDirectory(Utf8ToWide(VORPEL_MAIN))),
                                          L"pictures/main-window.png");
    const std::wstring out = PathJoin(m_dir, L"out.txt");
    RemoveFile(picture);
    EXPECT_EQ(RunCommand(env + VORPEL_MAIN + " " + Quote(ExamplePath(L"demo.circuit")) + " >" +
                         Quote(out) + " 2>&1"),
              0);
    std::string png;
    ASSERT_TRUE(ReadWholeFile(picture, png));
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_TRUE(DirectoryExists(PathJoin(m_dir, L"documents/Vorpel/Project")));
    // Standard error says the program runs offscreen, whatever the display.
    std::string text;
    ASSERT_TRUE(ReadWholeFile(out, text));
    EXPECT_NE(text.find("vorpel: QT_QPA_PLATFORM is offscreen; running on the offscreen platform"),
              std::string::npos)
        << text;
    // A document that cannot be read is reported with its path and the run
    // fails; the window still comes up with an empty document.
    const std::wstring missing = PathJoin(m_dir, L"none.circuit");
    EXPECT_EQ(RunCommand(env + VORPEL_MAIN + " " + Quote(missing) + " >" + Quote(out) + " 2>&1"),
              1);
    ASSERT_TRUE(ReadWholeFile(out, text));
    EXPECT_NE(text.find("vorpel: " + WideToUtf8(missing) + ": cannot open the file"),
              std::string::npos)
        << text;
}

// Every node of the type below the node, in tree order.
std::vector<CTreeNode*> NodesOf(CTreeNode* node, int type) {
    std::vector<CTreeNode*> out;
    std::function<void(CTreeNode*)> walk = [&](CTreeNode* n) {
        for (CTreeNode* child : n->GetChildren()) {
            if (child->GetType() == type)
                out.push_back(child);
            walk(child);
        }
    };
    walk(node);
    return out;
}

// The examples carry names (the trees and tab captions show them, the CAM
// files are named after the board), every footprint a demo symbol names is
// in the demo footprint library with a pad for each of its pin numbers, and
// the build puts both libraries into the program's own library folders.
TEST_F(ExamplesTest, TheDemoLibrariesAgreeAndSitNextToTheProgram) {
    CRoot roots[3];
    for (int i = 0; i < 3; ++i) {
        roots[i].SetRootTag(kExamples[i].tag);
        ASSERT_TRUE(CXmlFile(&roots[i]).Load(ExamplePath(kExamples[i].file).c_str()));
        EXPECT_FALSE(roots[i].GetText().empty()) << WideToUtf8(kExamples[i].file);
    }
    for (CTreeNode* board : NodesOf(&roots[0], NodeType::Board))
        EXPECT_FALSE(board->GetText().empty());
    const std::vector<CTreeNode*> footprints = NodesOf(&roots[2], NodeType::Footprint);
    int bound = 0;
    for (CTreeNode* node : NodesOf(&roots[1], NodeType::Package)) {
        auto* package = static_cast<CPackage*>(node);
        if (package->m_footprintName.empty())
            continue;
        SCOPED_TRACE(WideToUtf8(package->GetText()));
        auto it = std::find_if(footprints.begin(), footprints.end(), [&](CTreeNode* f) {
            return f->GetText() == package->m_footprintName;
        });
        ASSERT_NE(it, footprints.end()) << WideToUtf8(package->m_footprintName);
        std::set<std::wstring> pads;
        for (CTreeNode* pad : NodesOf(*it, NodeType::Pad))
            pads.insert(static_cast<CPad*>(pad)->m_num);
        for (CTreeNode* pin : NodesOf(package, NodeType::Pin))
            for (const std::wstring& name : static_cast<CPin*>(pin)->m_padNames)
                EXPECT_TRUE(pads.count(name)) << WideToUtf8(name);
        ++bound;
    }
    EXPECT_EQ(bound, 2);

    const std::pair<const wchar_t*, const wchar_t*> installed[] = {
        {L"demo.symbol", L"Lib/Symbol/demo.symbol"},
        {L"demo.footprint", L"Lib/Footprint/demo.footprint"}};
    for (const auto& [example, copy] : installed) {
        std::string a, b;
        ASSERT_TRUE(ReadWholeFile(ExamplePath(example), a));
        EXPECT_TRUE(ReadWholeFile(PathJoin(ExecutableFolder(), copy), b)) << WideToUtf8(copy);
        EXPECT_EQ(a, b) << WideToUtf8(copy);
    }
}

} // namespace
