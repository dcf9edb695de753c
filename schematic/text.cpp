#include "schematic/text.h"

#include "board/board.h"
#include "board/board_undo_records.h"
#include "core/board_layer.h"
#include "core/expected_attributes.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/plain_number.h"
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

using namespace std::literals;

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
    PlainNumber::GetPoint(*this, L"XY"sv, m_position.x, m_position.y, 0, 0);
    GetAttributeBool(L"Visible"sv, m_visible, true);
    PlainNumber::GetPointF(*this, L"Pos"sv, m_boardPosition.X, m_boardPosition.Y, 0, 0);
    GetAttributeBool(L"BrdVisible"sv, m_boardVisible, true);
    GetAttributeString(L"Name"sv, m_name, L"");
    GetAttributeString(L"Font"sv, m_font, L"Tahoma");
    GetAttributeFloat(L"FontSize"sv, m_fontSize, 1.5f);
    GetAttributeFloat(L"Rotation"sv, m_rotation, 0);
    m_layer = LayerFromCode(FindAttribute(L"Layer"sv).value_or(std::wstring_view()));
    // Only a free text of a board lies on a sheet; a package's texts are
    // shown beside its parts.
    m_pSheet = nullptr;
    CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Board)
        ReadSheetName(parent);
}

void CText::WriteAttributes() {
    ExpectedAttributes<10> expected;
    expected.AddBool(L"BrdVisible"sv, m_boardVisible, true);
    expected.AddString(L"Font"sv, m_font, L"Tahoma"sv);
    expected.AddFloat(L"FontSize"sv, m_fontSize, 1.5f);
    expected.AddString(L"Layer"sv, LayerCode(m_layer), L""sv);
    expected.AddString(L"Name"sv, m_name, L""sv);
    expected.AddPointF(L"Pos"sv, m_boardPosition.X, m_boardPosition.Y, 0, 0);
    expected.AddFloat(L"Rotation"sv, m_rotation, 0);
    expected.AddString(L"SheetName"sv, m_pSheet ? m_pSheet->GetName() : std::wstring_view(), L""sv);
    expected.AddBool(L"Visible"sv, m_visible, true);
    expected.AddPoint(L"XY"sv, m_position.x, m_position.y, 0, 0);
    if (expected.Matches(m_attributes))
        return;
    WriteSheetName();
    SetAttributePoint(L"XY"sv, m_position.x, m_position.y, 0, 0);
    SetAttributeBool(L"Visible"sv, m_visible ? 1 : 0, 1);
    SetAttributePointF(L"Pos"sv, m_boardPosition.X, m_boardPosition.Y, 0, 0);
    SetAttributeBool(L"BrdVisible"sv, m_boardVisible ? 1 : 0, 1);
    SetAttributeString(L"Name"sv, m_name, L"");
    SetAttributeString(L"Font"sv, m_font, L"Tahoma");
    SetAttributeFloat(L"FontSize"sv, m_fontSize, 1.5f);
    SetAttributeFloat(L"Rotation"sv, m_rotation, 0);
    const std::wstring_view code = LayerCode(m_layer);
    if (code.empty())
        RemoveAttribute(L"Layer"sv);
    else
        SetAttribute(L"Layer"sv, code);
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
    StartUndoGroup();
    if (InSheetView()) {
        if (row == 0 || row == 1) {
            PushUndo(new CUndoChangeNodeAttribute(this, this));
            (row == 0 ? m_text : m_name) = SchematicRows::Text(row);
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
        if (!SchematicRows::Length(row + (parent && parent->GetType() == NodeType::Board), mm))
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
        if (end == t.c_str())
            return;
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
