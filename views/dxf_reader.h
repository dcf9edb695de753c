// Reading a DXF drawing into its value tree. Every section becomes a
// top-level node (its name item, such as "HEADER" or "ENTITIES"); inside a
// section each item of code 0 (an entity) is a child of the section and takes
// the items that follow it as its own children, and the header variables are
// consecutive children of the "HEADER" node (the name, code 9, then its
// value).
#pragma once

#include "views/dxf_node.h"

#include <memory>
#include <string>
#include <vector>

struct DxfDrawing {
    std::vector<std::unique_ptr<CDxfNode>> sections;
    // The file ended between a code line and its value: the drawing is cut
    // short and cannot be trusted.
    bool truncated = false;

    // The top-level nodes whose text is the name, in file order.
    std::vector<const CDxfNode*> FindSections(const wchar_t* name) const;
};

// Reads the pairs of the file until its end or a code line that is no
// number. The file is read as UTF-16 when it starts with the byte-order
// mark, else in the ANSI code page. False when the file cannot be opened or
// is no regular file.
bool ReadDxfDrawing(const std::wstring& path, DxfDrawing& drawing);
