// The seeds of the document fuzz corpus, the inputs the fuzzer found among
// them: each either fails to load or loads, saves, loads again and saves the
// same bytes a second time, whichever root tag the document is loaded with,
// and what loads draws and writes sane manufacturing files.
#include "platform/file.h"
#include "platform/text.h"
#include "tests/fuzz/document_output.h"
#include "tests/fuzz/document_round_trip.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring CorpusFolder() {
    return PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"tests/fuzz/corpus");
}

class XmlCorpusTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = "/tmp/vorpel-corpus-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = PathFromNative(dir);
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + PathToNative(m_dir) + "'";
        (void)std::system(cmd.c_str());
    }
    std::wstring m_dir;
};

TEST_F(XmlCorpusTest, EverySeedSavesTheSameBytesTwice) {
    const std::vector<std::wstring> seeds = ListDirectory(CorpusFolder());
    ASSERT_GE(seeds.size(), 12u);
    ScopedUiHooksRecorder ui; // files refused by the writers
    for (const std::wstring& seed : seeds) {
        bool loaded = false;
        for (const wchar_t* tag : {L"", L"Project", L"SymbolLib", L"FootprintLib"}) {
            SCOPED_TRACE(WideToUtf8(seed) + " as \"" + WideToUtf8(tag) + "\"");
            const DocumentRoundTrip r = CheckDocumentRoundTrip(PathJoin(CorpusFolder(), seed), tag,
                                                               m_dir, DocumentOutput::DrawAndWrite);
            EXPECT_EQ(r.failure, nullptr) << r.failure << "\nfirst:\n"
                                          << r.first << "\nsecond:\n"
                                          << r.second;
            loaded = loaded || r.loaded;
        }
        // Comments are not part of the format, and a save would drop what
        // follows the root element: those seeds fail, every other one is a
        // document the reader takes under one of the tags.
        const bool refused =
            seed == L"seed_comment.xml" || seed == L"text_changes_on_second_save_full.bin";
        EXPECT_EQ(loaded, !refused) << WideToUtf8(seed);
    }
}

} // namespace
