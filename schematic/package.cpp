#include "schematic/package.h"

#include "board/board.h"
#include "board/board_types.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_item.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "platform/window.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/part.h"
#include "schematic/part_primitive.h"
#include "schematic/part_primitive_list.h"
#include "schematic/pin.h"
#include "schematic/schematic_rows.h"
#include "schematic/sheet.h"
#include "schematic/sheet_paint.h"
#include "schematic/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>

using namespace std::literals;

namespace {

constexpr NodeAttributes<CPackage, 3> kAttributes{{
    Attr::Text<&CPackage::m_footprintName>(L"Footprint"),
    Attr::Int<&CPackage::m_heterogeneous>(L"Heterogeneous", 0),
    Attr::UInt<&CPackage::m_partsPerPackage>(L"PartPerPackage", 1),
}};
const RegisterNodeAttributes kRegistered(L"Package", kAttributes);

} // namespace

CPackage::CPackage() : CTreeNode(NodeType::Package) {}

CPackage::CPackage(const CPackage& other)
    : CTreeNode(other), m_footprintName(other.m_footprintName),
      m_heterogeneous(other.m_heterogeneous), m_partsPerPackage(other.m_partsPerPackage) {}

CPackage::~CPackage() = default;

CTreeNode* CPackage::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CPackage(*this));
}

const wchar_t* CPackage::GetTagName() const {
    return L"Package";
}

void CPackage::ReadAttributes() {
    kAttributes.Read(*this);
    m_partsPerPackage = std::min(m_partsPerPackage, kMaxPartsPerPackage);
}

void CPackage::WriteAttributes() {
    kAttributes.Write(*this);
}

CFootprint* CPackage::GetFootprint() {
    if (m_pFootprint)
        return m_pFootprint;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Footprint)
            return m_pFootprint = static_cast<CFootprint*>(child);
    return nullptr;
}

CPart* CPackage::GetPart(int n) const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Part && n-- == 0)
            return static_cast<CPart*>(child);
    return nullptr;
}

int CPackage::GetPartCount() const {
    return static_cast<int>(
        std::count_if(GetChildren().begin(), GetChildren().end(),
                      [](CTreeNode* c) { return c->GetType() == NodeType::Part; }));
}

CText* CPackage::FindText(const std::wstring& name) const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Text && static_cast<CText*>(child)->m_name == name)
            return static_cast<CText*>(child);
    return nullptr;
}

namespace {
template <class F> void ForEachPin(const CPackage* package, F f) {
    for (CTreeNode* child : package->GetChildren()) {
        if (child->GetType() == NodeType::Pin)
            f(static_cast<CPin*>(child));
        else if (child->GetType() == NodeType::Part)
            for (CTreeNode* p : child->GetChildren())
                if (p->GetType() == NodeType::Pin)
                    f(static_cast<CPin*>(p));
    }
}
} // namespace

CPin* CPackage::GetPowerPin() const {
    if (!m_footprintName.empty())
        return nullptr;
    CPin* power = nullptr;
    int count = 0;
    bool ordinary = false;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::Pin) {
            ordinary = true;
        } else if (child->GetType() == NodeType::Part) {
            for (CTreeNode* p : child->GetChildren()) {
                if (p->GetType() != NodeType::Pin)
                    continue;
                ++count;
                power = static_cast<CPin*>(p);
                ordinary = ordinary || power->m_fixedNetName.empty();
            }
        }
    }
    return !ordinary && count == 1 ? power : nullptr;
}

bool CPackage::FootprintFitsPins(const CFootprint* footprint) const {
    bool fits = true;
    ForEachPin(this, [&](CPin* pin) {
        for (const std::wstring& name : pin->m_padNames)
            if (!footprint->FindPadByNumber(name))
                fits = false;
    });
    return fits;
}

