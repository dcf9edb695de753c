// The document kinds and their files: a project (*.circuit, root "Project"),
// a symbol library (*.symbol, "SymbolLib") and a footprint library
// (*.footprint, "FootprintLib").
#pragma once

#include <string>

// The root element name for a file name's extension; null when the extension
// names no document kind.
const wchar_t* RootTagForPath(const std::wstring& path);
