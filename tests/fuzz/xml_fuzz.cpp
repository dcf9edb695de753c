// Fuzz target: any bytes as a document file. Loading must fail cleanly or
// succeed; a loaded document must save, and saving what was saved must give
// the same bytes again. The same bytes are also read line by line in each
// encoding of the text file.
#include "core/text_file.h"
#include "platform/file.h"
#include "tests/fuzz/document_round_trip.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::wstring& ScratchFolder() {
    static const std::wstring dir = [] {
        // Every input is saved twice: a memory file system ($TMPDIR) keeps
        // the run from waiting on the disk.
        const char* tmp = std::getenv("TMPDIR");
        std::string d = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorpel-fuzz-XXXXXX";
        if (!mkdtemp(d.data()))
            std::abort();
        return PathFromNative(d);
    }();
    return dir;
}

void ReadAllLines(const std::wstring& path, int codePage, bool pieces) {
    CTextFile file;
    file.SetCodePage(codePage);
    if (!file.Open(path, CTextFile::GenericRead, CTextFile::FileShareRead, CTextFile::OpenExisting,
                   CTextFile::FileAttributeNormal))
        return;
    if (pieces) {
        wchar_t buffer[7];
        for (int i = 0; i < 100000 && file.ReadLine(buffer, 7) >= 0; ++i) {
            uint8_t b;
            if (!file.ReadByte(b))
                break;
        }
    } else {
        std::wstring line;
        while (file.ReadLineString(line)) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring in = PathJoin(ScratchFolder(), L"in.circuit");
    if (!WriteWholeFile(in, std::string(reinterpret_cast<const char*>(data), size)))
        std::abort();

    ReadAllLines(in, CTextFile::CodePageUtf8, false);
    ReadAllLines(in, CTextFile::CodePageUtf16, true);
    ReadAllLines(in, CTextFile::CodePageAnsi, false);

    const std::wstring rootTag = size > 0 && (data[0] & 1) ? L"Project" : L"";
    if (CheckDocumentRoundTrip(in, rootTag, ScratchFolder()).failure)
        std::abort();
    return 0;
}
