#include "schematic/node_factory.h"

#include "core/generic_node.h"
#include "core/node_type.h"

#include <array>
#include <cwchar>
#include <iterator>
#include <new>
#include <string>

namespace {

const NodeFactoryRow kRows[] = {
    {L"PadstackFolder", NodeType::PadstackFolder, nullptr, nullptr},
    {L"FootprintFolder", NodeType::FootprintFolder, nullptr, nullptr},
    {L"SymbolFolder", NodeType::SymbolFolder, nullptr, nullptr},
    {L"Block", NodeType::Block, nullptr, nullptr},
    {L"Board", NodeType::Board, nullptr, nullptr},
    {L"Layer", NodeType::Layer, nullptr, nullptr},
    {L"Thermal", NodeType::ThermalRelief, nullptr, nullptr},
    {L"Mounting", NodeType::Mounting, nullptr, nullptr},
    {L"Properties", NodeType::BoardProperties, nullptr, nullptr},
    {L"PadLayer", NodeType::PadLayer, nullptr, nullptr},
    {L"Padstack", NodeType::Padstack, nullptr, nullptr},
    {L"Pad", NodeType::Pad, nullptr, nullptr},
    {L"Marking", NodeType::Marking, nullptr, nullptr},
    {L"Drill", NodeType::Drill, nullptr, nullptr},
    {L"Footprint", NodeType::Footprint, nullptr, nullptr},
    {L"Conductor", NodeType::Conductor, nullptr, nullptr},
    {L"Area", NodeType::Area, nullptr, nullptr},
    {L"Sheet", NodeType::Sheet, nullptr, nullptr},
    {L"Package", NodeType::Package, nullptr, nullptr},
    {L"Part", NodeType::Part, nullptr, nullptr},
    {L"Pin", NodeType::Pin, nullptr, nullptr},
    {L"Net", NodeType::Net, nullptr, nullptr},
    {L"Wire", NodeType::Wire, nullptr, nullptr},
    {L"Bus", NodeType::Bus, nullptr, L"0,0N0"},
    {L"Text", NodeType::Text, nullptr, L""},
};

bool IsNameChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'_' || static_cast<uint32_t>(c) >= 0x80;
}

} // namespace

const NodeFactoryRow* GetNodeFactoryTable(int* count) {
    if (count)
        *count = static_cast<int>(sizeof kRows / sizeof kRows[0]);
    return kRows;
}

namespace {

// For each ASCII first letter, the rows whose tag starts with it, in table
// order, so that a lookup compares only the few candidate tags.
struct RowsByFirstLetter {
    std::array<std::array<unsigned char, std::size(kRows) + 1>, 128> rows{};
    std::array<unsigned char, std::size(kRows)> lengths{};
    RowsByFirstLetter() {
        for (auto& r : rows)
            r.fill(0xFF);
        std::array<std::size_t, 128> used{};
        for (std::size_t i = 0; i < std::size(kRows); ++i) {
            const auto first = static_cast<std::size_t>(kRows[i].tag[0]) & 0x7F;
            rows[first][used[first]++] = static_cast<unsigned char>(i);
            lengths[i] = static_cast<unsigned char>(std::wcslen(kRows[i].tag));
        }
    }
};

// True when name begins with tag (the name ends at its NUL); the first letters
// are known to match.
bool StartsWith(const wchar_t* name, const wchar_t* tag, std::size_t length) {
    if (name[1] != tag[1]) // every tag has two letters at least
        return false;
    for (std::size_t k = 2; k < length; ++k)
        if (name[k] != tag[k])
            return false;
    return true;
}

} // namespace

CTreeNode* CreateNodeFromTag(const wchar_t* text) {
    if (!text)
        text = L"";
    const wchar_t* name = text[0] == L'<' ? text + 1 : text;
    static const RowsByFirstLetter index;
    const auto first = static_cast<uint32_t>(name[0]);
    if (first < 128) {
        for (unsigned char i : index.rows[first]) {
            if (i == 0xFF)
                break;
            const NodeFactoryRow& row = kRows[i];
            if (!StartsWith(name, row.tag, index.lengths[i]))
                continue;
            if (row.create)
                return row.create();
            CTreeNode* node = new (std::nothrow) CGenericNode(row.type, row.tag);
            if (node && row.initialText)
                node->SetText(row.initialText);
            return node;
        }
    }
    const wchar_t* end = name;
    while (IsNameChar(*end))
        ++end;
    return new (std::nothrow) CGenericNode(std::wstring(name, end));
}
