// Fuzz target: any bytes as a document file. Loading must fail cleanly or
// succeed; a loaded document must save, and saving what was saved must give
// the same bytes again. The same bytes are also read line by line in each
// encoding of the text file.
#include "core/root.h"
#include "core/text_file.h"
#include "core/xml_file.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::wstring ScratchPath(const wchar_t* name) {
    static const std::wstring dir = [] {
        // Every input is saved twice: a memory file system ($TMPDIR) keeps
        // the run from waiting on the disk.
        const char* tmp = std::getenv("TMPDIR");
        std::string d = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorpel-fuzz-XXXXXX";
        if (!mkdtemp(d.data()))
            std::abort();
        return PathFromNative(d);
    }();
    return PathJoin(dir, name);
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
    const std::wstring in = ScratchPath(L"in.circuit");
    if (!WriteWholeFile(in, std::string(reinterpret_cast<const char*>(data), size)))
        std::abort();

    ReadAllLines(in, CTextFile::CodePageUtf8, false);
    ReadAllLines(in, CTextFile::CodePageUtf16, true);
    ReadAllLines(in, CTextFile::CodePageAnsi, false);

    CRoot root;
    root.SetRootTag(size > 0 && (data[0] & 1) ? L"Project" : L"");
    if (!CXmlFile(&root).Load(in.c_str()))
        return 0;
    const std::wstring first = ScratchPath(L"first.circuit");
    const std::wstring second = ScratchPath(L"second.circuit");
    if (!CXmlFile(&root).Save(first.c_str()))
        std::abort();
    CRoot again;
    if (!CXmlFile(&again).Load(first.c_str()))
        std::abort(); // what the writer writes, the reader reads
    if (!CXmlFile(&again).Save(second.c_str()))
        std::abort();
    std::string a, b;
    ReadWholeFile(first, a);
    ReadWholeFile(second, b);
    if (a != b)
        std::abort(); // a second save changes nothing
    CTreeNode* copy = root.Clone();
    delete copy;
    return 0;
}
