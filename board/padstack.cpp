#include "board/padstack.h"

#include "board/drill.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad_layer.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"

using namespace std::literals;

namespace {

int MapInnerToInr(int layer) {
    return layer >= 2 && layer <= 21 ? static_cast<int>(kPadLayerInner) : layer;
}

void TransformMarkings(CTreeNode* parent, wchar_t key, bool shift) {
    for (CTreeNode* child : parent->GetChildren()) {
        if (child->GetType() != NodeType::Marking)
            continue;
        for (CMarkingPrimitive* p : static_cast<CMarking*>(child)->m_primitives) {
            p->m_grabbed = -1;
            p->m_state = 0;
            p->m_anchor = PointF{0, 0};
            p->TransformByKey(key, shift);
        }
    }
}

constexpr NodeAttributes<CPadstack, 3> kAttributes{{
    Attr::UInt<&CPadstack::m_unit>(L"Unit", 1),
    Attr::FloatPair<&CPadstack::m_gridX, &CPadstack::m_gridY>(L"Grid"),
    Attr::Bool<&CPadstack::m_noThermal>(L"NoThermal", false),
}};
const RegisterNodeAttributes kRegistered(L"Padstack", kAttributes);

} // namespace

CPadstack::CPadstack() : CTreeNode(NodeType::Padstack) {}

CPadstack::CPadstack(const wchar_t* name) : CTreeNode(NodeType::Padstack, name) {}

CPadstack::CPadstack(const CPadstack& other)
    : CTreeNode(other), m_unit(other.m_unit), m_gridX(other.m_gridX), m_gridY(other.m_gridY),
      m_noThermal(other.m_noThermal) {}

CPadstack::~CPadstack() = default;

CTreeNode* CPadstack::Clone() const {
    return new CPadstack(*this);
}

const wchar_t* CPadstack::GetTagName() const {
    return L"Padstack";
}

// A footprint's padstacks keep whatever their elements hold: the editor's
// unit and grid belong to a library padstack.
void CPadstack::ReadAttributes() {
    if (!GetParentFootprint())
        kAttributes.Read(*this);
}

void CPadstack::WriteAttributes() {
    if (!GetParentFootprint())
        kAttributes.Write(*this);
}

CFootprint* CPadstack::GetParentFootprint() const {
    CTreeNode* p = GetParent();
    return p && p->GetType() == NodeType::Footprint ? static_cast<CFootprint*>(p) : nullptr;
}

const std::vector<CTreeNode*>& CPadstack::GetShapes() const {
    if (!m_shapesKnown) {
        m_shapes.clear();
        for (CTreeNode* child : GetChildren())
            if (child->GetType() != NodeType::Pad)
                m_shapes.push_back(child);
        m_shapesKnown = true;
    }
    return m_shapes;
}

void CPadstack::ChildrenChanged(CTreeNode* child) {
    if (!child || child->GetType() != NodeType::Pad)
        m_shapesKnown = false;
}

int CPadstack::GetPadCount() const {
    int n = 0;
    for (CTreeNode* child : GetChildren())
        n += child->GetType() == NodeType::Pad;
    return n;
}

CDrill* CPadstack::FindDrill() const {
    for (CTreeNode* child : GetShapes())
        if (child->GetType() == NodeType::Drill)
            return static_cast<CDrill*>(child);
    return nullptr;
}

CDrill* CPadstack::FindEqualDrill(const CDrill* drill) const {
    if (drill->m_drillType == kDrillNone)
        return nullptr;
    for (CTreeNode* child : GetShapes())
        if (child->GetType() == NodeType::Drill && static_cast<CDrill*>(child)->IsEqual(drill))
            return static_cast<CDrill*>(child);
    return nullptr;
}

namespace {

// Every pad layer and drill of a has its match in b.
bool Covers(const CPadstack* a, const CPadstack* b) {
    for (CTreeNode* child : a->GetShapes()) {
        if (child->GetType() == NodeType::PadLayer) {
            const auto* layer = static_cast<const CPadLayer*>(child);
            const CPadLayer* match = b->FindPadLayer(layer->m_layer);
            if (!match || layer->IsDifferent(match))
                return false;
        } else if (child->GetType() == NodeType::Drill) {
            if (!b->FindEqualDrill(static_cast<const CDrill*>(child)))
                return false;
        }
    }
    return true;
}

} // namespace

bool CPadstack::IsIdentical(const CPadstack* other) const {
    if (!other || m_text != other->m_text)
        return false;
    return Covers(this, other) && Covers(other, this);
}

CPadLayer* CPadstack::FindPadLayer(int value) const {
    for (CTreeNode* child : GetShapes())
        if (child->GetType() == NodeType::PadLayer &&
            static_cast<CPadLayer*>(child)->m_layer == value)
            return static_cast<CPadLayer*>(child);
    return nullptr;
}

CPadLayer* CPadstack::FindPadLayerForBoardLayer(int layer) const {
    return FindPadLayer(MapInnerToInr(layer));
}

CMarking* CPadstack::FindMarkingForBoardLayer(int layer) const {
    return FindMarking(MapInnerToInr(layer));
}

CMarking* CPadstack::FindMarking(const CTreeNode* parent, int value) {
    if (!parent)
        return nullptr;
    const std::vector<CTreeNode*>& children =
        parent->GetType() == NodeType::Padstack ? static_cast<const CPadstack*>(parent)->GetShapes()
                                                : parent->GetChildren();
    for (CTreeNode* child : children)
        if (child->GetType() == NodeType::Marking &&
            static_cast<CMarking*>(child)->m_layer == value)
            return static_cast<CMarking*>(child);
    return nullptr;
}

CMarking* CPadstack::GetMarking(CTreeNode* parent, int value, bool create) {
    if (CMarking* found = FindMarking(parent, value))
        return found;
    if (!create || !parent)
        return nullptr;
    auto* marking = new CMarking(value);
    parent->AddChild(marking);
    PushUndo(new CUndoInsert(marking, nullptr));
    return marking;
}

CMarking* FindOrAddMarking(CTreeNode* node, int value) {
    return CPadstack::GetMarking(node, value, true);
}

int CPadstack::GetSurfaceMountSide() const {
    if (FindDrill())
        return -1;
    const bool top = FindPadLayer(kPadLayerTop) != nullptr;
    const bool bottom = FindPadLayer(kPadLayerBottom) != nullptr;
    if (top && !bottom)
        return 0;
    if (bottom && !top)
        return 1;
    return -1;
}

void CPadstack::Rotate90(bool shift) {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::PadLayer)
            static_cast<CPadLayer*>(child)->Rotate90(shift);
        else if (child->GetType() == NodeType::Drill)
            static_cast<CDrill*>(child)->Rotate90(shift);
    }
    TransformMarkings(this, L'R', shift);
}

void CPadstack::MirrorHorizontally() {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::PadLayer)
            static_cast<CPadLayer*>(child)->MirrorHorizontally();
        else if (child->GetType() == NodeType::Drill)
            static_cast<CDrill*>(child)->MirrorHorizontally();
    }
    TransformMarkings(this, L'H', false);
}

void CPadstack::MirrorVertically() {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::PadLayer)
            static_cast<CPadLayer*>(child)->MirrorVertically();
        else if (child->GetType() == NodeType::Drill)
            static_cast<CDrill*>(child)->MirrorVertically();
    }
    TransformMarkings(this, L'V', false);
}
