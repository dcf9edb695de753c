// Test driver: writes the manufacturing files of every board of a project,
// as the export does with every layer selected.
#include "board/board.h"
#include "cam/bill_of_materials.h"
#include "cam/cam_settings.h"
#include "cam/excellon_export.h"
#include "cam/gerber_export.h"
#include "cam/output_file.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

void CollectBoards(CTreeNode* node, std::vector<CBoard*>& out) {
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == NodeType::Board)
            out.push_back(static_cast<CBoard*>(child));
        else
            CollectBoards(child, out);
    }
}

std::wstring ProjectName(const std::wstring& path) {
    std::wstring name = path.substr(path.find_last_of(L"/\\") + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name;
}

constexpr unsigned kBoardNameClash = 304;

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorpel-cam PROJECT OUTDIR\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // text outlines need fonts, not a screen
    PlatformInitApplication(argc, argv);
    bool reported = false;
    UiHooks hooks;
    hooks.messageBox = [&reported](const MessageBoxRequest& r) {
        std::fprintf(stderr, "%s: %s\n", WideToUtf8(r.caption).c_str(), WideToUtf8(r.text).c_str());
        reported = true;
        return DefaultMessageBoxAnswer(r.style);
    };
    hooks.beep = [](unsigned) {};
    hooks.statusText = [](int, const std::wstring& text) {
        if (!text.empty())
            std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str());
    };
    SetUiHooks(hooks);

    const std::wstring in = Utf8ToWide(argv[1]);
    const std::wstring outDir = Utf8ToWide(argv[2]);
    int rc = 0;
    {
        CRoot root;
        root.SetRootTag(L"Project");
        CXmlFile loader(&root);
        if (!loader.Load(in.c_str())) {
            std::fprintf(stderr, "%s: %s\n", argv[1], WideToUtf8(loader.GetError()).c_str());
            PlatformShutdownApplication();
            return 1;
        }
        BuildBoardNetsInTree(&root);
        if (!DirectoryExists(outDir))
            CreateDirectories(outDir);
        CamSettings settings;
        LoadGerberSettings(settings);
        const std::wstring prefix = outDir + L"/" + ProjectName(in);
        std::vector<CBoard*> boards;
        CollectBoards(&root, boards);
        // Each board's files are named after it: a board whose name gives the
        // file names of one written before is left out rather than written
        // over it.
        std::map<std::wstring, const CBoard*> written;
        for (CBoard* board : boards) {
            const std::wstring part = BoardFileNamePart(board);
            const auto [first, isNew] = written.emplace(part, board);
            if (!isNew) {
                const std::wstring text =
                    StrPrintf(LoadStringText(kBoardNameClash).c_str(),
                              WithoutControlCharacters(board->GetText()).c_str(),
                              WithoutControlCharacters(first->second->GetText()).c_str());
                ShowMessageBox(text + prefix + L"." + part + L".*'", L"Gerber",
                               MB_OK | MB_ICONERROR);
                rc = 1;
                continue;
            }
            LayerSelectEntry layers[kBoardLayerCount];
            LayerSelectEntry outline;
            SelectAllGerberLayers(board, layers, outline);
            if (!WriteGerberFiles(prefix, board, layers, outline, settings))
                rc = 1;
            if (!ExportExcellon(board, prefix, settings.unit))
                rc = 1;
            if (!ExportBillOfMaterials(board, prefix))
                rc = 1;
        }
    }
    PlatformShutdownApplication();
    return rc;
}
