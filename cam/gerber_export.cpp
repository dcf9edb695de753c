#include "cam/gerber_export.h"

#include "board/board.h"
#include "board/board_types.h"
#include "board/layer.h"
#include "cam/clearance_outlines.h"
#include "cam/excellon_export.h"
#include "cam/gerber_layer_writer.h"
#include "cam/output_file.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/text_file.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "platform/window.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

std::wstring GerberFileName(const std::wstring& prefix, const CBoard* board, int layer) {
    const std::wstring code = layer < 0 ? L"BOARD" : LayerToCode(layer);
    return prefix + L"." + BoardFileNamePart(board) + L"." + code + L".gbr";
}

namespace {
constexpr unsigned kUnableToCreateFile = 293;
constexpr unsigned kFileSaveError = 301;

// Jumper and documentation layers are never manufactured.
bool IsManufactured(const CLayer* layerNode) {
    return !layerNode || layerNode->m_layerType == kLayerTypeRouting ||
           layerNode->m_layerType == kLayerTypePlane;
}

} // namespace

bool WriteGerberLayer(const std::wstring& prefix, CBoard* board, int layer, CLayer* layerNode,
                      const CamSettings& settings, CClearanceOutlines* outlines) {
    if (!IsManufactured(layerNode))
        return true;
    const std::wstring name = GerberFileName(prefix, board, layer);
    COutputFile output(name);
    if (!output.Open(CTextFile::CodePageAnsi, false)) {
        ShowMessageBox(LoadStringText(kUnableToCreateFile) + name + L"'", L"Gerber",
                       MB_OK | MB_ICONERROR);
        return false;
    }
    CGerberLayerWriter writer(&output.File(), settings, board, layer, layerNode, outlines);
    writer.WriteHeader(name);
    const bool written = layer < 0 ? writer.WriteOutlineFile() : writer.WriteLayerFile();
    if (!written) {
        output.Discard();
        if (writer.InvalidSize())
            ShowInvalidSize(*writer.InvalidSize(), name);
        else
            ShowUnwritableNumber(writer.Unwritable().value_or(0.0), name);
        return false;
    }
    if (!output.Finish()) {
        ShowMessageBox(LoadStringText(kFileSaveError) + name + L"'", L"Gerber",
                       MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

bool WriteGerberFiles(const std::wstring& prefix, CBoard* board,
                      const LayerSelectEntry (&layers)[kBoardLayerCount],
                      const LayerSelectEntry& outline, const CamSettings& settings) {
    // The clearance outlines of every layer's areas are the bulk of the
    // work: helpers start on them before the first file and go on while
    // the files are written.
    std::vector<ClearanceRequest> conductors;
    for (int id = 0; id < kBoardLayerCount; ++id) {
        if (!layers[id].selected || !IsManufactured(layers[id].layer))
            continue;
        std::vector<ClearanceRequest> more = CGerberLayerWriter::ClearanceRequests(
            board, id, GetBoardIsolation(board), settings.padTol);
        std::move(more.begin(), more.end(), std::back_inserter(conductors));
    }
    CClearanceOutlines outlines;
    const unsigned helpers = CGerberLayerWriter::OutlineHelpers(conductors.size());
    outlines.Start(std::move(conductors), GetBoardIsolation(board), settings.padTol, helpers);
    bool ok = true;
    for (int id = 0; id < kBoardLayerCount; ++id)
        if (layers[id].selected)
            ok = WriteGerberLayer(prefix, board, id, layers[id].layer, settings, &outlines) && ok;
    if (outline.selected)
        ok = WriteGerberLayer(prefix, board, kLayerOutline, nullptr, settings) && ok;
    return ok;
}

void SelectAllGerberLayers(CBoard* board, LayerSelectEntry (&layers)[kBoardLayerCount],
                           LayerSelectEntry& outline) {
    for (int id = 0; id < kBoardLayerCount; ++id) {
        LayerSelectEntry& e = layers[id];
        e.id = id;
        e.layer = board->FindLayer(id);
        const bool inner = id >= kLayerInner1 && id <= kLayerInner20;
        // The dialog lists the inner layers of the stackup and every
        // layer up to the paste layers.
        e.selected = id <= kLayerSolderPasteBottom && (!inner || e.layer) ? 1 : 0;
    }
    outline = LayerSelectEntry{1, nullptr, kLayerOutline};
}

namespace {

// The board's document as its file holds it: written as a save writes it
// and read back as vorpel-cam reads the file. A save keeps six significant
// digits of every number, so the board in memory (a text where a click put
// it) may lie a little off what its file says; exported from the copy, the
// files are the ones vorpel-cam writes from the saved document. Null when
// the board is in no document or the copy fails; the board itself is
// exported then.
struct SavedCopy {
    std::unique_ptr<CRoot> root;
    CBoard* board = nullptr;
};

SavedCopy CopyAsSaved(CBoard* board) {
    CTreeNode* top = board;
    while (top->GetParent())
        top = top->GetParent();
    auto* original = dynamic_cast<CRoot*>(top);
    if (!original)
        return {};
    std::vector<CBoard*> boards;
    CollectBoards(original, boards);
    const auto at = std::find(boards.begin(), boards.end(), board);
    if (at == boards.end())
        return {};
    std::string bytes;
    if (!CXmlFile(original).SaveToBytes(bytes))
        return {};
    SavedCopy copy;
    copy.root = std::make_unique<CRoot>();
    copy.root->SetRootTag(original->GetRootTag());
    if (!CXmlFile(copy.root.get()).LoadFromBytes(bytes))
        return {};
    BuildBoardNetsInTree(copy.root.get());
    std::vector<CBoard*> copied;
    CollectBoards(copy.root.get(), copied);
    if (copied.size() != boards.size())
        return {};
    copy.board = copied[static_cast<size_t>(at - boards.begin())];
    return copy;
}

} // namespace

void ExportGerber(CBoard* board) {
    LoadGerberSettings(g_CamSettings);
    CLayerSelect dialog(board);
    if (dialog.DoModal(GetActiveWindow()) != IDOK)
        return;
    const CursorShape old = SetCursor(CursorShape::Wait);
    // The prefix names the files; a folder typed into it that does not
    // exist yet is made, as vorpel-cam makes its output folder.
    const std::wstring folder = PathDirectory(dialog.m_prefix);
    if (!folder.empty() && !DirectoryExists(folder))
        CreateDirectories(folder);
    const SavedCopy copy = CopyAsSaved(board);
    CBoard* written = copy.board ? copy.board : board;
    LayerSelectEntry layers[kBoardLayerCount];
    for (int id = 0; id < kBoardLayerCount; ++id) {
        layers[id] = dialog.m_layers[id];
        layers[id].layer = written->FindLayer(id);
    }
    WriteGerberFiles(dialog.m_prefix, written, layers, dialog.m_outline, g_CamSettings);
    // The drill files always carry three decimals.
    g_CamSettings.resFlt = 3;
    ExportExcellon(written, dialog.m_prefix, g_CamSettings.unit);
    SetCursor(old);
}

void CollectBoards(CTreeNode* node, std::vector<CBoard*>& out) {
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == NodeType::Board)
            out.push_back(static_cast<CBoard*>(child));
        else
            CollectBoards(child, out);
    }
}
