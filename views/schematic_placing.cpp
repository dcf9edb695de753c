// The part and text tools of the schematic editor: units of a package chosen
// in the symbol browser are placed one by one, each new package numbered and
// given a footprint on the board; a free text follows the cursor until a
// click puts it down.
#include "views/schematic_view.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/footprint.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "dialogs/sel_part.h"
#include "platform/device_context.h"
#include "platform/graphics_path.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/ref_des.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "shell/main_frame.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kSilkscreenTop = 22;
constexpr float kPlacementStep = 10.0f; // mm between footprint places

void ShowInPanel(CProperty* object) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}
} // namespace

// --- Designators and footprints ---------------------------------------------

void CSchematicView::NextRefDes(CPackage* package, const std::vector<CPackage*>* extra) const {
    CText* text = package->FindText(L"RefDes");
    if (!text)
        return;
    CRefDes mine(text->GetText());
    uint32_t highest = 0;
    auto consider = [&](const CPackage* other) {
        if (other == package)
            return;
        if (CText* t = other->FindText(L"RefDes")) {
            const CRefDes r(t->GetText());
            if (r.m_prefix == mine.m_prefix)
                highest = std::max(highest, r.m_number);
        }
    };
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Package)
                consider(static_cast<CPackage*>(child));
    if (extra)
        for (const CPackage* other : *extra)
            consider(other);
    mine.m_number = highest + 1;
    text->SetText(mine.ToString());
}

void CSchematicView::PlaceFootprintOnBoard(CFootprint* footprint,
                                           const std::vector<CPackage*>* extra) const {
    CBoard* board = GetBoard();
    if (!footprint || !board)
        return;
    // The places run along rows below the outline, as wide as the outline;
    // a board without an outline has one column at x = 0.
    float width = 0;
    if (board->m_outline) {
        RectF bounds;
        board->m_outline->GetOutlinePath()->GetBounds(&bounds);
        width = std::max(0.0f, std::floor(bounds.Width));
    }
    for (float y = -kPlacementStep;; y -= kPlacementStep) {
        for (float x = 0; x <= width; x += kPlacementStep) {
            if (!board->FindFootprintAt(x, y, extra)) {
                footprint->m_boardPosition = PointF{x, y};
                return;
            }
        }
    }
}

// --- Part tool ----------------------------------------------------------------------

void CSchematicView::StartPartTool() {
    std::unique_ptr<CPackage> package;
    int part = 0;
    const int answer = RunSelPart(g_MainFrame.GetDefaultFolder(kDocumentSymbolLibrary),
                                  g_MainFrame.GetProgramFolder(), this, &package, &part);
    if (answer != IDOK || !package || package->GetPartCount() == 0) {
        g_MainFrame.UISetCheck(m_currentTool, false);
        m_currentTool = ID_TOOL_SELECT;
        SetClassCursor(CursorShape::Arrow);
        UpdateToolButtons();
        return;
    }
    m_libraryPackage = std::move(package);
    m_libraryPart = std::clamp(part, 0, m_libraryPackage->GetPartCount() - 1);
    g_pActiveView = this;
    std::unique_ptr<DeviceContext> dc = MakeDC();
    m_floatingIndex = m_libraryPart;
    FloatNewPackage(dc.get(), ToGridUnits(ClientToLogical(dc.get(), m_lastCursor)));
}

