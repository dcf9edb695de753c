// The example documents: each loads, saves byte for byte as it is stored,
// reloads and saves identically again, is well-formed XML for an independent
// parser, and goes through the vorpel-roundtrip driver.
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
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
    for (const std::wstring& in : {wrongKind, truncated, text, PathJoin(m_dir, L"none.symbol")}) {
        std::wstring out = PathJoin(m_dir, L"out.xml");
        std::wstring err = PathJoin(m_dir, L"err.txt");
        EXPECT_EQ(RunCommand(driver + " " + Quote(in) + " " + Quote(out) + " 2>" + Quote(err)), 1)
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
    // A document that cannot be read is reported with its path; the window
    // still comes up with an empty document.
    const std::wstring missing = PathJoin(m_dir, L"none.circuit");
    EXPECT_EQ(RunCommand(env + VORPEL_MAIN + " " + Quote(missing) + " >" + Quote(out) + " 2>&1"),
              0);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(out, text));
    EXPECT_NE(text.find("File read error"), std::string::npos) << text;
    EXPECT_NE(text.find(WideToUtf8(missing)), std::string::npos) << text;
}

} // namespace
