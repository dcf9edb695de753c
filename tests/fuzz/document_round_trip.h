// What the document fuzz target asks of every input, shared with the test
// that runs the seed corpus: a file either fails to load or loads; a loaded
// document saves, the saved file loads again, and saving that gives the same
// bytes as the first save.
#pragma once

#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"

#include <string>

struct DocumentRoundTrip {
    bool loaded = false;
    // What went wrong after a load; null when nothing did.
    const char* failure = nullptr;
    std::string first, second;
};

// Loads the file at in with the given root tag and, when it loads, saves it
// twice through files in the folder dir. A given output check then has the
// document read (false: it failed).
inline DocumentRoundTrip
CheckDocumentRoundTrip(const std::wstring& in, const std::wstring& rootTag, const std::wstring& dir,
                       bool (*output)(CRoot& root, const std::wstring& dir) = nullptr) {
    DocumentRoundTrip result;
    CRoot root;
    root.SetRootTag(rootTag);
    if (!CXmlFile(&root).Load(in.c_str()))
        return result;
    result.loaded = true;
    const std::wstring first = PathJoin(dir, L"first.circuit");
    const std::wstring second = PathJoin(dir, L"second.circuit");
    if (!CXmlFile(&root).Save(first.c_str())) {
        result.failure = "the loaded document does not save";
        return result;
    }
    ReadWholeFile(first, result.first);
    CRoot again;
    if (!CXmlFile(&again).Load(first.c_str())) {
        result.failure = "what the writer wrote does not load";
        return result;
    }
    if (!CXmlFile(&again).Save(second.c_str())) {
        result.failure = "the reloaded document does not save";
        return result;
    }
    ReadWholeFile(second, result.second);
    if (result.first != result.second) {
        result.failure = "the second save differs from the first";
        return result;
    }
    // A copy of what was read is a whole tree of its own.
    delete root.Clone();
    if (output && !output(root, dir))
        result.failure = "the document does not draw, or writes a number no board maker reads";
    return result;
}
