// Fuzz target: any bytes as a DXF drawing imported as a board outline. The
// import either fails with one message and leaves the board as it was, or
// installs a closed outline of finite numbers that undo takes back and redo
// puts in again.
#include "board/area_node.h"
#include "board/board.h"
#include "platform/file.h"
#include "platform/ui_hooks.h"
#include "tests/core/test_view.h"
#include "views/dxf_import.h"
#include "views/dxf_reader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::wstring ScratchPath() {
    static const std::wstring path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string d = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorpel-dxf-fuzz-XXXXXX";
        if (!mkdtemp(d.data()))
            std::abort();
        return PathJoin(PathFromNative(d), L"in.dxf");
    }();
    return path;
}

int g_messages = 0;
CTestView* g_view = nullptr; // holds the undo history

bool Finite(float v) {
    return std::isfinite(v);
}

void CheckOutline(const CAreaNode* head) {
    if (!head || head->m_prev || head->m_first != head)
        std::abort();
    for (const CAreaNode* n = head; n; n = n->m_next) {
        if (n->m_first != head || n->m_last != head->m_last || !Finite(n->m_x) || !Finite(n->m_y))
            std::abort();
        if (n->m_kind == AREA_ARC && !Finite(static_cast<const CAreaArc*>(n)->m_deviation))
            std::abort();
        if (n->m_kind == AREA_BEZIER) {
            const auto* c = static_cast<const CAreaBezier*>(n);
            if (!Finite(c->m_c1x) || !Finite(c->m_c1y) || !Finite(c->m_c2x) || !Finite(c->m_c2y))
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    UiHooks hooks;
    hooks.messageBox = [](const MessageBoxRequest& r) {
        ++g_messages;
        return DefaultMessageBoxAnswer(r.style);
    };
    hooks.beep = [](unsigned) {};
    hooks.statusText = [](int, const std::wstring&) {};
    SetUiHooks(hooks);
    g_view = new CTestView;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring path = ScratchPath();
    if (!WriteWholeFile(path, std::string(reinterpret_cast<const char*>(data), size)))
        std::abort();

    DxfDrawing drawing;
    if (!ReadDxfDrawing(path, drawing))
        std::abort();

    CTestView& view = *g_view;
    ScopedActiveView active(&view);
    CBoard board;
    board.CreateDefaultOutline();
    board.m_unit = 2;
    const std::wstring before = AreaOutlineToString(board.m_outline);
    g_messages = 0;
    if (!ImportDxfOutline(&board, path)) {
        if (g_messages != 1 || AreaOutlineToString(board.m_outline) != before ||
            board.m_unit != 2 || view.GetUndoList().UndoCount() != 0)
            std::abort();
        return 0;
    }
    if (g_messages != 0 || board.m_unit > 2 || view.GetUndoList().UndoCount() != 1)
        std::abort();
    CheckOutline(board.m_outline);
    const std::wstring after = AreaOutlineToString(board.m_outline);
    CAreaNode* reread = ParseAreaOutline(after, nullptr);
    if (CountAreaNodes(reread) != CountAreaNodes(board.m_outline))
        std::abort();
    DeleteAreaOutline(reread);
    view.GetUndoList().Undo();
    if (AreaOutlineToString(board.m_outline) != before)
        std::abort();
    view.GetUndoList().Redo();
    if (AreaOutlineToString(board.m_outline) != after)
        std::abort();
    view.GetUndoList().Clear();
    return 0;
}
