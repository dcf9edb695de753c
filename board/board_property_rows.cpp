// Property rows of the board-side objects: what each shows in the property
// panel and how an edited row changes it. Every edit starts an undo group
// and records the object before it reads the row.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_strings.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_checkbox.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "schematic/net.h"

namespace S = BoardStrings;

namespace {

CPropertyItem* Row(int row) {
    CPropertyGrid* grid = GetPropertyGrid();
    return grid ? grid->GetItem(row) : nullptr;
}

std::wstring RowText(int row) {
    auto* edit = dynamic_cast<CPropertyEdit*>(Row(row));
    return edit ? edit->GetText() : std::wstring();
}

bool RowChecked(int row, bool current) {
    auto* box = dynamic_cast<CPropertyCheckbox*>(Row(row));
    return box ? box->GetCheck() : current;
}

int RowChoice(int row, int current) {
    auto* combo = dynamic_cast<CPropertyCombobox*>(Row(row));
    return combo && combo->GetSelectedIndex() >= 0 ? combo->GetSelectedIndex() : current;
}

using Range = CPropertyGrid::LengthRange;

// A length row parsed in its own unit; false (and a beep) for bad text or a
// length outside the range.
bool RowLength(int row, float& mm, Range range = Range::Any) {
    CPropertyGrid* grid = GetPropertyGrid();
    CPropertyItem* item = Row(row);
    return grid && item && grid->ParseRowLength(item, &mm, range);
}

bool RowSize(int row, float& w, float& h, Range range) {
    CPropertyGrid* grid = GetPropertyGrid();
    CPropertyItem* item = Row(row);
    SizeF size;
    if (!grid || !item || !grid->ParseSizeRow(item, &size, range))
        return false;
    w = size.Width;
    h = size.Height;
    return true;
}

// Repaint after an edit: the view's window, then the keyboard back to the
// view's frame.
void RepaintAndFocus() {
    if (!g_pActiveView)
        return;
    g_pActiveView->InvalidateRect(nullptr, false);
    if (PlatformWindow* parent = g_pActiveView->GetParent())
        parent->SetFocus();
}

void ShowMessage(unsigned id, unsigned icon) {
    ShowMessageBox(LoadStringText(id), L"Vorpel", MB_OK | icon);
}

// The status bar's unit pane (0 is the prompt, 1 the net under the cursor).
constexpr int kStatusUnitPane = 2;

// The unit pane of the status bar shows the unit just chosen.
void ShowUnit(uint32_t unit) {
    if (unit > 3)
        return;
    SetStatusText(kStatusUnitPane,
                  LoadStringText(S::Unit) + L": " + LoadStringText(S::UnitInch + unit));
}

void Refill(CProperty* object) {
    if (GetPropertyGrid())
        object->FillPropertyGrid();
}

int ViewUnit() {
    const int unit = GetActiveViewUnit();
    return unit < 0 ? kUnitMm : unit;
}

// The unit and grid rows (0 to 2) that boards, footprints not yet placed
// and padstacks begin with.
void AddUnitAndGridRows(CPropertyGrid* grid, uint32_t unit, float gridX, float gridY) {
    grid->AddCombo(S::Unit, S::UnitInch + unit, S::UnitInch, 4);
    grid->AddFloat(S::GridWidth, gridX, static_cast<int>(unit));
    grid->AddFloat(S::GridHeight, gridY, static_cast<int>(unit));
}

// An edit of one of those rows; false for any other row.
bool ApplyUnitAndGridRow(CProperty* object, int row, uint32_t& unit, float& gridX, float& gridY) {
    switch (row) {
    case 0:
        unit = static_cast<uint32_t>(RowChoice(0, static_cast<int>(unit)));
        ShowUnit(unit);
        Refill(object);
        return true;
    case 1:
        RowLength(1, gridX, Range::NotNegative);
        return true;
    case 2:
        RowLength(2, gridY, Range::NotNegative);
        return true;
    default:
        return false;
    }
}

void RebuildNet(CNet* net) {
    if (!net)
        return;
    Graphics* g = MakeActiveViewGraphics();
    net->BuildConnectionGraph(g);
    ReleaseActiveViewGraphics(g);
}

} // namespace

