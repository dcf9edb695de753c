// The component tools of the board editor: Move component (select, drag
// with the attached track ends following, rotate, flip, the component menu,
// Save Footprint) and Place free component (a footprint of one padstack
// that follows the mouse and leaves a copy at every click).
#include "views/board_view.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/mounting.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/pad_walk.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/root.h"
#include "core/undo_node_records.h"
#include "core/xml_file.h"
#include "dialogs/padstack_sheet.h"
#include "platform/file_dialog.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_board.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/text.h"
#include "shell/main_frame.h"
#include "views/footprint_action_cache.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

constexpr unsigned kCaption = 128;          // "Vorpel"
constexpr unsigned kComponentIsFixed = 280; // "Component is fixed"
constexpr unsigned kSaveError = 301;        // "File save error "

constexpr unsigned kSelectPadstack = 217; // "Select padstack"

// The padstack sheet over the main window, its Load page browsing the
// footprint library folder; a copy of the padstack chosen or made, or null.
CPadstack* RunPadstackSheet(CBoard*, int unit) {
    const std::wstring folder = g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary);
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'/')
        path += L'/';
    path += L"Base.footprint";
    CPadstackSheet sheet(LoadStringText(kSelectPadstack));
    if (sheet.Run(&g_MainFrame, CPadstackSheet::kLoadPage, path, folder, unit) !=
            CPadstackSheet::kResultOk ||
        !sheet.GetPadstack())
        return nullptr;
    return static_cast<CPadstack*>(sheet.GetPadstack()->Clone());
}

FreeComponentPadstackSource& PadstackSource() {
    static FreeComponentPadstackSource source = RunPadstackSheet;
    return source;
}

void RefuseFixed() {
    ShowMessageBox(LoadStringText(kComponentIsFixed), LoadStringText(kCaption),
                   MB_OK | MB_ICONSTOP);
}

void Show(CProperty* object) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}

std::vector<CConductor*> ConductorsOf(CNet* net) {
    std::vector<CConductor*> out;
    for (CTreeNode* child : net->GetChildren())
        if (child->GetType() == NodeType::Conductor)
            out.push_back(static_cast<CConductor*>(child));
    return out;
}

RECT Union(const RECT& a, const RECT& b) {
    if (a.right <= a.left || a.bottom <= a.top)
        return b;
    if (b.right <= b.left || b.bottom <= b.top)
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool IsPackageFootprint(const CFootprint* footprint) {
    const CTreeNode* parent = footprint->GetParent();
    return parent && parent->GetType() == NodeType::Package;
}

// A footprint copy on the top side: what sat on a bottom-side layer moves
// to its top twin. Nothing is recorded: the copy belongs to no document.
void PutCopyOnTop(CFootprint* copy) {
    if (copy->m_place != kPlaceBottom)
        return;
    auto flip = [](CTreeNode* node) {
        const int layer = node->GetLayer();
        if (layer == 0 || layer == 1 || (layer >= 22 && layer <= 31))
            node->SetLayer(layer ^ 1);
    };
    for (CTreeNode* child : copy->GetChildren()) {
        if (child->GetType() == NodeType::Marking) {
            flip(child);
        } else if (child->GetType() == NodeType::Padstack) {
            for (CTreeNode* part : child->GetChildren()) {
                if (part->GetType() == NodeType::Marking) {
                    flip(part);
                } else if (part->GetType() == NodeType::PadLayer) {
                    auto* padLayer = static_cast<CPadLayer*>(part);
                    if (padLayer->m_layer == 0 || padLayer->m_layer == 1 ||
                        (padLayer->m_layer >= 22 && padLayer->m_layer <= 31))
                        padLayer->m_layer ^= 1;
                }
            }
        }
    }
    copy->m_place = kPlaceTop;
}

} // namespace

FreeComponentPadstackSource SetFreeComponentPadstackSource(FreeComponentPadstackSource source) {
    FreeComponentPadstackSource before = std::move(PadstackSource());
    PadstackSource() = source ? std::move(source) : FreeComponentPadstackSource(RunPadstackSheet);
    return before;
}

