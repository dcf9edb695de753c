// The pad tools of the footprint editor: Select Padstack (pick, drag, rubber
// band, context menu), Place padstack with its floating pad, the padstack
// sheet, the transforms that move a pad to a mirrored or turned padstack,
// copy and cut of a pad.
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_walk.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "dialogs/padstack_sheet.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "resources/command_ids.h"
#include "resources/menus_footprint.h"
#include "shell/main_frame.h"
#include "views/footprint_view.h"
#include "views/pad_numbering.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned kNoPadstackId = 340; // "No selected padstack available"

// A copy of a padstack for the footprint: its own placements are not
// placements in the footprint.
CPadstack* CloneWithoutPads(const CPadstack* padstack) {
    auto* copy = static_cast<CPadstack*>(padstack->Clone());
    for (CTreeNode* child : copy->ReleaseChildren()) {
        if (child->GetType() == NodeType::Pad)
            delete child;
        else
            copy->AddChild(child);
    }
    return copy;
}

RectF Normalized(const RectF& r) {
    return RectF{std::min(r.X, r.X + r.Width), std::min(r.Y, r.Y + r.Height), std::fabs(r.Width),
                 std::fabs(r.Height)};
}

RectF UnionOf(const RectF& a, const RectF& b) {
    const float left = std::min(a.X, b.X), top = std::min(a.Y, b.Y);
    const float right = std::max(a.X + a.Width, b.X + b.Width);
    const float bottom = std::max(a.Y + a.Height, b.Y + b.Height);
    return RectF{left, top, right - left, bottom - top};
}

} // namespace

// --- Getting a padstack into the footprint -------------------------------------------------

bool CFootprintView::IsPadInFootprint(const CTreeNode* pad) const {
    if (!pad)
        return false;
    for (const CTreeNode* child : GetFootprint()->GetChildren())
        if (child->GetType() == NodeType::Padstack) {
            const auto& pads = child->GetChildren();
            if (std::find(pads.begin(), pads.end(), pad) != pads.end())
                return true;
        }
    return false;
}

void CFootprintView::AddPadstackPad(const CPadstack* padstack) {
    if (!padstack)
        return;
    m_undoList.SetStartNewGroup(true);
    CFootprint* footprint = GetFootprint();
    CPadstack* target = footprint->FindIdenticalPadstack(padstack);
    if (!target) {
        target = CloneWithoutPads(padstack);
        footprint->AddChild(target);
        m_undoList.AddUndo(new CUndoInsert(target, nullptr));
    }
    auto* pad = new CPad();
    // Numbered on the grid point the first move puts it on (off the grid
    // it would have no row or column), then left where the pointer was last
    // seen until that move.
    const PointF seen = g_MainFrame.m_statusBar.GetPosition();
    pad->m_boardPosition = SnapToGrid(seen);
    pad->m_selected = 1;
    m_pFloatingPad = pad;
    AssignNextPadNumber(footprint, pad);
    pad->m_boardPosition = seen;
    target->AddChild(pad);
    m_undoList.AddUndo(new CUndoInsert(pad, nullptr));
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(pad);
}

int CFootprintView::ShowPadstackSheet(int command, std::unique_ptr<CPadstack> padstack) {
    m_sheet->SetObject(std::move(padstack));
    const std::wstring folder = g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary);
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'/')
        path += L'/';
    path += L"Base.footprint";
    const int page =
        command == ID_FP_PADSTACK_CREATE ? CPadstackSheet::kCreatePage : CPadstackSheet::kLoadPage;
    // The sheet takes the mouse.
    if (GetCapture() == this)
        ReleaseCapture();
    return m_sheet->Run(this, page, path, folder, GetUnit());
}

void CFootprintView::StartPlacePadstack() {
    if (!m_sheet->GetPadstack()) {
        const int result = ShowPadstackSheet(ID_FP_PADSTACK_FROM_LIBRARY, nullptr);
        if (result == CPadstackSheet::kResultCancel) {
            SwitchTool(ID_FP_SELECT_PADSTACK);
            return;
        }
        if (!m_sheet->GetPadstack()) {
            StopMessage(kNoPadstackId);
            SwitchTool(ID_FP_SELECT_PADSTACK);
            FocusParent();
            return;
        }
    }
    AddPadstackPad(m_sheet->GetPadstack());
}

