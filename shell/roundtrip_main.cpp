// vorpel-roundtrip IN OUT: loads a document as the kind its extension names
// and saves it to OUT. Exit 0 on success; otherwise 1, the reason on standard
// error and OUT not written.
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/text.h"
#include "shell/document_kind.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorpel-roundtrip IN OUT\n");
        return 1;
    }
    const std::wstring in = Utf8ToWide(argv[1]);
    const std::wstring out = Utf8ToWide(argv[2]);
    const wchar_t* tag = RootTagForPath(in);
    if (!tag) {
        std::fprintf(stderr, "%s: not a .circuit, .symbol or .footprint file\n", argv[1]);
        return 1;
    }
    CRoot root;
    root.SetRootTag(tag);
    CXmlFile loader(&root);
    if (!loader.Load(in.c_str())) {
        std::fprintf(stderr, "%s: %s\n", argv[1], WideToUtf8(loader.GetError()).c_str());
        return 1;
    }
    CXmlFile saver(&root);
    if (!saver.Save(out.c_str())) {
        std::fprintf(stderr, "%s: %s\n", argv[2], WideToUtf8(saver.GetError()).c_str());
        return 1;
    }
    return 0;
}