float TurnByQuarter(float rotation, float delta) {
    double r = static_cast<double>(rotation) + delta;
    double q = r / 90.0;
    q = q >= 0 ? std::floor(q + 0.5) : std::ceil(q - 0.5);
    r = q * 90.0;
    while (r > 180.0)
        r -= 360.0;
    while (r <= -180.0)
        r += 360.0;
    return static_cast<float>(r);
}

// --- Footprints of the board ------------------------------------------------------

std::vector<CFootprint*> CBoardView::PackageFootprints() const {
    std::vector<CFootprint*> out;
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Package)
                if (CFootprint* footprint = static_cast<CPackage*>(child)->GetFootprint())
                    out.push_back(footprint);
    return out;
}

std::vector<CFootprint*> CBoardView::MountingFootprints() const {
    std::vector<CFootprint*> out;
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Mounting)
                for (CTreeNode* c : child->GetChildren())
                    if (c->GetType() == NodeType::Footprint)
                        out.push_back(static_cast<CFootprint*>(c));
    return out;
}

std::vector<CFootprint*> CBoardView::AllFootprints() const {
    std::vector<CFootprint*> out;
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren()) {
            if (child->GetType() == NodeType::Package) {
                if (CFootprint* footprint = static_cast<CPackage*>(child)->GetFootprint())
                    out.push_back(footprint);
            } else if (child->GetType() == NodeType::Mounting) {
                for (CTreeNode* c : child->GetChildren())
                    if (c->GetType() == NodeType::Footprint)
                        out.push_back(static_cast<CFootprint*>(c));
            }
        }
    return out;
}

bool CBoardView::FootprintExtent(Graphics* g, CFootprint* footprint, RectF& placed) {
    RectF local{0, 0, 0, 0};
    bool any = false;
    auto add = [&](const RectF& r) {
        local = any ? UniteRects(local, r) : r;
        any = true;
    };
    ForEachPadIn(footprint, [&](CPad* pad) {
        RectF r{0, 0, 0, 0};
        if (pad->GetBoundsOnBoard(g, r))
            add(r);
    });
    for (CTreeNode* child : footprint->GetChildren())
        if (child->GetType() == NodeType::Marking) {
            RectF r{0, 0, 0, 0};
            if (child->GetBoundsOnBoard(g, r))
                add(r);
        }
    if (!any)
        return false;
    placed = footprint->PlacedBox(local);
    return true;
}

RectF CBoardView::FootprintBox(Graphics* g, CFootprint* footprint) {
    RectF placed;
    if (!FootprintExtent(g, footprint, placed))
        return RectF{};
    // Pad numbers are drawn 2.5 points high whatever the zoom, and may stand
    // out of small pads.
    const float margin = 0.5f + static_cast<float>(3 * 2.5 * 25.4 / 72 / GetZoomScale());
    placed.X -= margin;
    placed.Y -= margin;
    placed.Width += 2 * margin;
    placed.Height += 2 * margin;
    return placed;
}

RECT CBoardView::FootprintDamage(Graphics* g, CFootprint* footprint) {
    const RectF placed = FootprintBox(g, footprint);
    if (placed.Width <= 0 || placed.Height <= 0)
        return RECT{};
    RECT r = WorldRectToDeviceRect(g, placed.X, placed.Y, placed.Width, placed.Height);
    // Anti-aliased edges and the selection outline reach a little further.
    r.left -= 2;
    r.top -= 2;
    r.right += 2;
    r.bottom += 2;
    return r;
}

// --- Following, detaching ---------------------------------------------------------------

void CBoardView::FollowFootprint(Graphics* g, CFootprint* footprint) {
    FootprintActionCache* cache = FootprintActionCache::Active();
    ForEachPadIn(footprint, [&](CPad* pad) {
        CNet* net = pad->GetNet();
        if (!net)
            return;
        const PointF target = pad->GetBoardPosition();
        for (CConductor* conductor : cache ? cache->TiedTo(net, pad) : ConductorsOf(net)) {
            bool moved = false;
            for (size_t i = 0; i < conductor->m_vertices.size(); ++i) {
                const ConductorVertex& v = conductor->m_vertices[i];
                if (v.tie.GetPad() != pad || (v.x == target.X && v.y == target.Y))
                    continue;
                i = static_cast<size_t>(
                    MoveAttachedVertex(g, conductor, static_cast<int>(i), target.X, target.Y));
                moved = true;
            }
            if (moved) {
                conductor->RemoveRedundantVertices(g);
                if (cache)
                    cache->NoteMoved(net, conductor);
            }
        }
    });
    footprint->RebuildNetGraphs(g);
}