void CFootprintView::OnPadstackCommand(int command) {
    g_MainFrame.UISetCheck(m_currentTool, false);
    SetTool();
    m_currentTool = ID_FP_PLACE_PADSTACK;
    g_MainFrame.UISetCheck(m_currentTool, true);
    const int result = ShowPadstackSheet(command, nullptr);
    if (result != CPadstackSheet::kResultCancel && m_sheet->GetPadstack())
        AddPadstackPad(m_sheet->GetPadstack());
    else
        SwitchTool(ID_FP_SELECT_PADSTACK);
    InvalidateRect(nullptr, false);
}

void CFootprintView::EndPlacePadstack() {
    if (!m_pFloatingPad)
        return;
    // The panel lets go of the pads that are about to be deleted.
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(nullptr);
    // Everything recorded since the floating pad came (its insertion, its
    // transforms, edits of its rows) goes, up to and with its insertion.
    while (m_pFloatingPad && IsPadInFootprint(m_pFloatingPad) && m_undoList.CanUndo())
        m_undoList.Undo(false);
    m_pFloatingPad = nullptr;
}

// --- Place padstack ------------------------------------------------------------------------

void CFootprintView::MoveFloatingPad(Graphics* g, PointF p) {
    CPad* pad = GetFloatingPad();
    // Compared snapped: a pad that starts off the grid, where the pointer
    // was, goes onto it with the first move even to the same point.
    const PointF snapped = SnapToGrid(p);
    if (!pad || pad->m_boardPosition == snapped)
        return;
    pad->InvalidateOnBoard(g);
    pad->m_boardPosition = snapped;
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject() == pad)
        grid->RefreshProperties();
    pad->InvalidateOnBoard(g);
}

void CFootprintView::DropFloatingPad(Graphics* g) {
    CPad* pad = GetFloatingPad();
    if (!pad || !IsPadInFootprint(pad))
        return;
    pad->InvalidateOnBoard(g);
    auto* clone = static_cast<CPad*>(pad->Clone());
    pad->GetParent()->AddChild(clone);
    pad->m_selected = 0;
    clone->m_selected = 1;
    m_pFloatingPad = clone;
    // Numbered where the pad just left lies, which now counts as placed.
    AssignNextPadNumber(GetFootprint(), clone);
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(new CUndoInsert(clone, nullptr));
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(clone);
}

void CFootprintView::FloatingPadMenu(POINT client) {
    if (const int command = TrackMenu(IDR_MENU_TRANSFORM, client, {}))
        OnTransformCommand(command);
}

void CFootprintView::TransformFloatingPad(int command) {
    if (!m_pFloatingPad || !IsPadInFootprint(m_pFloatingPad))
        return;
    auto* old = static_cast<CPadstack*>(m_pFloatingPad->GetParent());
    TransformPad(&m_pFloatingPad, command);
    m_pFloatingPad->m_selected = 1;
    if (old->GetPadCount() == 0) {
        m_undoList.AddUndo(new CUndoDelete(old, nullptr));
        old->RemoveFromParent();
    }
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(m_pFloatingPad);
}

// --- Transforms ----------------------------------------------------------------------------

