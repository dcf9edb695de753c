#include "schematic/part.h"

#include "board/board.h"
#include "core/attribute_name.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part_primitive_list.h"
#include "schematic/pin.h"
#include "schematic/schematic_rows.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/sheet_name_attribute.h"

using namespace std::literals;

namespace {

CTreeNode* BoardAbove(const CPart& part) {
    return FindBoardAbove(&part);
}

constexpr NodeAttributes<CPart, 3> kAttributes{{
    Attr::IntPair<&CPart::m_position, CPart>(L"XY"),
    Attr::SheetName<CPart, BoardAbove, false>(),
    Attr::IntPair<&CPart::m_size, CPart>(L"Outline"),
}};
const RegisterNodeAttributes kRegistered(L"Part", kAttributes);

} // namespace

CPart::CPart() : CSheetObject(NodeType::Part) {}

CPart::CPart(const CPart& other) : CSheetObject(other), m_placing(other.m_placing) {
    ClonePartPrimitives(other.m_primitives, this, m_primitives);
}

CPart::~CPart() {
    DeletePartPrimitives(m_primitives);
}

void CPart::ClearOwnSelection() {
    CTreeNode::ClearOwnSelection();
    for (CPartPrimitive* p : m_primitives)
        p->SetSelected(false);
}

CTreeNode* CPart::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CPart(*this));
}

const wchar_t* CPart::GetTagName() const {
    return L"Part";
}

void CPart::ReadAttributes() {
    kAttributes.Read(*this);
    // Read back by an undo or redo, the part lies where its attributes say:
    // a move to another sheet that was still waiting for its click is over.
    m_placing = false;
    SetSelected(false);
    SyncPinSelection();
    ReadPrimitives();
}

void CPart::WriteAttributes() {
    kAttributes.Write(*this);
    WritePrimitives();
}

void CPart::ReadPrimitives() {
    ReadPartPrimitives(this, m_text, m_primitives);
}

void CPart::WritePrimitives() {
    // Built in a scratch string that keeps its room from part to part, and
    // kept when unchanged.
    thread_local std::wstring text;
    text.clear();
    AppendPartPrimitives(m_primitives, text);
    if (!AttributeNameIs(m_text, text))
        m_text.assign(text);
}

const PartPrimitiveList& CPart::GetDrawnPrimitives() const {
    const CPart* source = GetPrimitiveSource();
    return source ? source->m_primitives : m_primitives;
}

CPackage* CPart::GetPackage() const {
    CTreeNode* parent = GetParent();
    return parent && parent->GetType() == NodeType::Package ? static_cast<CPackage*>(parent)
                                                            : nullptr;
}

const CPart* CPart::GetPrimitiveSource() const {
    CPackage* package = GetPackage();
    if (!package || package->m_heterogeneous)
        return this;
    return package->GetPart(0);
}

void CPart::SyncPinSelection() {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Pin)
            child->SetSelected(IsSelected());
}

void CPart::DisconnectPins() {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        static_cast<CPin*>(child)->RemoveFromNet();
        child->m_selected = 0;
    }
}

namespace {
// In 64 bits: a file may hold any 32-bit corner and size.
bool SpansOverlap(int64_t a, int64_t aLen, int64_t b, int64_t bLen) {
    return (b <= a && a < b + bLen) || (a <= b && b < a + aLen);
}
} // namespace

bool CPart::TouchesOtherPart() const {
    CPackage* package = GetPackage();
    if (!package)
        return false;
    for (CTreeNode* child : package->GetChildren()) {
        if (child == this || child->GetType() != NodeType::Part || !child->IsOnSheet())
            continue;
        const POINT o = child->m_position;
        const SIZE os = child->m_size;
        if (m_position.x == int64_t{o.x} + os.cx &&
            SpansOverlap(m_position.y, m_size.cy, o.y, os.cy))
            return true;
        if (m_position.y == int64_t{o.y} + os.cy &&
            SpansOverlap(m_position.x, m_size.cx, o.x, os.cx))
            return true;
    }
    return false;
}

int CPart::GetPartNumber() const {
    CPackage* package = GetPackage();
    if (!package || package->m_partsPerPackage == 1)
        return 0;
    int count = 0;
    for (CTreeNode* child : package->GetChildren()) {
        if (child->GetType() != NodeType::Part || !child->IsOnSheet())
            continue;
        const bool touches = static_cast<CPart*>(child)->TouchesOtherPart();
        if (!touches)
            ++count;
        if (child == this)
            return touches ? -1 : count;
    }
    return 0;
}

void CPart::AppendPartSuffix(std::wstring& text) const {
    CPackage* package = GetPackage();
    if (!package || package->m_partsPerPackage == 1 || !IsOnSheet())
        return;
    const int n = GetPartNumber();
    if (n < 0)
        text.clear();
    else if (n > 0)
        text += StrPrintf(L".%d", n % 1000);
}

void CPart::FillPropertyGrid() {
    CPackage* package = GetPackage();
    CPin* power = package ? package->GetPowerPin() : nullptr;
    if (!power) {
        if (package)
            package->FillPropertyGrid();
        return;
    }
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(380);
    grid->AddText(163, PropertyText(power->m_fixedNetName));
}

void CPart::ApplyPropertyChange(int row) {
    CPackage* package = GetPackage();
    CPin* pin = package ? package->GetPowerPin() : nullptr;
    if (!pin) {
        if (package)
            package->ApplyPropertyChange(row);
        return;
    }
    if (!g_pActiveView)
        return;
    const std::wstring name = SchematicRows::Text(row);
    if (name.empty()) {
        ShowMessageBox(LoadStringText(381), L"Vorpel", MB_OK | MB_ICONEXCLAMATION);
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->RefuseValue(false);
        return;
    }
    if (name == pin->m_fixedNetName)
        return;
    StartUndoGroup();
    PushUndo(new CUndoChangeNodeAttribute(pin, nullptr));
    // The old label goes from the screen, the new one comes.
    InvalidateOnSheet(nullptr);
    pin->m_fixedNetName = name;
    InvalidateOnSheet(nullptr);
    CNet* net = pin->m_pNet;
    if (!net)
        return;
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    if (CWire* wire = net->FindWireAt(pin->GetConnectionPoint(), pin->GetSheet())) {
        net->SplitAtWire(wire, name);
    } else if (auto* board = static_cast<CBoard*>(FindBoardAbove(net))) {
        // No wire holds the symbol: it moves to the named net alone.
        pin->RemoveFromNet();
        pin->AddToNet(nullptr, board->FindOrAddNet(name));
        if (net->GetChildCount() == 0 && net->m_pins.empty() && net->GetParent()) {
            PushUndo(new CUndoDelete(net, nullptr));
            net->RemoveFromParent();
        }
    }
}
