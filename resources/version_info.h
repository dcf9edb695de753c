// The product texts the about box shows, taken from the build (the project
// version and the build's date) rather than from a version resource.
#pragma once

#include <string>

struct VersionInfo {
    std::wstring productName;
    std::wstring productVersion;
    std::wstring fileVersion;
    std::wstring legalCopyright;
    std::wstring companyName;
};

const VersionInfo& GetVersionInfo();