void CFootprintView::TransformPad(CTreeNode** holder, int command) {
    auto* pad = static_cast<CPad*>(*holder);
    CPadstack* padstack = pad ? pad->GetPadstack() : nullptr;
    if (!padstack)
        return;
    CFootprint* footprint = GetFootprint();
    CPadstack* transformed = CloneWithoutPads(padstack);
    if (command == ID_FP_TRANSFORM_MIRROR_V)
        transformed->MirrorVertically();
    else if (command == ID_FP_TRANSFORM_MIRROR_H)
        transformed->MirrorHorizontally();
    else
        transformed->Rotate90(IsKeyDown(VK_SHIFT));
    m_undoList.AddUndo(new CUndoDelete(pad, nullptr));
    pad->RemoveFromParent();
    // Only the view's own field may be restored by undo: any other holder is
    // a variable of the caller that is gone by then.
    if (holder == &m_pFloatingPad)
        m_undoList.AddUndo(new CUndoChangePointer(holder));
    auto* moved = static_cast<CPad*>(pad->Clone());
    *holder = moved;
    moved->m_selected = -1;
    CPadstack* target = footprint->FindIdenticalPadstack(transformed);
    if (!target) {
        footprint->AddChild(transformed);
        m_undoList.AddUndo(new CUndoInsert(transformed, nullptr));
        target = transformed;
    } else {
        delete transformed;
    }
    target->AddChild(moved);
    m_undoList.AddUndo(new CUndoInsert(moved, nullptr));
}

void CFootprintView::TransformSelectedPads(int command) {
    CFootprint* footprint = GetFootprint();
    for (size_t i = 0; i < footprint->GetChildren().size();) {
        CTreeNode* child = footprint->GetChildren()[i];
        if (child->GetType() != NodeType::Padstack) {
            ++i;
            continue;
        }
        auto* padstack = static_cast<CPadstack*>(child);
        for (size_t j = 0; j < padstack->GetChildren().size();) {
            CTreeNode* pad = padstack->GetChildren()[j];
            if (pad->GetType() == NodeType::Pad && pad->m_selected == 1) {
                CTreeNode* holder = pad;
                TransformPad(&holder, command);
                continue; // the pad left this place
            }
            ++j;
        }
        if (padstack->GetPadCount() == 0) {
            m_undoList.AddUndo(new CUndoDelete(padstack, nullptr));
            padstack->RemoveFromParent();
            continue;
        }
        ++i;
    }
    ForEachPadIn(footprint, [](CPad* pad) {
        if (pad->m_selected == -1)
            pad->m_selected = 1;
    });
    ForgetDetachedInPanel();
}

// --- Select Padstack -----------------------------------------------------------------------

void CFootprintView::DeselectPads(Graphics* g) {
    ForEachPadIn(GetFootprint(), [g](CPad* pad) {
        if (pad->m_selected) {
            pad->m_selected = 0;
            pad->InvalidateOnBoard(g);
        }
    });
}

void CFootprintView::SelectPadstackClick(Graphics* g, uint32_t keys, PointF p) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
    m_undoList.SetStartNewGroup(true);
    uint32_t flags = keys | NodeFlags::FootprintView;
    CFootprint* footprint = GetFootprint();
    ForEachPadIn(footprint, [&](CPad* pad) {
        if (pad->m_selected && pad->HitTestOnBoard(g, p.X, p.Y))
            flags |= NodeFlags::KeepSelection;
    });
    ForEachPadIn(footprint, [&](CPad* pad) { pad->MouseDownOnBoard(g, flags, p.X, p.Y); });
    bool anySelected = false;
    ForEachPadIn(footprint, [&](CPad* pad) { anySelected = anySelected || pad->m_selected; });
    if (!anySelected)
        m_rubberBand = std::make_unique<RectF>(RectF{p.X, p.Y, 0, 0});
}

