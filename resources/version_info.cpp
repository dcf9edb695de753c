#include "resources/version_info.h"

#ifndef VORPEL_VERSION
#define VORPEL_VERSION "0.0.0"
#endif

const VersionInfo& GetVersionInfo() {
    static const VersionInfo info = [] {
        VersionInfo v;
        v.productName = L"Vorpel";
        v.productVersion = L"" VORPEL_VERSION;
        v.fileVersion = L"" VORPEL_VERSION;
        v.legalCopyright = L"Copyright \u00a9 The Vorpel developers";
        v.companyName = L"The Vorpel developers";
        return v;
    }();
    return info;
}