void CBoardView::DropShortConductorsAt(Graphics* g, CFootprint* footprint) {
    // A pad moved onto the far end of its own track leaves the track
    // without length.
    std::vector<CNet*> nets;
    ForEachPadIn(footprint, [&](CPad* pad) {
        if (CNet* net = pad->GetNet();
            net && std::find(nets.begin(), nets.end(), net) == nets.end())
            nets.push_back(net);
    });
    FootprintActionCache* cache = FootprintActionCache::Active();
    for (CNet* net : nets) {
        const bool dropped =
            DropTracksWithoutLength(g, net, cache ? cache->MovedSinceSweep(net) : nullptr);
        if (cache)
            cache->Swept(net, dropped);
        if (dropped)
            net->BuildConnectionGraph(g);
    }
}

void CBoardView::DetachFootprintConductors(Graphics* g, CFootprint* footprint) {
    FootprintActionCache* cache = FootprintActionCache::Active();
    ForEachPadIn(footprint, [&](CPad* pad) {
        CNet* net = pad->GetNet();
        if (!net)
            return;
        for (CConductor* conductor : cache ? cache->TiedTo(net, pad) : ConductorsOf(net))
            for (size_t i = 0; i < conductor->m_vertices.size(); ++i)
                if (conductor->m_vertices[i].tie.GetPad() == pad) {
                    PushUndo(new CUndoConductorNodeChange(conductor, static_cast<int>(i)));
                    conductor->m_vertices[i].tie = VertexTie();
                }
    });
    footprint->RebuildNetGraphs(g);
}

// --- Rotating and flipping ---------------------------------------------------------------

void CBoardView::RotateFootprint(Graphics* g, CFootprint* footprint, bool packaged, bool shift) {
    float delta = footprint->m_place == kPlaceBottom ? 90.0f : -90.0f;
    if (shift)
        delta = -delta;
    // A package footprint's record rebuilds the graphs of its nets when it is
    // undone and redone, from the menu as from the key.
    if (packaged)
        PushUndo(new CUndoChangeFootprintPos(footprint));
    else
        PushUndo(new CUndoChangeNodeAttribute(footprint, nullptr));
    footprint->InvalidateOnBoard(g);
    footprint->m_rotation = TurnByQuarter(footprint->m_rotation, delta);
    footprint->InvalidateOnBoard(g);
    if (packaged) {
        if (FootprintActionCache* cache = FootprintActionCache::Active())
            cache->ResetUndoFlags(footprint);
        else
            footprint->ResetAttachedConductorUndoFlags();
        FollowFootprint(g, footprint);
        DropShortConductorsAt(g, footprint);
    }
    Show(footprint);
}

void CBoardView::FlipFootprint(Graphics* g, CFootprint* footprint, bool packaged, int side) {
    if (packaged && footprint->m_place != side)
        DetachFootprintConductors(g, footprint);
    footprint->SetPlace(side, &LayerIndex());
    if (packaged)
        footprint->RebuildNetGraphs(g);
    Show(footprint);
}

bool CBoardView::ComponentKey(int vk) {
    if (vk != 'R' && vk != 'T' && vk != 'B')
        return false;
    m_undoList.SetStartNewGroup(true);
    auto g = MakeGraphics();
    const NetGraphBatch batch(g.get());
    const FootprintActionCache cache;
    const bool shift = IsKeyDown(VK_SHIFT);
    bool changed = false;
    for (CFootprint* footprint : AllFootprints()) {
        if (!footprint->IsSelected())
            continue;
        const bool packaged = IsPackageFootprint(footprint);
        // A fixed component stays as it is, whichever kind it is.
        if (footprint->m_fixed) {
            RefuseFixed();
            continue;
        }
        if (vk == 'R')
            RotateFootprint(g.get(), footprint, packaged, shift);
        else
            FlipFootprint(g.get(), footprint, packaged, vk == 'T' ? kPlaceTop : kPlaceBottom);
        if (packaged)
            footprint->RebuildNetGraphs(g.get());
        changed = true;
    }
    InvalidateRect(nullptr, false);
    return changed;
}

