#include "schematic/text.h"

#include "board/board.h"
#include "board/board_undo_records.h"
#include "core/board_layer.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/property_checkbox.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "schematic/clone_map.h"
#include "schematic/schematic_rows.h"
#include "schematic/sheet.h"
#include "schematic/sheet_name_attribute.h"

#include <cmath>
#include <limits>

using namespace std::literals;

namespace {

// Only a free text of a board lies on a sheet; a package's texts are shown
// beside its parts.
CTreeNode* BoardParent(const CText& text) {
    CTreeNode* parent = text.GetParent();
    return parent && parent->GetType() == NodeType::Board ? parent : nullptr;
}

constexpr NodeAttributes<CText, 10> kAttributes{{
    Attr::IntPair<&CText::m_position, CText>(L"XY"),
    Attr::Bool<&CText::m_visible>(L"Visible", true),
    Attr::Point<&CText::m_boardPosition, CText>(L"Pos"),
    Attr::Bool<&CText::m_boardVisible>(L"BrdVisible", true),
    Attr::Text<&CText::m_name>(L"Name"),
    Attr::Text<&CText::m_font>(L"Font", L"Tahoma"),
    Attr::Float<&CText::m_fontSize>(L"FontSize", 1.5f),
    Attr::Float<&CText::m_rotation>(L"Rotation", 0),
    Attr::Layer<&CText::m_layer, CText>(L"Layer"),
    Attr::SheetName<CText, BoardParent, true>(),
}};
const RegisterNodeAttributes kRegistered(L"Text", kAttributes);

} // namespace

CText::CText() : CSheetObject(NodeType::Text, L"") {}

CText::CText(const wchar_t* text) : CSheetObject(NodeType::Text, text) {}

CText::~CText() = default;

CTreeNode* CText::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CText(*this));
}

const wchar_t* CText::GetTagName() const {
    return L"Text";
}

void CText::ReadAttributes() {
    kAttributes.Read(*this);
}

void CText::WriteAttributes() {
    kAttributes.Write(*this);
}

float CText::GetMirrorSign() const {
    CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Package)
        return 1.0f;
    if (m_layer >= 2 && m_layer <= 21)
        return 1.0f;
    return (m_layer & 1) != 0 ? -1.0f : 1.0f;
}

namespace {
bool InSheetView() {
    const int kind = GetActiveViewKind();
    return kind == kViewSchematic || kind == kViewSymbol;
}
} // namespace

void CText::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(149);
    CTreeNode* parent = GetParent();
    const bool onBoardNode = parent && parent->GetType() == NodeType::Board;
    if (InSheetView()) {
        grid->AddText(151, PropertyText(m_text));
        if (!(parent && parent->GetType() == NodeType::Sheet)) {
            grid->AddText(150, PropertyText(m_name));
            grid->AddCheckbox(361, m_boardVisible);
        }
        return;
    }
    const int unit = std::max(GetActiveViewUnit(), 0);
    if (onBoardNode)
        grid->AddText(151, PropertyText(m_text));
    grid->AddFont(362, PropertyText(m_font));
    grid->AddFloat(363, m_fontSize, unit);
    grid->AddPointF(364, m_boardPosition.X, m_boardPosition.Y, unit);
    grid->AddText(352, PropertyText(FormatGeneral(m_rotation)));
    auto* board = static_cast<CBoard*>(FindBoardAbove(this));
    grid->AddLayer(32930, 33000u + static_cast<unsigned>(std::max(m_layer, 0)),
                   board ? board->GetInnerLayerCount() : 0);
}

void CText::ApplyPropertyChange(int row) {
    if (!g_pActiveView)
        return;
    // Whichever way the row is taken, the keyboard goes back to the view.
    SchematicRows::FocusViewParentOnExit focusBack;
    StartUndoGroup();
    if (InSheetView()) {
        if (row == 0 || row == 1) {
            const std::wstring value = SchematicRows::Text(row);
            // A package text without name and value could never be seen
            // or picked again.
            if (GetHoldingPackage() && value.empty() && (row == 0 ? m_name : m_text).empty()) {
                if (CPropertyGrid* grid = GetPropertyGrid())
                    grid->RefuseValue(true);
                return;
            }
            PushUndo(new CUndoChangeNodeAttribute(this, this));
            (row == 0 ? m_text : m_name) = value;
        } else if (row == 2) {
            const bool visible = SchematicRows::Checked(row, m_boardVisible);
            PushUndo(new CUndoChangeBoardVisible(this, visible, FindBoardLayerIndex(this)));
            m_boardVisible = visible;
        }
        RepaintSheetSide(this, false);
        return;
    }
    CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Board) {
        if (row == 0) {
            PushUndo(new CUndoChangeNodeAttribute(this, this));
            m_text = SchematicRows::Text(row);
            RepaintWholeWindow();
            return;
        }
        --row;
    }
    switch (row) {
    case 0:
        PushUndo(new CUndoChangeNodeAttribute(this, this));
        m_font = SchematicRows::Text(row + (parent && parent->GetType() == NodeType::Board));
        break;
    case 1: {
        float mm = 0;
        if (!SchematicRows::Length(row + (parent && parent->GetType() == NodeType::Board), mm,
                                   CPropertyGrid::LengthRange::Positive))
            return;
        PushUndo(new CUndoChangeNodeAttribute(this, this));
        m_fontSize = mm;
        break;
    }
    case 2: {
        PointF p;
        if (!SchematicRows::Point(row + (parent && parent->GetType() == NodeType::Board), p))
            return;
        PushUndo(new CUndoChangeNodeAttribute(this, this));
        m_boardPosition = p;
        break;
    }
    case 3: {
        const std::wstring t =
            SchematicRows::Text(row + (parent && parent->GetType() == NodeType::Board));
        const wchar_t* end = nullptr;
        const double v = ParseDouble(t.c_str(), &end);
        if (end == t.c_str() || !(std::fabs(v) <= std::numeric_limits<float>::max())) {
            if (CPropertyGrid* grid = GetPropertyGrid())
                grid->RefuseValue();
            return;
        }
        PushUndo(new CUndoChangeNodeAttribute(this, this));
        m_rotation = static_cast<float>(v);
        break;
    }
    case 4: {
        const int layer = SchematicRows::LayerChoice(
            row + (parent && parent->GetType() == NodeType::Board), m_layer);
        if (layer == m_layer)
            return;
        // A layer change moves the text between the sets of the board
        // view's layer index.
        PushUndo(new CUndoChangeLayer(this, layer, FindBoardLayerIndex(this)));
        SetLayer(layer);
        SetSelected(false);
        break;
    }
    default:
        return;
    }
    RepaintWholeWindow();
}
