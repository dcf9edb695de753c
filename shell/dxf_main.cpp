// vorpel-dxf PROJECT BOARD DRAWING OUT: loads the project, imports the DXF
// drawing as the outline of the board named BOARD (the first one of that
// name) and saves the project to OUT. Exit 0 on success; otherwise 1, the
// message on standard error and OUT not written.
#include "board/board.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "views/dxf_import.h"

#include <cstdio>

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: vorpel-dxf PROJECT BOARD DRAWING OUT\n");
        return 1;
    }
    UiHooks hooks;
    hooks.messageBox = [](const MessageBoxRequest& r) {
        std::fprintf(stderr, "%s: %s\n", WideToUtf8(r.caption).c_str(), WideToUtf8(r.text).c_str());
        return DefaultMessageBoxAnswer(r.style);
    };
    hooks.beep = [](unsigned) {};
    hooks.statusText = [](int, const std::wstring&) {};
    SetUiHooks(hooks);

    const std::wstring project = Utf8ToWide(argv[1]);
    const std::wstring boardName = Utf8ToWide(argv[2]);
    const std::wstring drawing = Utf8ToWide(argv[3]);
    const std::wstring out = Utf8ToWide(argv[4]);
    int rc = 0;
    {
        CRoot root;
        root.SetRootTag(L"Project");
        CXmlFile loader(&root);
        if (!loader.Load(project.c_str())) {
            std::fprintf(stderr, "%s: %s\n", argv[1], WideToUtf8(loader.GetError()).c_str());
            return 1;
        }
        CBoard* board = FindBoard(&root, boardName);
        if (!board) {
            std::fprintf(stderr, "%s: no board named '%s'\n", argv[1], argv[2]);
            rc = 1;
        } else if (!ImportDxfOutline(board, drawing)) {
            rc = 1;
        } else {
            CXmlFile saver(&root);
            if (!saver.Save(out.c_str())) {
                std::fprintf(stderr, "%s: %s\n", argv[4], WideToUtf8(saver.GetError()).c_str());
                rc = 1;
            }
        }
        // The replaced outline was kept for undo; no view holds it.
        DiscardOrphanUndoRecords();
    }
    return rc;
}