void CSchematicView::FloatNewPackage(DeviceContext* dc, POINT q) {
    CBoard* board = GetBoard();
    if (!board || !m_libraryPackage)
        return;
    auto* clone = static_cast<CPackage*>(m_libraryPackage->Clone());
    for (CTreeNode* child : clone->GetChildren())
        if (child->GetType() == NodeType::Text)
            child->SetLayer(kSilkscreenTop);
    CPart* part = clone->GetPart(m_floatingIndex);
    if (!part) {
        delete clone;
        return;
    }
    for (CTreeNode* child : clone->GetChildren()) {
        if (child->GetType() != NodeType::Part)
            continue;
        auto* other = static_cast<CPart*>(child);
        other->m_pSheet = nullptr;
        other->m_selected = 0;
        other->SyncPinSelection();
    }
    part->m_position = q;
    part->m_selected = 1;
    part->SyncPinSelection();
    NextRefDes(clone, nullptr);
    if (CFootprint* footprint = clone->BindFootprint(clone->GetFootprint())) {
        // A footprint that lies on the bottom carries its legend there.
        clone->PutTextsOnSide(footprint->m_place, nullptr, false);
        PlaceFootprintOnBoard(footprint, nullptr);
    }
    GetUndoList().SetStartNewGroup(true);
    board->AddChild(clone);
    PushUndo(new CUndoInsert(clone, nullptr));
    PushUndo(new CUndoChangeNodeAttribute(part, nullptr));
    m_sheet->AddObject(part);
    m_floatingPackage = clone;
    m_floatingPart = part;
    ShowInPanel(clone);
    clone->InvalidateOnSheet(dc);
    if (GetParent())
        GetParent()->SetFocus();
}

void CSchematicView::PartMove(DeviceContext* dc, POINT q) {
    if (!m_floatingPart || SamePoint(m_floatingPart->m_position, q))
        return;
    m_floatingPart->InvalidateOnSheet(dc);
    m_floatingPart->m_position = q;
    m_floatingPart->InvalidateOnSheet(dc);
}

void CSchematicView::PartClick(DeviceContext* dc, POINT q) {
    CBoard* board = GetBoard();
    if (!m_floatingPart || !m_floatingPackage || !board)
        return;
    CPart* part = m_floatingPart;
    CPackage* package = m_floatingPackage;
    part->m_selected = 0;
    part->SyncPinSelection();
    for (CTreeNode* child : std::vector<CTreeNode*>(part->GetChildren()))
        if (child->GetType() == NodeType::Pin)
            static_cast<CPin*>(child)->Connect(dc);
    for (CTreeNode* child : std::vector<CTreeNode*>(package->GetChildren())) {
        if (child->GetType() != NodeType::Pin)
            continue;
        auto* pin = static_cast<CPin*>(child);
        if (!pin->m_pNet)
            pin->AddToNet(dc, board->FindOrAddNet(pin->m_fixedNetName));
    }
    part->InvalidateOnSheet(dc);
    ++m_floatingIndex;
    GetUndoList().SetStartNewGroup(true);
    CPart* next = m_floatingIndex < static_cast<int>(package->m_partsPerPackage)
                      ? package->GetPart(m_floatingIndex)
                      : nullptr;
    if (next) {
        PushUndo(new CUndoChangeNodeAttribute(next, nullptr));
        next->m_position = q;
        m_sheet->AddObject(next);
        next->m_selected = 1;
        next->SyncPinSelection();
        m_floatingPart = next;
        ShowInPanel(package);
        next->InvalidateOnSheet(dc);
        return;
    }
    if (CFootprint* footprint = package->GetFootprint())
        footprint->m_selected = 0;
    m_floatingPart = nullptr;
    m_floatingPackage = nullptr;
    m_floatingIndex = 0;
    FloatNewPackage(dc, q);
}

void CSchematicView::AbandonPart(DeviceContext* dc) {
    if (m_floatingPart) {
        // The panel lets go of the floating unit and its package first,
        // without taking a value still being typed: the editor would hand
        // it to a deleted package once the undo moves the focus.
        if (CPropertyGrid* grid = GetPropertyGrid()) {
            for (auto* n = dynamic_cast<const CTreeNode*>(grid->GetShownObject()); n;
                 n = n->GetParent()) {
                if (n != m_floatingPart && n != m_floatingPackage)
                    continue;
                for (int row = 0; row < grid->GetRowCount(); ++row)
                    grid->GetItem(row)->EndEdit(false);
                grid->ShowProperties(nullptr);
                break;
            }
        }
        m_floatingPart->InvalidateOnSheet(dc);
        // The last group made the unit float (a new package, or a further
        // unit taken onto the sheet): undone, nothing of it is left.
        GetUndoList().Undo(false);
        InvalidateRect(nullptr, true);
    }
    m_floatingPart = nullptr;
    m_floatingPackage = nullptr;
    m_floatingIndex = 0;
    m_libraryPackage.reset();
}