CFootprint* CPackage::BindFootprint(CFootprint* given) {
    if (GetPowerPin())
        return nullptr;
    CFootprint* candidate = given;
    if (!given && !m_footprintName.empty()) {
        candidate = static_cast<CFootprint*>(FindLibraryFootprint(m_footprintName));
        m_pFootprint = candidate;
    } else if (!given) {
        candidate = m_pFootprint;
    }
    if (candidate && !FootprintFitsPins(candidate)) {
        if (!candidate->GetParent())
            delete candidate;
        candidate = nullptr;
        m_pFootprint = nullptr;
        ShowMessageBox(LoadStringText(344), L"Vorpel", MB_OK | MB_ICONEXCLAMATION);
    }
    if (!candidate) {
        // The package's own pins first, then those of its parts.
        std::vector<std::wstring> names;
        for (int pass = 0; pass < 2; ++pass)
            ForEachPin(this, [&](CPin* pin) {
                if ((pin->GetParent() == this) == (pass == 0))
                    names.insert(names.end(), pin->m_padNames.begin(), pin->m_padNames.end());
            });
        auto* padLayer = new CPadLayer(kPadLayerTop);
        padLayer->m_shape = kPadShapeRound;
        padLayer->m_width = 1.0f;
        padLayer->m_height = 1.0f;
        auto* padstack = new CPadstack();
        padstack->AddChild(padLayer);
        const int n = static_cast<int>(names.size());
        const int k = n > 0 ? static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n)))) : 1;
        const double c = (k - 1) * 0.5;
        for (int i = 0; i < n; ++i) {
            auto* pad = new CPad();
            pad->m_num = names[static_cast<std::size_t>(i)];
            const int r = i / k, q = i % k;
            pad->m_boardPosition =
                PointF{static_cast<float>((q - c) * 2.5), static_cast<float>((c - r) * 2.5)};
            padstack->AddChild(pad);
        }
        candidate = new CFootprint();
        candidate->AddChild(padstack);
        m_pFootprint = candidate;
    }
    candidate->SetSelected(true);
    if (candidate->GetParent() == this)
        candidate->RemoveFromParent();
    else if (candidate->GetParent())
        candidate->RemoveFromParent();
    AddChild(candidate);
    m_pFootprint = candidate;
    return candidate;
}

namespace {

// Re-ties the conductors of the package's nets to the pads of its current
// footprint and rebuilds those nets' graphs. Pushed before and after a
// footprint swap, so that the ties follow the footprint through undo and
// redo alike.
class CUndoRetiePackagePads : public CUndoItemWithoutValues {
public:
    explicit CUndoRetiePackagePads(CPackage* package) : m_package(package) {}
    CUndoItem* Undo() override {
        Retie(m_package);
        return new CUndoRetiePackagePads(m_package);
    }
    static void Retie(CPackage* package) {
        CFootprint* footprint = package->GetFootprint();
        std::set<CNet*, NodeSequenceLess> nets;
        ForEachPin(package, [&](CPin* pin) {
            if (pin->m_pNet)
                nets.insert(pin->m_pNet);
        });
        for (CNet* net : nets)
            for (CTreeNode* child : net->GetChildren()) {
                if (child->GetType() != NodeType::Conductor)
                    continue;
                for (ConductorVertex& v : static_cast<CConductor*>(child)->m_vertices) {
                    CPad* pad = v.tie.GetPad();
                    if (!pad)
                        continue;
                    CFootprint* owner = pad->GetFootprint();
                    // A pad of a footprint that left the package.
                    if (owner && owner != footprint && owner->GetParent() == nullptr)
                        v.tie = VertexTie();
                    else if (owner && owner->GetParent() == package && owner != footprint)
                        v.tie = VertexTie();
                }
            }
        ForEachPin(package, [&](CPin* pin) { pin->TiePadsToConductors(footprint); });
        for (CNet* net : nets)
            net->BuildConnectionGraph(nullptr);
    }

private:
    CPackage* m_package;
};

} // namespace