// --- Move component: press, drag, release -------------------------------------------------

void CBoardView::ComponentPress(Graphics* g, uint32_t flags, PointF p) {
    ShowBoardRows();
    m_undoList.SetStartNewGroup(true);
    EndConductorEdit();
    const std::vector<CFootprint*> footprints = AllFootprints();
    for (CFootprint* footprint : footprints)
        if (footprint->IsSelected() && footprint->HitTestOnBoard(g, p.X, p.Y)) {
            flags |= NodeFlags::KeepSelection;
            break;
        }
    for (CFootprint* footprint : footprints) {
        footprint->MouseDownOnBoard(g, flags, p.X, p.Y);
        if (footprint->IsSelected())
            Show(footprint);
    }
}

void CBoardView::ComponentDrag(Graphics* g, uint32_t flags, PointF p) {
    SetToolCursor(ID_BRD_MOVE_COMPONENT);
    const NetGraphBatch batch(g);
    const bool left = (flags & NodeFlags::LeftButton) != 0;
    for (CFootprint* footprint : AllFootprints()) {
        const bool packaged = IsPackageFootprint(footprint);
        const bool candidate = left && footprint->IsSelected() && !footprint->m_fixed;
        if (!candidate) {
            footprint->DragOnBoard(g, flags, p.X, p.Y);
            continue;
        }
        // The footprint repaints the whole window when it moves; only what
        // it covered and covers now is repainted instead.
        const RECT before = FootprintDamage(g, footprint);
        std::vector<CText*> texts;
        if (packaged)
            for (CTreeNode* child : footprint->GetParent()->GetChildren())
                if (child->GetType() == NodeType::Text)
                    texts.push_back(static_cast<CText*>(child));
        RECT textsBefore{};
        for (CText* text : texts) {
            RectF box;
            if (text->m_boardVisible && text->GetBoundsOnBoard(g, box))
                textsBefore = Union(textsBefore, TextDamage(g, text));
        }
        m_holdWholeRepaints = true;
        m_wholeRepaintHeld = false;
        const int moved = footprint->DragOnBoard(g, flags, p.X, p.Y);
        m_holdWholeRepaints = false;
        if (!moved) {
            if (m_wholeRepaintHeld)
                InvalidateRect(nullptr, false);
            continue;
        }
        InvalidateRect(&before, false);
        const RECT after = FootprintDamage(g, footprint);
        InvalidateRect(&after, false);
        if (textsBefore.right > textsBefore.left)
            InvalidateRect(&textsBefore, false);
        for (CText* text : texts)
            if (text->m_boardVisible) {
                const RECT r = TextDamage(g, text);
                InvalidateRect(&r, false);
            }
        if (packaged)
            FollowFootprint(g, footprint);
    }
}

void CBoardView::ComponentRelease(Graphics* g, uint32_t flags, PointF p) {
    const NetGraphBatch batch(g);
    for (CFootprint* footprint : AllFootprints()) {
        if (footprint->m_dragRecorded) {
            if (IsPackageFootprint(footprint))
                DropShortConductorsAt(g, footprint);
            CheckComponent(g, footprint);
        }
        footprint->MouseUpOnBoard(g, flags, p.X, p.Y);
    }
}

// --- The component menu ---------------------------------------------------------------------