// --- Text tool ----------------------------------------------------------------------

void CSchematicView::StartTextTool() {
    CBoard* board = GetBoard();
    if (!board || !m_sheet)
        return;
    g_pActiveView = this;
    std::unique_ptr<DeviceContext> dc = MakeDC();
    auto* text = new CText(L"");
    text->m_visible = true;
    text->m_boardVisible = true;
    text->m_name.clear();
    text->m_font = L"Tahoma";
    text->m_fontSize = 1.5f;
    text->m_rotation = 0;
    text->m_pSheet = m_sheet;
    text->m_position = ToTenths(ClientToLogical(dc.get(), m_lastCursor));
    text->m_selected = 1;
    board->AddChild(text);
    // Esc takes everything since this depth back, the value typed into the
    // panel included, and nothing before it.
    m_textUndoDepth = GetUndoList().UndoCount();
    GetUndoList().SetStartNewGroup(true);
    PushUndo(new CUndoInsert(text, nullptr));
    m_floatingText = text;
    if (CPropertyGrid* grid = GetPropertyGrid()) {
        grid->ShowProperties(text);
        if (grid->GetRowCount() > 0)
            grid->BeginEditRow(0);
    }
    text->InvalidateOnSheet(dc.get());
}

void CSchematicView::TextMove(DeviceContext* dc, POINT q10) {
    if (!m_floatingText || SamePoint(m_floatingText->m_position, q10))
        return;
    m_floatingText->InvalidateOnSheet(dc);
    m_floatingText->m_position = q10;
    m_floatingText->InvalidateOnSheet(dc);
}

void CSchematicView::PlaceText(DeviceContext* dc) {
    CText* text = m_floatingText;
    if (!text)
        return;
    // A value still being typed into the panel counts: a click elsewhere
    // takes it as Enter would.
    if (CPropertyGrid* grid = GetPropertyGrid();
        grid && grid->GetShownObject() == text && grid->IsEditing())
        grid->GetList().CommitAll();
    // An empty text could never be seen or picked again: it goes as Esc
    // takes it.
    const bool empty = text->GetText().empty();
    if (empty)
        AbandonText(dc);
    m_floatingText = nullptr;
    ShowViewProperties();
    g_MainFrame.UISetCheck(m_currentTool, false);
    m_currentTool = ID_TOOL_SELECT;
    SetClassCursor(CursorShape::Arrow);
    UpdateToolButtons();
    if (empty)
        return;
    // The text and the values it got while it floated are one action: no
    // undo leaves it empty.
    GetUndoList().JoinGroupsFrom(m_textUndoDepth);
    text->m_selected = 0;
    text->InvalidateOnSheet(dc);
}

void CSchematicView::AbandonText(DeviceContext* dc) {
    if (!m_floatingText)
        return;
    // The panel lets go of the text first, without taking a value still
    // being typed: the editor would hand it to a deleted text once the
    // undo moves the focus.
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject() == m_floatingText) {
        for (int row = 0; row < grid->GetRowCount(); ++row)
            grid->GetItem(row)->EndEdit(false);
        grid->ShowProperties(nullptr);
    }
    m_floatingText->InvalidateOnSheet(dc);
    m_floatingText = nullptr;
    CUndoList& undo = GetUndoList();
    while (undo.UndoCount() > m_textUndoDepth)
        undo.Undo(false);
    InvalidateRect(nullptr, true);
}