bool CPackage::ChangeFootprint(const wchar_t* name, CFootprint* given) {
    // A power symbol has no footprint to change.
    if (GetPowerPin())
        return false;
    PushUndo(new CUndoRetiePackagePads(this));
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    m_footprintName = name ? name : L"";
    PointF position{0, 0};
    float rotation = 0;
    int side = kPlaceTop;
    if (CFootprint* current = GetFootprint()) {
        position = current->m_boardPosition;
        rotation = current->m_rotation;
        side = current->m_place;
        PushUndo(new CUndoDelete(current, nullptr));
        m_pFootprint = nullptr;
        current->RemoveFromParent();
    }
    CFootprint* bound = BindFootprint(given);
    bound->m_boardPosition = position;
    bound->m_rotation = rotation;
    PushUndo(new CUndoInsert(bound, nullptr));
    CBoardLayerIndex* index = FindBoardLayerIndex(bound);
    // The texts go to the side the new footprint comes on (the library's
    // placement), and turning it to the remembered side takes them along.
    PutTextsOnSide(bound->m_place, index, true);
    bound->SetPlace(side, index);
    CUndoRetiePackagePads::Retie(this);
    PushUndo(new CUndoRetiePackagePads(this));
    return true;
}

void CPackage::PutTextsOnSide(int side, CBoardLayerIndex* index, bool record) {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Text)
            continue;
        const int layer = child->GetLayer();
        // Only layers with a twin on the other side change.
        const bool sided = layer == 0 || layer == 1 || (layer >= 22 && layer <= 31);
        const int wanted = side == kPlaceBottom ? layer | 1 : layer & ~1;
        if (!sided || wanted == layer)
            continue;
        if (record)
            PushUndo(new CUndoChangeLayer(child, wanted, index));
        child->SetLayer(wanted);
    }
}

void CPackage::MakeHeterogeneous() {
    if (m_heterogeneous)
        return;
    CPart* first = GetPart(0);
    for (int i = 1; first && GetPart(i); ++i) {
        CPart* part = GetPart(i);
        DeletePartPrimitives(part->m_primitives);
        ClonePartPrimitives(first->m_primitives, part, part->m_primitives);
    }
    m_heterogeneous = 1;
}

void CPackage::TryMakeHomogeneous() {
    if (!m_heterogeneous)
        return;
    CPart* first = GetPart(0);
    if (first) {
        for (int i = 1; GetPart(i); ++i)
            if (PartPrimitivesDiffer(GetPart(i)->m_primitives, first->m_primitives))
                return;
        for (int i = 1; GetPart(i); ++i) {
            GetPart(i)->SetText(L"");
            GetPart(i)->ReadPrimitives();
        }
    }
    m_heterogeneous = 0;
}

// Property rows -----------------------------------------------------------------

namespace {
std::vector<std::wstring> SortedSheetNames(const CTreeNode* board) {
    std::vector<std::wstring> names;
    if (board)
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Sheet)
                names.push_back(child->GetText());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

void CPackage::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(166);
    // The button asks the shown editor (through the panel's parent, which
    // hands commands on to it) to change the footprint: command 3006.
    grid->AddEditAndButtonById(223, PropertyText(m_footprintName), 3006, grid->GetParent());
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Text) {
            auto* text = static_cast<CText*>(child);
            grid->AddEditAndCheckboxNamed(PropertyText(text->m_name), PropertyText(text->GetText()),
                                          text->m_visible);
        }
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Pin) {
            auto* pin = static_cast<CPin*>(child);
            grid->AddTextNamed(PropertyText(L"Pin #" + pin->GetPadNames()),
                               PropertyText(pin->m_pNet ? pin->m_pNet->GetName() : L""));
        }
    if (m_partsPerPackage >= 2) {
        std::vector<std::wstring> entries{LoadStringText(302)};
        for (const std::wstring& name : SortedSheetNames(FindBoardAbove(this)))
            entries.push_back(name);
        for (uint32_t n = 1; n <= m_partsPerPackage; ++n) {
            CPart* part = GetPart(static_cast<int>(n - 1));
            std::wstring current = LoadStringText(302);
            if (part && part->m_pSheet)
                current = part->m_pSheet->GetName();
            grid->AddComboStrings(PropertyText(std::wstring(L"Part #") + std::to_wstring(n)),
                                  entries, current);
        }
    }
}