void CBoardView::ComponentMenu(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    ShowBoardRows();
    m_undoList.SetStartNewGroup(true);
    std::set<int> sides;
    CFootprint* first = nullptr;
    for (CFootprint* footprint : AllFootprints()) {
        if (!footprint->IsSelected() && footprint->HitTestOnBoard(g, p.X, p.Y)) {
            footprint->SetSelected(true);
            InvalidateRect(nullptr, false);
        }
        if (footprint->IsSelected()) {
            sides.insert(footprint->m_place);
            if (!first)
                first = footprint;
        }
    }
    std::shared_ptr<PopupMenu> menu = BuildPopupMenu(BoardComponentMenu().items);
    if (!menu || menu->Items().empty() || !menu->Items().front().subMenu)
        return;
    PopupMenu& popup = *menu->Items().front().subMenu;
    if (sides.size() == 1)
        popup.CheckItem(*sides.begin() == kPlaceTop ? ID_BRD_PLACE_TOP : ID_BRD_PLACE_BOTTOM, true);
    // Without a selected footprint there is nothing to save.
    popup.EnableItem(ID_BRD_SAVE_FOOTPRINT, first != nullptr);
    const POINT at = GetCursorPos();
    const int command = TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                       ClampXToWorkArea(at.x, at.y), at.y, this);
    if (command == ID_BRD_SAVE_FOOTPRINT) {
        if (first)
            SaveFootprint(first);
        return;
    }
    if (command != ID_BRD_PLACE_TOP && command != ID_BRD_PLACE_BOTTOM && command != ID_BRD_ROTATE)
        return;
    const bool shift = IsKeyDown(VK_SHIFT);
    const NetGraphBatch batch(g);
    const FootprintActionCache cache;
    for (CFootprint* footprint : AllFootprints()) {
        if (!footprint->IsSelected())
            continue;
        if (footprint->m_fixed) {
            RefuseFixed();
            continue;
        }
        const bool packaged = IsPackageFootprint(footprint);
        if (command == ID_BRD_ROTATE)
            RotateFootprint(g, footprint, packaged, shift);
        else
            FlipFootprint(g, footprint, packaged,
                          command == ID_BRD_PLACE_TOP ? kPlaceTop : kPlaceBottom);
        if (packaged)
            footprint->RebuildNetGraphs(g);
        InvalidateRect(nullptr, false);
        Show(footprint);
    }
}

void CBoardView::SaveFootprint(CFootprint* footprint) {
    FileDialogRequest request;
    request.owner = this;
    request.filters = {{L"Footprint Libraries (*.footprint)", L"*.footprint"},
                       {L"All Files (*.*)", L"*.*"}};
    request.fileName = footprint->GetText();
    request.initialDir = g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary);
    request.defaultExt = L"footprint";
    request.overwritePrompt = true;
    if (!GetSaveFileName(&request))
        return;
    auto* copy = static_cast<CFootprint*>(footprint->Clone());
    copy->m_boardPosition = PointF{0, 0};
    copy->m_rotation = 0;
    copy->SetSelected(false);
    PutCopyOnTop(copy);
    CRoot library;
    library.SetRootTag(L"FootprintLib");
    library.AddChild(copy);
    CXmlFile file(&library);
    if (!file.Save(request.fileName.c_str()))
        ShowMessageBox(LoadStringText(kSaveError), LoadStringText(kCaption), MB_OK | MB_ICONERROR);
}

// --- Delete -------------------------------------------------------------------------------

void CBoardView::DeleteFreeComponents(Graphics* g) {
    m_undoList.SetStartNewGroup(true);
    for (CFootprint* footprint : MountingFootprints()) {
        // The floating copy follows the mouse; it leaves only with Esc.
        if (!footprint->IsSelected() || footprint == m_floatingComponent)
            continue;
        if (footprint->m_fixed) {
            RefuseFixed();
            continue;
        }
        footprint->InvalidateOnBoard(g);
        PushUndo(new CUndoDelete(footprint, nullptr));
        footprint->RemoveFromParent();
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->OnNodeRemoved(footprint);
    }
    InvalidateRect(nullptr, false);
}

// --- Free components ----------------------------------------------------------------------

