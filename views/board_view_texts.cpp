// The text tools of the board editor: Place free text (a "?" on the current
// layer that follows the mouse until a click drops it) and Edit text (pick,
// drag, turn, change layer, delete free texts, hide package texts).
#include "views/board_view.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/board_undo_records.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_board.h"
#include "schematic/package.h"
#include "schematic/text.h"

namespace {

constexpr unsigned kCaption = 128;      // "Vorpel"
constexpr unsigned kNoLayer = 342;      // "No layer selected"
constexpr unsigned kInvalidLayer = 284; // "Invalid layer selected"
constexpr unsigned kLayerNameBase = 33000;
constexpr int kFirstNonTextLayer = 24; // assembly top: texts stay below it

void StopBox(unsigned id) {
    ShowMessageBox(LoadStringText(id), LoadStringText(kCaption), MB_OK | MB_ICONSTOP);
}

void Show(CProperty* object) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}

CFootprint* FootprintOf(const CText* text) {
    CPackage* package = text->GetHoldingPackage();
    return package ? package->GetFootprint() : nullptr;
}

} // namespace

std::vector<CText*> CBoardView::PackageTexts() const {
    std::vector<CText*> out;
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Package &&
                static_cast<CPackage*>(child)->GetFootprint())
                for (CTreeNode* c : child->GetChildren())
                    if (c->GetType() == NodeType::Text)
                        out.push_back(static_cast<CText*>(c));
    return out;
}

std::vector<CText*> CBoardView::FreeTexts() const {
    std::vector<CText*> out;
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Text)
                out.push_back(static_cast<CText*>(child));
    return out;
}

PointF CBoardView::TextPoint(const CText* text, PointF board) const {
    if (CFootprint* footprint = FootprintOf(text))
        return footprint->BoardToLocal(board.X, board.Y);
    return board;
}

RECT CBoardView::TextDamage(Graphics* g, CText* text) {
    RECT r{};
    m_damage = &r;
    text->InvalidateOnBoard(g);
    m_damage = nullptr;
    return r;
}

// --- Place free text --------------------------------------------------------------------

void CBoardView::StartFreeText() {
    const int front = GetFrontLayer();
    if (front < 0) {
        StopBox(kNoLayer);
        return;
    }
    if (front >= kFirstNonTextLayer) {
        StopBox(kInvalidLayer);
        return;
    }
    CBoard* board = GetBoard();
    if (!board)
        return;
    m_textUndoDepth = m_undoList.UndoCount();
    m_undoList.SetStartNewGroup(true);
    auto* text = new CText(L"?");
    text->m_visible = true;
    text->m_boardVisible = true;
    text->m_font = L"Tahoma";
    text->m_fontSize = 1.5f;
    text->m_rotation = 0;
    text->SetLayer(front);
    text->SetSelected(true);
    auto g = MakeGraphics();
    const POINT cursor = IsWindow() ? ScreenToClient(GetCursorPos()) : POINT{0, 0};
    text->m_boardPosition = ModelPoint(g.get(), cursor);
    board->AddChild(text);
    PushUndo(new CUndoInsert(text, nullptr));
    m_floatingText = text;
    text->InvalidateOnBoard(g.get());
    if (CPropertyGrid* grid = GetPropertyGrid()) {
        grid->ShowProperties(text);
        // The user types the text at once.
        grid->BeginEditRow(0);
    }
}

void CBoardView::RotateFloatingText(bool shift) {
    CText* text = m_floatingText;
    if (!text)
        return;
    auto g = MakeGraphics();
    text->InvalidateOnBoard(g.get());
    text->m_rotation = TurnByQuarter(text->m_rotation, shift ? -90.0f : 90.0f);
    text->InvalidateOnBoard(g.get());
    Show(text);
}

