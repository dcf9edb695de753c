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

CTreeNode* CreateNodeFromTag(const wchar_t* text) {
    if (!text)
        text = L"";
    const wchar_t* name = text[0] == L'<' ? text + 1 : text;
    static const std::array<std::size_t, std::size(kRows)> lengths = [] {
        std::array<std::size_t, std::size(kRows)> l{};
        for (std::size_t i = 0; i < l.size(); ++i)
            l[i] = std::wcslen(kRows[i].tag);
        return l;
    }();
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const NodeFactoryRow& row = kRows[i];
        if (name[0] != row.tag[0] || std::wcsncmp(name, row.tag, lengths[i]) != 0)
            continue;
        if (row.create)
            return row.create();
        CTreeNode* node = new (std::nothrow) CGenericNode(row.type, row.tag);
        if (node && row.initialText)
            node->SetText(row.initialText);
        return node;
    }
    const wchar_t* end = name;
    while (IsNameChar(*end))
        ++end;
    return new (std::nothrow) CGenericNode(std::wstring(name, end));
}
