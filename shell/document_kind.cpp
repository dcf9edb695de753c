#include "shell/document_kind.h"

#include "platform/file.h"

const wchar_t* RootTagForPath(const std::wstring& path) {
    std::wstring ext = PathExtension(path);
    if (ext == L".circuit")
        return L"Project";
    if (ext == L".symbol")
        return L"SymbolLib";
    if (ext == L".footprint")
        return L"FootprintLib";
    return nullptr;
}
