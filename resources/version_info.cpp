#include "resources/version_info.h"

#ifndef VORPEL_VERSION
#define VORPEL_VERSION "0.0.0"
#endif

namespace {
std::wstring Widen(const char* text) {
    std::wstring out;
    for (const char* p = text; *p; ++p)
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    return out;
}
} // namespace

const VersionInfo& GetVersionInfo() {
    static const VersionInfo info = [] {
        VersionInfo v;
        v.productName = L"Vorpel";
        v.productVersion = Widen(VORPEL_VERSION);
        v.fileVersion = Widen(VORPEL_VERSION);
        v.legalCopyright = L"Copyright \u00a9 The Vorpel developers";
        v.companyName = L"The Vorpel developers";
        return v;
    }();
    return info;
}