bool CBoardView::DropEmptyFloatingText() {
    ForgetDepartedNodes();
    CText* text = m_floatingText;
    if (!text)
        return false;
    // A value still being typed counts: a click or another tool takes it as
    // Enter would.
    CPropertyGrid* grid = GetPropertyGrid();
    if (grid && grid->GetShownObject() == text && grid->IsEditing())
        grid->GetList().CommitAll();
    ForgetDepartedNodes();
    if (m_floatingText != text || !text->GetText().empty())
        return false;
    // The panel lets go of the text first: the undo deletes it.
    if (grid && grid->GetShownObject() == text) {
        for (int row = 0; row < grid->GetRowCount(); ++row)
            grid->GetItem(row)->EndEdit(false);
        grid->ShowProperties(nullptr);
    }
    auto g = MakeGraphics();
    text->InvalidateOnBoard(g.get());
    m_floatingText = nullptr;
    while (m_undoList.UndoCount() > m_textUndoDepth)
        m_undoList.Undo(false);
    ForgetDepartedNodes();
    if (m_currentTool == ID_BRD_TEXT_PLACE_FREE) {
        m_currentTool = ID_BRD_TEXT_EDIT;
        SetToolCursor(m_currentTool);
    }
    InvalidateRect(nullptr, false);
    return true;
}

// --- Edit text ------------------------------------------------------------------------------

void CBoardView::TextPick(Graphics* g, uint32_t flags, PointF p) {
    m_undoList.SetStartNewGroup(true);
    std::vector<CText*> texts = PackageTexts();
    for (CText* text : FreeTexts())
        if (text->GetLayer() != -1)
            texts.push_back(text);
    for (CText* text : texts) {
        const PointF q = TextPoint(text, p);
        if (text->IsSelected() && text->m_boardVisible && text->HitTestOnBoard(g, q.X, q.Y)) {
            flags |= NodeFlags::KeepSelection;
            break;
        }
    }
    int selected = 0;
    for (CText* text : texts) {
        const int layer = text->GetLayer();
        if (layer < 0 || !IsLayerVisible(layer)) {
            if (text->IsSelected()) {
                text->SetSelected(false);
                text->InvalidateOnBoard(g);
            }
            continue;
        }
        const PointF q = TextPoint(text, p);
        text->MouseDownOnBoard(g, flags, q.X, q.Y);
        if (text->IsSelected()) {
            ++selected;
            Show(text);
            BringLayerToFront(layer);
            SyncLayerSelector();
        }
    }
    if (selected != 1)
        Show(nullptr);
    InvalidateRect(nullptr, false);
}

void CBoardView::TextDrag(Graphics* g, uint32_t flags, PointF p) {
    SetToolCursor(m_currentTool);
    if (m_floatingText) {
        CText* text = m_floatingText;
        RECT before = TextDamage(g, text);
        InvalidateRect(&before, false);
        text->m_boardPosition = p;
        text->InvalidateOnBoard(g);
        return;
    }
    const bool left = (flags & NodeFlags::LeftButton) != 0;
    const int front = GetFrontLayer();
    for (CText* text : PackageTexts()) {
        if (!text->IsSelected() || text->GetLayer() != front)
            continue;
        const PointF q = TextPoint(text, p);
        if (text->DragOnBoard(g, flags, q.X, q.Y) && left)
            Show(text);
    }
    for (CText* text : FreeTexts()) {
        if (!text->IsSelected())
            continue;
        if (text->DragOnBoard(g, flags, p.X, p.Y) && left)
            Show(text);
    }
}

void CBoardView::TextRelease(Graphics* g, uint32_t flags, PointF p) {
    for (CText* text : PackageTexts()) {
        const PointF q = TextPoint(text, p);
        text->MouseUpOnBoard(g, flags, q.X, q.Y);
    }
}

void CBoardView::TurnText(Graphics* g, CText* text, bool shift) {
    float delta = -90.0f;
    if (CFootprint* footprint = FootprintOf(text))
        delta = footprint->m_place == kPlaceBottom ? 90.0f : -90.0f;
    if (shift)
        delta = -delta;
    PushUndo(new CUndoChangeNodeAttribute(text, nullptr));
    text->InvalidateOnBoard(g);
    text->m_rotation = TurnByQuarter(text->m_rotation, delta);
    text->InvalidateOnBoard(g);
    Show(text);
}

