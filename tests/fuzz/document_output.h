// What the document fuzz target asks of a document that reads, beyond its
// round trip: its first board draws (every layer's objects, the outline and
// their bounds) and writes its Gerber, Excellon and bill-of-materials files,
// its first sheet (or symbol) draws, all offscreen; and no manufacturing file
// holds a number a board maker cannot read. Shared with the test that runs
// the seed corpus.
#pragma once

#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/layer.h"
#include "board/pad_layer.h"
#include "cam/bill_of_materials.h"
#include "cam/excellon_export.h"
#include "cam/gerber_export.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "schematic/part.h"
#include "schematic/sheet.h"
#include "tests/core/test_view.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace DocumentOutput {

inline CTreeNode* FindFirst(CTreeNode* node, int type, int parentType = -1) {
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == type && (parentType < 0 || node->GetType() == parentType))
            return child;
        if (CTreeNode* found = FindFirst(child, type, parentType))
            return found;
    }
    return nullptr;
}

// A view drawing with a sheet's grid, as the sheet's editor does.
class CGridView : public CTestView {
public:
    CGridView(CTreeNode* document, int kind, int grid) : CTestView(document, kind) {
        if (grid > 0)
            m_textHeight = grid;
    }
};

inline void DrawBoard(CBoard* board) {
    CTestView view(board, kViewBoard);
    ScopedActiveView active(&view);
    CBoardLayerIndex index;
    index.Build(board);
    auto image = PaintTarget::CreateImage(48, 48);
    Graphics g(image.get());
    view.PrepareGraphics(&g);
    board->DrawOutline(&g);
    RectF bounds;
    for (int set = CBoardLayerIndex::kSetCount - 1; set >= 0; --set) {
        CLayer* layer = set < CBoardLayerIndex::kTopSet ? board->FindLayer(set) : nullptr;
        const int front = set < CBoardLayerIndex::kTopSet ? set : 0;
        for (CTreeNode* node : index.GetSet(set)) {
            if (node->GetType() == NodeType::PadLayer)
                static_cast<CPadLayer*>(node)->m_pDrawnLayer = layer;
            node->DrawOnBoard(&g, (uint32_t(front) << NodeFlags::FrontLayerShift) |
                                      NodeFlags::BoardView);
            node->GetBoundsOnBoard(&g, bounds);
        }
    }
}

inline void DrawOnSheet(CTreeNode* document, int kind, int grid,
                        const std::vector<CTreeNode*>& objects, uint32_t flags) {
    CGridView view(document, kind, grid);
    ScopedActiveView active(&view);
    DeviceContext dc(48, 48);
    view.PrepareDC(&dc);
    for (CTreeNode* object : objects) {
        object->DrawOnSheet(&dc, flags);
        object->GetBoundsOnSheet(&dc);
    }
}

// A number no board maker reads: not-a-number, infinity, or more digits in a
// row than the formats' six (the first line names the file).
inline bool HoldsNonsense(const std::string& bytes) {
    const size_t body = bytes.find('\n');
    if (body == std::string::npos)
        return false;
    int run = 0;
    for (size_t i = body; i < bytes.size(); ++i) {
        const char c = bytes[i];
        run = c >= '0' && c <= '9' ? run + 1 : 0;
        if (run > 6)
            return true;
        const bool wordStart = i == 0 || !std::isalpha(static_cast<unsigned char>(bytes[i - 1]));
        if (wordStart && (bytes.compare(i, 3, "nan") == 0 || bytes.compare(i, 3, "inf") == 0))
            return true;
    }
    return false;
}

// Draws and writes what the document holds; false when a manufacturing file
// holds nonsense. dir: a scratch folder for the files.
inline bool DrawAndWrite(CRoot& root, const std::wstring& dir) {
    BuildBoardNetsInTree(&root);
    if (auto* board = static_cast<CBoard*>(FindFirst(&root, NodeType::Board))) {
        DrawBoard(board);
        LayerSelectEntry layers[kBoardLayerCount];
        LayerSelectEntry outline;
        SelectAllGerberLayers(board, layers, outline);
        const std::wstring out = PathJoin(dir, L"cam");
        CreateDirectories(out);
        const std::wstring prefix = PathJoin(out, L"out");
        WriteGerberFiles(prefix, board, layers, outline, CamSettings{});
        ExportExcellon(board, prefix, 1);
        ExportBillOfMaterials(board, prefix);
        for (const std::wstring& name : ListDirectory(out)) {
            const std::wstring path = PathJoin(out, name);
            std::string bytes;
            ReadWholeFile(path, bytes);
            RemoveFile(path);
            if (name.size() > 4 && name.rfind(L".csv") != name.size() - 4 && HoldsNonsense(bytes))
                return false;
        }
    }
    if (auto* sheet = static_cast<CSheet*>(FindFirst(&root, NodeType::Sheet))) {
        std::vector<CTreeNode*> objects(sheet->m_objects.begin(), sheet->m_objects.end());
        DrawOnSheet(sheet, kViewSchematic, sheet->m_gridSize, objects, NodeFlags::SchematicView);
    }
    // A symbol as its editor shows it: its first part.
    if (CTreeNode* symbol = FindFirst(&root, NodeType::Package, NodeType::SymbolFolder))
        if (CTreeNode* part = FindFirst(symbol, NodeType::Part))
            DrawOnSheet(symbol, kViewSymbol, 0, {part}, NodeFlags::SymbolView);
    return true;
}

} // namespace DocumentOutput