void CFootprintView::SelectPadstackMove(Graphics* g, uint32_t keys, PointF p) {
    CFootprint* footprint = GetFootprint();
    if (!m_rubberBand) {
        for (CTreeNode* child : footprint->GetChildren())
            if (child->GetType() == NodeType::Padstack)
                child->DragOnBoard(g, keys, p.X, p.Y);
        return;
    }
    RectF& band = *m_rubberBand;
    const float w = p.X - band.X, h = p.Y - band.Y;
    if (w == band.Width && h == band.Height)
        return;
    const RectF before = Normalized(band);
    band.Width = w;
    band.Height = h;
    const RectF now = Normalized(band);
    float marginX = 1.0f, marginY = 1.0f;
    ForEachPadIn(footprint, [&](CPad* pad) {
        const PointF at = pad->m_boardPosition;
        const bool inside =
            now.X < at.X && at.X < now.X + now.Width && now.Y < at.Y && at.Y < now.Y + now.Height;
        if (inside == (pad->m_selected != 0))
            return;
        pad->m_selected = inside ? 1 : 0;
        RectF bounds;
        if (pad->GetBoundsOnBoard(g, bounds)) {
            marginX = std::max(marginX, bounds.Width);
            marginY = std::max(marginY, bounds.Height);
        }
    });
    RectF area = UnionOf(before, now);
    area = RectF{area.X - marginX, area.Y - marginY, area.Width + 2 * marginX,
                 area.Height + 2 * marginY};
    const RECT device = WorldRectToDeviceRect(g, area.X, area.Y, area.Width, area.Height);
    InvalidateRect(&device, false);
}

void CFootprintView::SelectPadstackRelease(Graphics* g, uint32_t keys, PointF p) {
    if (m_rubberBand) {
        const RectF band = Normalized(*m_rubberBand);
        const RECT device =
            WorldRectToDeviceRect(g, band.X - 1, band.Y - 1, band.Width + 2, band.Height + 2);
        InvalidateRect(&device, false);
        m_rubberBand.reset();
        return;
    }
    for (CTreeNode* child : GetFootprint()->GetChildren())
        if (child->GetType() == NodeType::Padstack)
            child->MouseUpOnBoard(g, keys, p.X, p.Y);
}

void CFootprintView::SelectPadstackContextMenu(Graphics* g, uint32_t keys, PointF p, POINT client) {
    CFootprint* footprint = GetFootprint();
    CTreeNode* hit = nullptr;
    int selected = 0;
    const CTreeNode* firstPadstack = nullptr;
    bool onePadstack = true;
    for (CTreeNode* child : footprint->GetChildren()) {
        if (child->GetType() != NodeType::Padstack) {
            child->RightClickOnBoard(g, keys, p.X, p.Y);
            if (child->IsSelected())
                hit = child;
            continue;
        }
        for (CTreeNode* pad : child->GetChildren()) {
            if (pad->GetType() != NodeType::Pad)
                continue;
            if (pad->HitTestOnBoard(g, p.X, p.Y)) {
                pad->m_selected = 1;
                hit = pad;
            }
            if (!pad->m_selected)
                continue;
            ++selected;
            if (!firstPadstack)
                firstPadstack = child;
            else if (firstPadstack != child)
                onePadstack = false;
        }
    }
    InvalidateRect(nullptr, false);
    if (!hit)
        return;
    std::vector<unsigned> grayed;
    if (selected > 1) {
        grayed.push_back(ID_EDIT_COPY);
        if (!onePadstack)
            grayed.push_back(ID_FP_SELECT_ALL_SUCH_PADS);
    }
    const int command = TrackMenu(IDR_MENU_FOOTPRINT_PADS, client, grayed);
    m_undoList.SetStartNewGroup(true);
    const bool hitPad = hit->GetType() == NodeType::Pad;
    switch (command) {
    case ID_FP_SELECT_ALL_SUCH_PADS:
        if (hitPad)
            for (CTreeNode* pad : hit->GetParent()->GetChildren())
                if (pad->GetType() == NodeType::Pad)
                    pad->m_selected = 1;
        break;
    case ID_FP_TRANSFORM_MIRROR_V:
    case ID_FP_TRANSFORM_MIRROR_H:
    case ID_FP_TRANSFORM_ROTATE:
        TransformSelectedPads(command);
        break;
    case ID_EDIT_COPY: {
        if (!hitPad)
            break;
        g_MainFrame.UISetCheck(m_currentTool, false);
        SetTool();
        m_currentTool = ID_FP_PLACE_PADSTACK;
        g_MainFrame.UISetCheck(m_currentTool, true);
        auto* clone = static_cast<CPad*>(hit->Clone());
        clone->m_selected = 1;
        clone->m_boardPosition = hit->m_boardPosition;
        m_pFloatingPad = clone;
        AssignNextPadNumber(footprint, clone);
        m_undoList.SetStartNewGroup(true);
        hit->GetParent()->AddChild(clone);
        m_undoList.AddUndo(new CUndoInsert(clone, nullptr));
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->ShowProperties(clone);
        break;
    }
    case ID_FP_EDIT_PADSTACK:
        EditSelectedPads();
        break;
    default:
        break;
    }
    InvalidateRect(nullptr, false);
}