bool CBoardView::TextKey(int vk) {
    if (vk != 'R')
        return false;
    m_undoList.SetStartNewGroup(true);
    auto g = MakeGraphics();
    const bool shift = IsKeyDown(VK_SHIFT);
    for (CText* text : PackageTexts())
        if (text->IsSelected())
            TurnText(g.get(), text, shift);
    for (CText* text : FreeTexts())
        if (text->IsSelected())
            TurnText(g.get(), text, shift);
    InvalidateRect(nullptr, false);
    return true;
}

void CBoardView::TextMenu(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    ShowBoardRows();
    m_undoList.SetStartNewGroup(true);
    std::vector<CText*> texts = PackageTexts();
    for (CText* text : FreeTexts())
        if (text->GetLayer() != -1)
            texts.push_back(text);
    CText* target = nullptr;
    for (CText* text : texts) {
        const int layer = text->GetLayer();
        // What the board does not show cannot be hit on it.
        const bool shown = text->m_boardVisible && layer >= 0 && IsLayerVisible(layer);
        const PointF q = TextPoint(text, p);
        const bool hit = shown && text->HitTestOnBoard(g, q.X, q.Y) != nullptr;
        if (hit != text->IsSelected()) {
            text->SetSelected(hit);
            InvalidateRect(nullptr, false);
        }
        if (hit)
            target = text;
    }
    if (!target)
        return;
    const bool packaged = target->GetHoldingPackage() != nullptr;
    std::shared_ptr<PopupMenu> menu =
        BuildPopupMenu((packaged ? BoardPackageTextMenu() : BoardFreeTextMenu()).items);
    if (!menu || menu->Items().empty() || !menu->Items().front().subMenu)
        return;
    PopupMenu& popup = *menu->Items().front().subMenu;
    if (!packaged) {
        auto layers = std::make_shared<PopupMenu>();
        if (CBoard* board = GetBoard())
            for (CTreeNode* child : board->GetChildren())
                if (child->GetType() == NodeType::Layer) {
                    const int id = static_cast<CLayer*>(child)->m_id;
                    if (id >= 0 && id < 22 && id != target->GetLayer())
                        layers->AppendItem(static_cast<UINT>(ID_BOARD_LAYER_FIRST + id),
                                           LoadStringText(kLayerNameBase + id));
                }
        for (int id : {22, 23})
            if (id != target->GetLayer())
                layers->AppendItem(static_cast<UINT>(ID_BOARD_LAYER_FIRST + id),
                                   LoadStringText(kLayerNameBase + static_cast<unsigned>(id)));
        for (PopupMenu::Item& item : popup.MutableItems())
            if (item.subMenu)
                item.subMenu = layers;
    }
    const POINT at = GetCursorPos();
    const int command = TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                       ClampXToWorkArea(at.x, at.y), at.y, this);
    if (command == ID_BRD_DELETE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(ID_BRD_DELETE), 0), 0);
    } else if (command == ID_BRD_ROTATE) {
        TurnText(g, target, IsKeyDown(VK_SHIFT));
    } else if (command >= ID_BOARD_LAYER_FIRST && command < ID_BOARD_LAYER_FIRST + 24) {
        const int id = command - ID_BOARD_LAYER_FIRST;
        target->InvalidateOnBoard(g);
        PushUndo(new CUndoChangeLayer(target, id, &LayerIndex()));
        target->SetLayer(id);
        target->SetSelected(false);
    } else {
        return;
    }
    InvalidateRect(nullptr, false);
    // The Hide command may have taken the text off the board.
    if (target->m_boardVisible)
        Show(target);
}

void CBoardView::DeleteTexts(Graphics* g) {
    CPropertyGrid* grid = GetPropertyGrid();
    for (CText* text : FreeTexts()) {
        if (!text->IsSelected() || text->GetLayer() == -1)
            continue;
        PushUndo(new CUndoDelete(text, nullptr));
        text->InvalidateOnBoard(g);
        text->RemoveFromParent();
        if (grid)
            grid->OnNodeRemoved(text);
    }
    for (CText* text : PackageTexts()) {
        if (!text->IsSelected() || !text->m_boardVisible)
            continue;
        text->InvalidateOnBoard(g);
        PushUndo(new CUndoChangeBoardVisible(text, false, &LayerIndex()));
        text->m_boardVisible = false;
        text->SetSelected(false);
    }
    InvalidateRect(nullptr, false);
}
