// Fuzz target: any bytes as a document file. Loading must fail cleanly or
// succeed; a loaded document must save, and saving what was saved must give
// the same bytes again; what loads must draw and write its manufacturing
// files with numbers a board maker reads. The same bytes are also read line
// by line in each encoding of the text file.
#include "core/text_file.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/ui_hooks.h"
#include "tests/fuzz/document_output.h"
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

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Drawing text needs the application object; the output writers report
    // refused files in message boxes, answered here.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("VORPEL_CONFIG_HOME", PathToNative(ScratchFolder()).c_str(), 1);
    PlatformInitApplication(*argc, *argv);
    // Gone before the libraries' own objects are.
    std::atexit(PlatformShutdownApplication);
    UiHooks hooks;
    hooks.messageBox = [](const MessageBoxRequest& r) { return DefaultMessageBoxAnswer(r.style); };
    hooks.beep = [](unsigned) {};
    hooks.statusText = [](int, const std::wstring&) {};
    SetUiHooks(hooks);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring in = PathJoin(ScratchFolder(), L"in.circuit");
    if (!WriteWholeFile(in, std::string(reinterpret_cast<const char*>(data), size)))
        std::abort();

    ReadAllLines(in, CTextFile::CodePageUtf8, false);
    ReadAllLines(in, CTextFile::CodePageUtf16, true);
    ReadAllLines(in, CTextFile::CodePageAnsi, false);

    const std::wstring rootTag = size > 0 && (data[0] & 1) ? L"Project" : L"";
    if (CheckDocumentRoundTrip(in, rootTag, ScratchFolder(), DocumentOutput::DrawAndWrite).failure)
        std::abort();
    return 0;
}
