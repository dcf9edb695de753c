// vorpel-cam PROJECT OUTDIR: writes the manufacturing files of every board of
// a project, as the Gerber export does with every layer selected.
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
#include "shell/command_line_tool.h"

#include <cstdlib>
#include <map>
#include <vector>

namespace {

// The project file's name without its extension, as the first part of every
// output file's name: a control character in it (a line end) stands as '_',
// as in a board's part of the name.
std::wstring ProjectName(const std::wstring& path) {
    std::wstring name = path.substr(path.find_last_of(L"/\\") + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return WithoutControlCharacters(name);
}

constexpr unsigned kBoardNameClash = 304;

const char kHelp[] = "Writes the manufacturing files of every board of the project PROJECT (a\n"
                     ".circuit file) into the folder OUTDIR, which is made when missing: the\n"
                     "Gerber files of the layers and the board outline, the drill files and the\n"
                     "bill of materials, each named PROJECT.BOARD.<file>, as the Gerber export\n"
                     "writes them with every layer selected.\n";

} // namespace

int main(int argc, char** argv) {
    CCommandLineTool tool("vorpel-cam", "PROJECT OUTDIR", kHelp, 2, 2);
    if (!tool.Parse(argc, argv) || !tool.RequireNotEmpty(0, "project file name") ||
        !tool.RequireNotFolder(0) || !tool.RequireNotEmpty(1, "output folder name"))
        return tool.ExitStatus();
    const std::wstring in = tool.Path(0);
    const std::wstring outDir = tool.Path(1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // text outlines need fonts, not a screen
    // Qt reads no word of the command line: it outlives the application.
    static int qtArgc = 1;
    PlatformInitApplication(qtArgc, argv);
    tool.ReportMessages();
    int rc = kToolSucceeded;
    {
        CRoot root;
        root.SetRootTag(L"Project");
        CXmlFile loader(&root);
        if (!loader.Load(in.c_str())) {
            rc = tool.Fail(tool.Operands()[0] + ": " + WideToUtf8(loader.GetError()));
            PlatformShutdownApplication();
            return rc;
        }
        BuildBoardNetsInTree(&root);
        if (!DirectoryExists(outDir) && (!CreateDirectories(outDir) || !DirectoryExists(outDir))) {
            rc = tool.Fail(tool.Operands()[1] + ": cannot make the folder");
            PlatformShutdownApplication();
            return rc;
        }
        CamSettings settings;
        LoadGerberSettings(settings);
        const std::wstring prefix = PathJoin(outDir, ProjectName(in));
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
                rc = kToolFailed;
                continue;
            }
            LayerSelectEntry layers[kBoardLayerCount];
            LayerSelectEntry outline;
            SelectAllGerberLayers(board, layers, outline);
            if (!WriteGerberFiles(prefix, board, layers, outline, settings))
                rc = kToolFailed;
            if (!ExportExcellon(board, prefix, settings.unit))
                rc = kToolFailed;
            if (!ExportBillOfMaterials(board, prefix))
                rc = kToolFailed;
        }
    }
    PlatformShutdownApplication();
    return rc;
}