// Area ----------------------------------------------------------------------

void CArea::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(S::AreaProperties);
    grid->AddText(S::Net, m_net);
    grid->AddCheckbox(S::NoThermal, m_noThermal);
    grid->AddCheckbox(S::DrawSketch, m_drawSketch);
}

void CArea::ApplyPropertyChange(int row) {
    StartUndoGroup();
    PushUndo(new CUndoAreaChange(this, this));
    switch (row) {
    case 0: {
        CTreeNode* parent = GetParent();
        if (!parent || parent->GetType() != NodeType::Board) {
            m_net = RowText(0);
            break;
        }
        auto* board = static_cast<CBoard*>(parent);
        CNet* old = board->FindNet(m_net);
        m_net = RowText(0);
        RebuildNet(old);
        if (CNet* now = board->FindNet(m_net))
            RebuildNet(now);
        else
            ShowMessage(S::NetNotFound, MB_ICONWARNING);
        break;
    }
    case 1:
        m_noThermal = RowChecked(1, m_noThermal);
        break;
    case 2:
        m_drawSketch = RowChecked(2, m_drawSketch);
        break;
    default:
        break;
    }
    RepaintAndFocus();
}

// Board ---------------------------------------------------------------------

void CBoard::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(S::BoardProperties);
    AddUnitAndGridRows(grid, m_unit, m_gridX, m_gridY);
}

void CBoard::ApplyPropertyChange(int row) {
    StartUndoGroup();
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    ApplyUnitAndGridRow(this, row, m_unit, m_gridX, m_gridY);
}

// Conductor -----------------------------------------------------------------

void CConductor::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(S::ConductorProperties);
    const int i = m_selected;
    const int count = static_cast<int>(m_vertices.size());
    if (i <= 0 || i >= count)
        return;
    grid->AddFloat(S::Width, m_width, ViewUnit());
    if (i + 1 >= count)
        return;
    const float corner = m_vertices[static_cast<std::size_t>(i)].corner;
    grid->AddCheckbox(S::RoundedEnd, corner != 0);
    if (corner != 0)
        grid->AddFloat(S::ArcOffset, corner, ViewUnit());
}

void CConductor::ApplyPropertyChange(int row) {
    StartUndoGroup();
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    const int i = m_selected;
    const bool hasVertex = i > 0 && i < static_cast<int>(m_vertices.size());
    switch (row) {
    case 0:
        RowLength(0, m_width, Range::NotNegative);
        break;
    case 1:
        if (hasVertex) {
            ConductorVertex& v = m_vertices[static_cast<std::size_t>(i)];
            v.corner = RowChecked(1, v.corner != 0) ? 1.0f : 0.0f;
            Refill(this);
        }
        break;
    case 2:
        if (hasVertex)
            RowLength(2, m_vertices[static_cast<std::size_t>(i)].corner, Range::NotNegative);
        break;
    default:
        break;
    }
    RepaintAndFocus();
}

// Footprint -----------------------------------------------------------------

void CFootprint::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(S::FootprintProperties);
    if (!IsPlaced()) {
        AddUnitAndGridRows(grid, m_unit, m_gridX, m_gridY);
        return;
    }
    const int unit = GetActiveViewUnit();
    if (unit < 0)
        return;
    grid->AddCheckbox(S::Fixed, m_fixed);
    grid->AddFloat(S::X, m_boardPosition.X, unit);
    grid->AddFloat(S::Y, m_boardPosition.Y, unit);
    grid->AddCombo(S::Placement, S::PlaceTop + static_cast<unsigned>(m_place), S::PlaceTop, 2);
    grid->AddFloat(S::Rotation, m_rotation, kUnitMm);
}

