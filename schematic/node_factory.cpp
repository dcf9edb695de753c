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
