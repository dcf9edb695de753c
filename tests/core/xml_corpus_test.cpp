// The seeds of the document fuzz corpus, the inputs the fuzzer found among
// them: each either fails to load or loads, saves, loads again and saves the
// same bytes a second time, whichever root tag the document is loaded with.
#include "platform/file.h"
#include "platform/text.h"
#include "tests/fuzz/document_round_trip.h"

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
    for (const std::wstring& seed : seeds) {
        bool loaded = false;
        for (const wchar_t* tag : {L"", L"Project", L"SymbolLib", L"FootprintLib"}) {
            SCOPED_TRACE(WideToUtf8(seed) + " as \"" + WideToUtf8(tag) + "\"");
            const DocumentRoundTrip r =
                CheckDocumentRoundTrip(PathJoin(CorpusFolder(), seed), tag, m_dir);
            EXPECT_EQ(r.failure, nullptr) << r.failure << "\nfirst:\n"
                                          << r.first << "\nsecond:\n"
                                          << r.second;
            loaded = loaded || r.loaded;
        }
        // Comments are not part of the format: that seed fails, every other
        // one is a document the reader takes under one of the tags.
        EXPECT_EQ(loaded, seed != L"seed_comment.xml") << WideToUtf8(seed);
    }
}

} // namespace
