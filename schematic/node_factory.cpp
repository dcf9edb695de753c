#include "schematic/node_factory.h"

#include "board/area.h"
#include "board/board.h"
#include "board/board_properties.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/mounting.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/generic_node.h"
#include "core/node_type.h"
#include "schematic/bus.h"
#include "schematic/folders.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "schematic/wire.h"

#include <array>
#include <cwchar>
#include <iterator>
#include <new>
#include <string>

namespace {

template <class T> CTreeNode* Make() {
    return new (std::nothrow) T();
}

// A board read from a file replaces this outline by its own.
CTreeNode* CreateBoard() {
    auto* board = new (std::nothrow) CBoard();
    if (board)
        board->CreateDefaultOutline();
    return board;
}

const NodeFactoryRow kRows[] = {
    {L"PadstackFolder", NodeType::PadstackFolder, Make<CPadstackFolder>, nullptr},
    {L"FootprintFolder", NodeType::FootprintFolder, Make<CFootprintFolder>, nullptr},
    {L"SymbolFolder", NodeType::SymbolFolder, Make<CSymbolFolder>, nullptr},
    {L"Block", NodeType::Block, Make<CBlock>, nullptr},
    {L"Board", NodeType::Board, CreateBoard, nullptr},
    {L"Layer", NodeType::Layer, Make<CLayer>, nullptr},
    {L"Thermal", NodeType::ThermalRelief, Make<CThermalRelief>, nullptr},
    {L"Mounting", NodeType::Mounting, Make<CMounting>, nullptr},
    {L"Properties", NodeType::BoardProperties, Make<CBoardProperties>, nullptr},
    {L"PadLayer", NodeType::PadLayer, Make<CPadLayer>, nullptr},
    {L"Padstack", NodeType::Padstack, Make<CPadstack>, nullptr},
    {L"Pad", NodeType::Pad, Make<CPad>, nullptr},
    {L"Marking", NodeType::Marking, Make<CMarking>, nullptr},
    {L"Drill", NodeType::Drill, Make<CDrill>, nullptr},
    {L"Footprint", NodeType::Footprint, Make<CFootprint>, nullptr},
    {L"Conductor", NodeType::Conductor, Make<CConductor>, nullptr},
    {L"Area", NodeType::Area, Make<CArea>, nullptr},
    {L"Sheet", NodeType::Sheet, Make<CSheet>, nullptr},
    {L"Package", NodeType::Package, Make<CPackage>, nullptr},
    {L"Part", NodeType::Part, Make<CPart>, nullptr},
    {L"Pin", NodeType::Pin, Make<CPin>, nullptr},
    {L"Net", NodeType::Net, Make<CNet>, nullptr},
    {L"Wire", NodeType::Wire, Make<CWire>, nullptr},
    {L"Bus", NodeType::Bus, Make<CBus>, L"0,0N0"},
    {L"Text", NodeType::Text, Make<CText>, L""},
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