void CFootprint::ApplyPropertyChange(int row) {
    StartUndoGroup();
    PushUndo(new CUndoChangeFootprintPos(this));
    if (!IsPlaced()) {
        ApplyUnitAndGridRow(this, row, m_unit, m_gridX, m_gridY);
        return;
    }
    if (row == 0) {
        m_fixed = RowChecked(0, m_fixed);
    } else if (m_fixed) {
        ShowMessage(S::ComponentFixed, MB_ICONERROR);
        Refill(this);
        if (g_pActiveView && g_pActiveView->GetParent())
            g_pActiveView->GetParent()->SetFocus();
        return;
    } else {
        switch (row) {
        case 1:
            RowLength(1, m_boardPosition.X);
            break;
        case 2:
            RowLength(2, m_boardPosition.Y);
            break;
        case 3:
            SetPlace(RowChoice(3, m_place), FindBoardLayerIndex(this));
            break;
        case 4:
            RowLength(4, m_rotation);
            break;
        default:
            break;
        }
    }
    Graphics* g = MakeActiveViewGraphics();
    RebuildNetGraphs(g);
    ReleaseActiveViewGraphics(g);
    RepaintAndFocus();
}

// Layer ---------------------------------------------------------------------

void CLayer::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(S::LayerProperties);
    grid->AddText(S::Net, m_net);
    grid->AddCheckbox(S::NoThermal, m_noThermal);
}

void CLayer::ApplyPropertyChange(int row) {
    StartUndoGroup();
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    if (row == 0)
        m_net = RowText(0);
    else if (row == 1)
        m_noThermal = RowChecked(1, m_noThermal);
    RepaintAndFocus();
}

// Pad -----------------------------------------------------------------------

void CPad::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(S::PadstackProperties);
    grid->AddText(S::Number, m_num);
    grid->AddFloat(S::X, m_boardPosition.X, ViewUnit());
    grid->AddFloat(S::Y, m_boardPosition.Y, ViewUnit());
}

void CPad::ApplyPropertyChange(int row) {
    StartUndoGroup();
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    if (row == 0)
        m_num = RowText(0);
    else if (row == 1)
        RowLength(1, m_boardPosition.X);
    else if (row == 2)
        RowLength(2, m_boardPosition.Y);
    RepaintAndFocus();
}

// Pad layer -----------------------------------------------------------------

void CPadLayer::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    const int unit = ViewUnit();
    grid->AddCombo(S::PadstackType, S::PadShapeUndefined + static_cast<unsigned>(m_shape),
                   S::PadShapeUndefined, 5);
    if (m_shape == kPadShapeRound) {
        grid->AddFloat(S::Diameter, m_width, unit);
    } else if (m_shape != kPadShapeCustom) {
        grid->AddFloat(S::Width, m_width, unit);
        grid->AddFloat(S::Height, m_height, unit);
    }
    if (m_layer == kPadLayerPlane)
        return;
    CThermalRelief* thermal = FindThermalRelief();
    grid->AddCheckbox(S::CustomThermal, thermal != nullptr);
    if (thermal) {
        grid->AddFloat(S::IsolationWidth, thermal->m_isolation, unit);
        grid->AddFloat(S::SpokeWidth, thermal->m_spoke, unit);
    }
}