void CPackage::AssignPartToSheet(int n, const std::wstring& sheetName) {
    CPart* part = GetPart(n);
    if (!part)
        return;
    CSheet* sheet = FindSheetByName(FindBoardAbove(this), sheetName);
    if (!sheet) {
        if (!part->m_pSheet)
            return;
        ForgetOtherStepsOn(part);
        PushUndo(new CUndoChangeNodeAttribute(part, nullptr));
        part->m_pSheet->RemoveObject(part);
        part->DisconnectPins();
        part->SetSelected(false);
        part->SyncPinSelection();
        return;
    }
    OpenNodeView(sheet);
    // The move is an edit of the sheet's own view, a group of its own there
    // rather than part of whatever that view did last.
    StartUndoGroup();
    // The move is this view's step alone: another sheet's steps on the part
    // would put back a sheet and a place this one changed.
    ForgetOtherStepsOn(part);
    PushUndo(new CUndoChangeNodeAttribute(part, nullptr));
    if (part->m_pSheet) {
        // Bringing the view forward may have painted it since the panel
        // invalidated the part: the drawing it leaves goes now.
        if (SheetPaint::OnShownSheet(part))
            part->InvalidateOnSheet(nullptr);
        part->m_pSheet->RemoveObject(part);
        part->DisconnectPins();
    }
    sheet->AddObject(part);
    // The part starts under the cursor in the sheet's view, on the nearest
    // grid point, and follows it from there.
    if (g_pActiveView) {
        const std::unique_ptr<DeviceContext> dc = CreateViewDC();
        const POINT at =
            g_pActiveView->ClientToLogical(dc.get(), g_pActiveView->ScreenToClient(GetCursorPos()));
        const int g = GetSheetScale().grid;
        part->m_position =
            POINT{SheetPaint::NearestStep(at.x, g), SheetPaint::NearestStep(at.y, g)};
        part->m_clickPoint = at;
    }
    part->m_placing = true;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Part) {
            child->SetSelected(child == part);
            static_cast<CPart*>(child)->SyncPinSelection();
        }
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(nullptr);
}

void CPackage::ApplyPropertyChange(int row) {
    if (!g_pActiveView)
        return;
    // Whichever row was taken, the keyboard goes back to the view.
    SchematicRows::FocusViewParentOnExit focusBack;
    InvalidateOnSheet(nullptr);
    StartUndoGroup();
    if (row == 0) {
        ChangeFootprint(SchematicRows::Text(row).c_str(), nullptr);
        InvalidateOnSheet(nullptr);
        return;
    }
    int r = 1;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Text)
            continue;
        if (r++ != row)
            continue;
        auto* text = static_cast<CText*>(child);
        PushUndo(new CUndoChangeNodeAttribute(text, nullptr));
        text->SetText(SchematicRows::Text(row));
        text->m_visible = SchematicRows::Checked(row, text->m_visible);
        if (!text->m_visible)
            text->SetSelected(false);
        InvalidateOnSheet(nullptr);
        return;
    }
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        if (r++ != row)
            continue;
        auto* pin = static_cast<CPin*>(child);
        const std::wstring value = SchematicRows::Text(row);
        const bool differs = pin->m_pNet ? value != pin->m_pNet->GetName() : !value.empty();
        auto* board = static_cast<CBoard*>(FindBoardAbove(this));
        if (differs && board) {
            // The fixed net name is part of the pin's attributes: recorded
            // before it changes.
            PushUndo(new CUndoChangeNodeAttribute(pin, nullptr));
            pin->RemoveFromNet();
            pin->m_fixedNetName = value;
            pin->AddToNet(nullptr, board->FindOrAddNet(value));
        }
        InvalidateOnSheet(nullptr);
        return;
    }
    if (m_partsPerPackage >= 2) {
        const int n = row - r;
        if (n >= 0 && n < static_cast<int>(m_partsPerPackage)) {
            std::wstring value = SchematicRows::Text(row);
            if (value == LoadStringText(302))
                value.clear();
            AssignPartToSheet(n, value);
        }
    }
    InvalidateOnSheet(nullptr);
}
