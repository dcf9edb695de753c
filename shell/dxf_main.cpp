// vorpel-dxf PROJECT BOARD DRAWING OUT: loads the project, imports the DXF
// drawing as the outline of the board named BOARD (the first one of that
// name) and saves the project to OUT. Exit 0 on success; 1 on a failure,
// the message on standard error and OUT not written; 2 on a usage error.
#include "board/board.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "shell/command_line_tool.h"
#include "views/dxf_import.h"

#include <string>
#include <vector>

namespace {

CBoard* FindBoard(CTreeNode* node, const std::wstring& name) {
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == NodeType::Board && child->GetText() == name)
            return static_cast<CBoard*>(child);
        if (CBoard* found = FindBoard(child, name))
            return found;
    }
    return nullptr;
}

const char kHelp[] = "Loads the project PROJECT (a .circuit file), imports the DXF drawing\n"
                     "DRAWING as the outline of its first board named BOARD and saves the\n"
                     "project to the file OUT (a .circuit file, or a name of no document kind).\n"
                     "Nothing is written when the drawing gives no closed outline.\n";

} // namespace

int main(int argc, char** argv) {
    CCommandLineTool tool("vorpel-dxf", "PROJECT BOARD DRAWING OUT", kHelp, 4, 4);
    if (!tool.Parse(argc, argv) || !tool.RequireNotEmpty(0, "project file name") ||
        !tool.RequireNotFolder(0) || !tool.RequireNotEmpty(2, "drawing file name") ||
        !tool.RequireNotFolder(2) || !tool.RequireNotEmpty(3, "output file name") ||
        !tool.RequireNotFolder(3) || !tool.RequireKindOrNone(3, L".circuit"))
        return tool.ExitStatus();
    tool.ReportMessages();

    const std::vector<std::string>& names = tool.Operands();
    const std::wstring project = tool.Path(0);
    const std::wstring boardName = tool.Path(1);
    const std::wstring drawing = tool.Path(2);
    const std::wstring out = tool.Path(3);
    int rc = kToolSucceeded;
    {
        CRoot root;
        root.SetRootTag(L"Project");
        CXmlFile loader(&root);
        if (!loader.Load(project.c_str()))
            return tool.Fail(names[0] + ": " + WideToUtf8(loader.GetError()));
        CBoard* board = FindBoard(&root, boardName);
        if (!board) {
            rc = tool.Fail(names[0] + ": no board named '" + names[1] + "'");
        } else if (std::wstring failure; !ImportDxfOutline(board, drawing, &failure)) {
            rc = tool.Fail(names[2] + ": " + WideToUtf8(failure));
        } else {
            CXmlFile saver(&root);
            if (!saver.Save(out.c_str()))
                rc = tool.Fail(names[3] + ": " + WideToUtf8(saver.GetError()));
        }
        // The replaced outline was kept for undo; no view holds it.
        DiscardOrphanUndoRecords();
    }
    return rc;
}