void CPadLayer::ApplyPropertyChange(int row) {
    int logical = row;
    if (m_shape == kPadShapeRound && row >= 2)
        logical = row + 1;
    else if (m_shape == kPadShapeCustom && row >= 1)
        logical = row + 2;
    switch (logical) {
    case 0:
        SetShape(RowChoice(row, m_shape));
        break;
    case 1:
        PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
        if (RowLength(row, m_width, Range::NotNegative) && m_shape == kPadShapeRound)
            m_height = m_width;
        break;
    case 2:
        PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
        RowLength(row, m_height, Range::NotNegative);
        break;
    case 3: {
        CThermalRelief* thermal = FindThermalRelief();
        const bool on = RowChecked(row, thermal != nullptr);
        if (!on && thermal) {
            PushUndo(new CUndoDelete(thermal, nullptr));
            thermal->RemoveFromParent();
        } else if (on && !thermal) {
            thermal = new CThermalRelief();
            AddChild(thermal);
            PushUndo(new CUndoInsert(thermal, nullptr));
        }
        break;
    }
    case 4:
    case 5:
        if (CThermalRelief* thermal = FindThermalRelief()) {
            PushUndo(new CUndoChangeNodeAttribute(thermal, nullptr));
            // The isolation clears copper around the pad: it must be above 0.
            RowLength(row, logical == 4 ? thermal->m_isolation : thermal->m_spoke,
                      logical == 4 ? Range::Positive : Range::NotNegative);
        }
        break;
    default:
        break;
    }
}

// Padstack ------------------------------------------------------------------

void CPadstack::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(S::PadstackProperties);
    const int unit = static_cast<int>(m_unit);
    AddUnitAndGridRows(grid, m_unit, m_gridX, m_gridY);
    CDrill* drill = FindDrill();
    const int type = drill ? drill->m_drillType : kDrillNone;
    grid->AddCombo(S::DrillType, S::NoHole + static_cast<unsigned>(type), S::NoHole, 4);
    if (!drill)
        return;
    if (type == kDrillRound)
        grid->AddFloat(S::DrillDiameter, drill->m_diam, unit);
    else if (type == kDrillCustom)
        grid->AddFloat(S::MillDiameter, drill->m_diam, unit);
    else if (type == kDrillSlot)
        grid->AddSizeF(S::SlotSize, drill->m_slotWidth, drill->m_slotHeight, unit);
    grid->AddCheckbox(S::NonPlated, drill->m_nonPlated);
}

void CPadstack::ApplyPropertyChange(int row) {
    StartUndoGroup();
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    CDrill* drill = FindDrill();
    // A drill without a size row (type NONE) shows "Non-plated" one row up.
    int logical = row;
    if (drill && drill->m_drillType == kDrillNone && row == 4)
        logical = 5;
    if (ApplyUnitAndGridRow(this, logical, m_unit, m_gridX, m_gridY)) {
        RepaintAndFocus();
        return;
    }
    switch (logical) {
    case 3: {
        const int type = RowChoice(3, drill ? drill->m_drillType : kDrillNone);
        if (drill && drill->m_drillType == type)
            break;
        if (drill && type == kDrillNone) {
            PushUndo(new CUndoDelete(drill, nullptr));
            drill->RemoveFromParent();
        } else if (drill) {
            PushUndo(new CUndoChangeNodeAttribute(drill, nullptr));
            drill->m_drillType = type;
            if (type == kDrillCustom && !drill->m_outline) {
                const float pts[4][2] = {{-3, -1}, {3, -1}, {3, 1}, {-3, 1}};
                for (const auto& p : pts)
                    AppendAreaNode(drill->m_outline, new CAreaSegment(&g_pActiveView, p[0], p[1]));
            }
        } else if (type != kDrillNone) {
            auto* made = new CDrill(type);
            made->m_diam = 1.0f;
            made->m_slotWidth = 3.0f;
            made->m_slotHeight = 1.0f;
            AddChild(made);
            PushUndo(new CUndoInsert(made, nullptr));
        }
        Refill(this);
        break;
    }
    case 4:
        if (drill) {
            PushUndo(new CUndoChangeNodeAttribute(drill, nullptr));
            if (drill->m_drillType == kDrillSlot)
                RowSize(4, drill->m_slotWidth, drill->m_slotHeight, Range::Positive);
            else
                RowLength(4, drill->m_diam, Range::Positive);
        }
        break;
    case 5:
        if (drill) {
            PushUndo(new CUndoChangeNodeAttribute(drill, nullptr));
            drill->m_nonPlated = RowChecked(row, drill->m_nonPlated);
        }
        break;
    default:
        break;
    }
    RepaintAndFocus();
}