void CBoardView::StartFreeComponent() {
    CBoard* board = GetBoard();
    FreeComponentPadstackSource& source = PadstackSource();
    CPadstack* padstack = board && source ? source(board, GetUnit()) : nullptr;
    if (!padstack) {
        g_MainFrame.UISetCheck(ID_BRD_COMPONENT, false);
        m_currentTool = ID_TOOL_SELECT;
        g_MainFrame.UISetCheck(ID_TOOL_SELECT, true);
        SetToolCursor(ID_TOOL_SELECT);
        return;
    }
    m_undoList.SetStartNewGroup(true);
    auto* footprint = new CFootprint(kPlaceTop);
    footprint->SetText(padstack->GetName());
    footprint->AddChild(padstack);
    padstack->AddChild(new CPad());
    footprint->SetSelected(true);
    // It appears under the mouse, on the grid.
    const POINT cursor = IsWindow() ? ScreenToClient(GetCursorPos()) : POINT{0, 0};
    auto g = MakeGraphics();
    footprint->m_boardPosition = SnapToGrid(ModelPoint(g.get(), cursor));
    CTreeNode* mounting = board->FindMounting();
    if (!mounting) {
        mounting = board->AddChild(new CMounting());
        PushUndo(new CUndoInsert(mounting, nullptr));
    }
    mounting->AddChild(footprint);
    PushUndo(new CUndoInsert(footprint, nullptr));
    m_floatingComponent = footprint;
    m_floatingUndoCount = m_undoList.UndoCount();
    Show(footprint);
    InvalidateRect(nullptr, false);
}

void CBoardView::MoveFloatingComponent(Graphics* g, PointF p) {
    CFootprint* footprint = m_floatingComponent;
    if (!footprint)
        return;
    const PointF target = SnapToGrid(p);
    if (target.X == footprint->m_boardPosition.X && target.Y == footprint->m_boardPosition.Y)
        return;
    const RECT before = FootprintDamage(g, footprint);
    InvalidateRect(&before, false);
    footprint->m_boardPosition = target;
    Show(footprint);
    const RECT after = FootprintDamage(g, footprint);
    InvalidateRect(&after, false);
}

void CBoardView::PlaceFloatingComponent(Graphics* g) {
    CFootprint* footprint = m_floatingComponent;
    if (!footprint || !footprint->GetParent())
        return;
    const RECT r = FootprintDamage(g, footprint);
    InvalidateRect(&r, false);
    auto* copy = static_cast<CFootprint*>(footprint->Clone());
    copy->m_boardPosition = footprint->m_boardPosition;
    copy->SetSelected(true);
    footprint->SetSelected(false);
    m_undoList.SetStartNewGroup(true);
    footprint->GetParent()->AddChild(copy);
    PushUndo(new CUndoInsert(copy, nullptr));
    m_floatingComponent = copy;
    m_floatingUndoCount = m_undoList.UndoCount();
    Show(copy);
}

bool CBoardView::IsMaking(const CProperty* object) const {
    return object && (object == m_floatingText || object == m_floatingComponent);
}

void CBoardView::DropWorkInProgress() {
    ForgetDepartedNodes();
    // As Esc: the view goes on (after a save, a tree's copy) with the tool
    // Esc would leave.
    if (IsRouting()) {
        CancelRoute();
        if (m_currentTool == ID_BRD_ROUTE_NEW) {
            m_currentTool = ID_BRD_ROUTE_EDIT;
            SetToolCursor(m_currentTool);
        }
    }
    if (m_floatingComponent) {
        RemoveFloatingComponent();
        if (m_currentTool == ID_BRD_PLACE_FREE_COMPONENT) {
            m_currentTool = ID_BRD_MOVE_COMPONENT;
            SetToolCursor(m_currentTool);
        }
    }
    EndAreaCreation();
}

void CBoardView::RemoveFloatingComponent() {
    CFootprint* footprint = m_floatingComponent;
    m_floatingComponent = nullptr;
    if (!footprint || !footprint->GetParent())
        return;
    if (m_undoList.UndoCount() == m_floatingUndoCount) {
        // Its insertion is the last group: taken back as if it never was.
        // The copy is deleted with the dropped record; the panel lets go first.
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->OnNodeRemoved(footprint);
        m_undoList.Undo(false);
    } else {
        // Other changes came after it (its rows were edited, it was turned):
        // it leaves as a change of its own, so that those stay undoable.
        m_undoList.SetStartNewGroup(true);
        auto g = MakeGraphics();
        footprint->InvalidateOnBoard(g.get());
        PushUndo(new CUndoDelete(footprint, nullptr));
        footprint->RemoveFromParent();
        DropDepartedProperties();
    }
    InvalidateRect(nullptr, false);
}