void CFootprintView::EditSelectedPads() {
    CFootprint* footprint = GetFootprint();
    const CPadstack* only = nullptr;
    bool several = false;
    for (CTreeNode* child : footprint->GetChildren()) {
        if (child->GetType() != NodeType::Padstack)
            continue;
        for (CTreeNode* pad : child->GetChildren())
            if (pad->GetType() == NodeType::Pad && pad->m_selected) {
                if (!only)
                    only = static_cast<CPadstack*>(child);
                else if (only != child)
                    several = true;
            }
    }
    std::unique_ptr<CPadstack> edited;
    if (only && !several)
        edited.reset(CloneWithoutPads(only));
    const int result = ShowPadstackSheet(ID_FP_PADSTACK_CREATE, std::move(edited));
    CPadstack* chosen = m_sheet->GetPadstack();
    if (result == CPadstackSheet::kResultCancel || !chosen)
        return;
    m_undoList.SetStartNewGroup(true);
    CPadstack* target = footprint->FindIdenticalPadstack(chosen);
    if (!target) {
        target = CloneWithoutPads(chosen);
        footprint->AddChild(target);
        m_undoList.AddUndo(new CUndoInsert(target, nullptr));
    }
    const std::vector<CTreeNode*> padstacks = footprint->GetChildren();
    for (CTreeNode* child : padstacks) {
        if (child->GetType() != NodeType::Padstack)
            continue;
        const std::vector<CTreeNode*> pads = child->GetChildren();
        for (CTreeNode* pad : pads) {
            if (pad->GetType() != NodeType::Pad || !pad->m_selected)
                continue;
            pad->m_selected = 0;
            m_undoList.AddUndo(new CUndoDelete(pad, nullptr));
            pad->RemoveFromParent();
            CTreeNode* moved = pad->Clone();
            target->AddChild(moved);
            m_undoList.AddUndo(new CUndoInsert(moved, nullptr));
        }
        if (child != target && static_cast<CPadstack*>(child)->GetPadCount() == 0) {
            m_undoList.AddUndo(new CUndoDelete(child, nullptr));
            child->RemoveFromParent();
        }
    }
    ForgetDetachedInPanel();
}

// --- Copy and cut of a pad ---------------------------------------------------------------

void CFootprintView::CopyOrCutPad(bool cut) {
    CPad* copied = nullptr;
    int count = 0;
    ForEachPadIn(GetFootprint(), [&](CPad* pad) {
        if (pad->m_selected && pad != m_pFloatingPad) {
            copied = pad;
            ++count;
        }
    });
    if (count != 1)
        return;
    g_MainFrame.UISetCheck(m_currentTool, false);
    SetTool();
    m_currentTool = ID_FP_PLACE_PADSTACK;
    g_MainFrame.UISetCheck(m_currentTool, true);
    auto* clone = static_cast<CPad*>(copied->Clone());
    clone->m_selected = 1;
    // Numbered while it still lies on the pad it copies.
    AssignNextPadNumber(GetFootprint(), clone);
    clone->m_boardPosition = g_MainFrame.m_statusBar.GetPosition();
    m_undoList.SetStartNewGroup(true);
    copied->GetParent()->AddChild(clone);
    m_undoList.AddUndo(new CUndoInsert(clone, nullptr));
    m_pFloatingPad = clone;
    if (cut) {
        m_undoList.AddUndo(new CUndoDelete(copied, nullptr));
        copied->RemoveFromParent();
    }
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(clone);
    InvalidateRect(nullptr, false);
}
