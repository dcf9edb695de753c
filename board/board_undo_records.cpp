#include "board/board_undo_records.h"

#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "schematic/net.h"
#include "schematic/text.h"

namespace {

void RebuildNetOf(CTreeNode* node) {
    CTreeNode* net = node ? node->GetParent() : nullptr;
    if (!net || net->GetType() != NodeType::Net)
        return;
    Graphics* g = MakeActiveViewGraphics();
    static_cast<CNet*>(net)->BuildConnectionGraph(g);
    ReleaseActiveViewGraphics(g);
}

CNet* FindAreaNet(CArea* area) {
    CTreeNode* parent = area->GetParent();
    if (!parent || parent->GetType() != NodeType::Board)
        return nullptr;
    return static_cast<CBoard*>(parent)->FindNet(area->m_net);
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

CUndoAreaChange::CUndoAreaChange(CArea* area, CProperty* owner)
    : m_area(area), m_owner(owner), m_change(area) {}

CUndoAreaChange::CUndoAreaChange(CArea* area, CProperty* owner, AttributeChange change)
    : m_area(area), m_owner(owner), m_change(std::move(change)) {}

const CTreeNode* CUndoAreaChange::GetChangedNode() const {
    return m_area;
}

void CUndoAreaChange::TakeOthersValues() {
    m_change.TakeOthers(m_area);
}

void CUndoAreaChange::TakeCurrentValues() {
    m_change.TakeCurrent(m_area);
}

bool CUndoAreaChange::FindsValuesAsLeft() const {
    return m_change.FindsAsLeft(m_area);
}

void CUndoAreaChange::ForEachValueAsLeft(const LeftValueVisitor& visit) const {
    m_change.ForEachLeftValue(
        [&](const std::wstring* name, const std::optional<std::wstring>& value) {
            visit(m_area, name, value);
        });
}

CUndoItem* CUndoAreaChange::Undo() {
    CNet* before = FindAreaNet(m_area);
    m_change.TakeCurrent(m_area);
    const bool changed = !m_change.IsEmpty();
    if (changed)
        RepaintBoardSide(m_area);
    auto* inverse = new CUndoAreaChange(m_area, m_owner, m_change.PutBack(m_area));
    if (changed) {
        m_area->ReadAttributes();
        RebuildNet(before);
        CNet* after = FindAreaNet(m_area);
        if (after != before)
            RebuildNet(after);
    }
    if (m_owner)
        m_owner->FillPropertyGrid();
    if (changed)
        RepaintBoardSide(m_area);
    return inverse;
}

CUndoAreaChangeHead::CUndoAreaChangeHead(CAreaNode** head) : m_field(head), m_head(*head) {}

CUndoItem* CUndoAreaChangeHead::Undo() {
    auto* inverse = new CUndoAreaChangeHead(m_field);
    *m_field = m_head;
    RepaintWholeWindow();
    return inverse;
}

CUndoAreaNodeChange::CUndoAreaNodeChange(CAreaNode* node) : m_copy(node->Clone()), m_node(node) {}

CUndoAreaNodeChange::~CUndoAreaNodeChange() {
    delete m_copy;
}

CUndoItem* CUndoAreaNodeChange::Undo() {
    auto* inverse = new CUndoAreaNodeChange(m_node);
    m_node->CopyFrom(m_copy);
    m_node->FillPropertyGrid();
    delete m_copy;
    m_copy = nullptr;
    RepaintWholeWindow();
    return inverse;
}

CUndoAreaNodeDelete::CUndoAreaNodeDelete(CAreaNode* node)
    : m_node(node), m_neighbour(node->m_next ? node->m_next : node->m_prev),
      m_neighbourIsNext(node->m_next != nullptr) {}

CUndoAreaNodeDelete::~CUndoAreaNodeDelete() {
    delete m_node;
}

CUndoItem* CUndoAreaNodeDelete::Undo() {
    CAreaNode* node = m_node;
    if (m_neighbour) {
        if (m_neighbourIsNext)
            m_neighbour->InsertBefore(node);
        else
            m_neighbour->InsertAfter(node);
    }
    m_node = nullptr;
    if (node->GetKind() == AREA_ARC)
        static_cast<CAreaArc*>(node)->UpdateGeometry();
    CAreaNode* before = node->GetPrevCyclic();
    if (before != node && before->GetKind() == AREA_ARC)
        static_cast<CAreaArc*>(before)->UpdateGeometry();
    RepaintWholeWindow();
    return new CUndoAreaNodeInsert(node);
}

CUndoAreaNodeInsert::CUndoAreaNodeInsert(CAreaNode* node) : m_node(node) {}

CUndoItem* CUndoAreaNodeInsert::Undo() {
    auto* inverse = new CUndoAreaNodeDelete(m_node);
    CAreaNode* before = m_node->GetPrevCyclic();
    m_node->Unlink();
    if (before != m_node && before->GetKind() == AREA_ARC)
        static_cast<CAreaArc*>(before)->UpdateGeometry();
    RepaintWholeWindow();
    return inverse;
}

CUndoAreaSwap::CUndoAreaSwap(CAreaNode** head) : m_field(head), m_outline(*head) {}

CUndoAreaSwap::~CUndoAreaSwap() {
    DeleteAreaOutline(m_outline);
}

CUndoItem* CUndoAreaSwap::Undo() {
    auto* inverse = new CUndoAreaSwap(m_field);
    *m_field = m_outline;
    m_outline = nullptr;
    RepaintWholeWindow();
    return inverse;
}

// Conductors ----------------------------------------------------------------

CUndoChangeConductor::CUndoChangeConductor(CConductor* conductor)
    : m_conductor(conductor), m_copy(static_cast<CConductor*>(conductor->Clone())) {}

CUndoChangeConductor::~CUndoChangeConductor() {
    delete m_copy;
}

CUndoItem* CUndoChangeConductor::Undo() {
    auto* inverse = new CUndoChangeConductor(m_conductor);
    RepaintBoardSide(m_conductor);
    m_conductor->m_vertices = m_copy->m_vertices;
    m_conductor->m_layer = m_copy->m_layer;
    m_conductor->m_width = m_copy->m_width;
    RebuildNetOf(m_conductor);
    delete m_copy;
    m_copy = nullptr;
    RepaintBoardSide(m_conductor);
    return inverse;
}

CUndoChangeFootprintPos::CUndoChangeFootprintPos(CFootprint* footprint)
    : m_footprint(footprint), m_change(footprint) {}

CUndoChangeFootprintPos::CUndoChangeFootprintPos(CFootprint* footprint, AttributeChange change)
    : m_footprint(footprint), m_change(std::move(change)) {}

void CUndoChangeFootprintPos::TakeOthersValues() {
    m_change.TakeOthers(m_footprint);
}

void CUndoChangeFootprintPos::TakeCurrentValues() {
    m_change.TakeCurrent(m_footprint);
}

bool CUndoChangeFootprintPos::FindsValuesAsLeft() const {
    return m_change.FindsAsLeft(m_footprint);
}

void CUndoChangeFootprintPos::ForEachValueAsLeft(const LeftValueVisitor& visit) const {
    m_change.ForEachLeftValue(
        [&](const std::wstring* name, const std::optional<std::wstring>& value) {
            visit(m_footprint, name, value);
        });
}

CUndoItem* CUndoChangeFootprintPos::Undo() {
    auto* inverse = new CUndoChangeFootprintPos(m_footprint, m_change.PutBack(m_footprint));
    if (inverse->m_change.IsEmpty())
        return inverse;
    RepaintWholeWindow();
    m_footprint->ReadAttributes();
    Graphics* g = MakeActiveViewGraphics();
    m_footprint->RebuildNetGraphs(g);
    ReleaseActiveViewGraphics(g);
    RepaintWholeWindow();
    return inverse;
}

CUndoChangeLayer::CUndoChangeLayer(CTreeNode* node, int newLayer, CBoardLayerIndex* index)
    : m_node(node), m_layer(node->GetLayer()) {
    if (index) {
        index->Remove(node);
        index->AddToSet(node, newLayer);
    }
}

CUndoItem* CUndoChangeLayer::Undo() {
    auto* inverse = new CUndoChangeLayer(m_node, m_layer, FindBoardLayerIndex(m_node));
    m_node->SetLayer(m_layer);
    RepaintBoardSide(m_node);
    return inverse;
}

CUndoChangePadLayer::CUndoChangePadLayer(CPadLayer* padLayer, int newLayer, CBoardLayerIndex* index)
    : m_padLayer(padLayer), m_layer(padLayer->m_layer) {
    if (index) {
        index->RemoveFromSet(padLayer, m_layer);
        index->AddToSet(padLayer, newLayer);
    }
}

const CTreeNode* CUndoChangePadLayer::GetChangedNode() const {
    return m_padLayer;
}

CUndoItem* CUndoChangePadLayer::Undo() {
    auto* inverse = new CUndoChangePadLayer(m_padLayer, m_layer, FindBoardLayerIndex(m_padLayer));
    m_padLayer->m_layer = m_layer;
    RepaintBoardSide(m_padLayer);
    return inverse;
}

CUndoChangeBoardVisible::CUndoChangeBoardVisible(CText* text, bool newVisible,
                                                 CBoardLayerIndex* index)
    : m_textNode(text), m_visible(text->m_boardVisible) {
    if (index && newVisible != m_visible) {
        if (newVisible)
            index->Add(text);
        else
            index->Remove(text);
    }
}

const CTreeNode* CUndoChangeBoardVisible::GetChangedNode() const {
    return m_textNode;
}

CUndoItem* CUndoChangeBoardVisible::Undo() {
    auto* inverse =
        new CUndoChangeBoardVisible(m_textNode, m_visible, FindBoardLayerIndex(m_textNode));
    m_textNode->m_boardVisible = m_visible;
    RepaintBoardSide(m_textNode);
    return inverse;
}

CUndoConductorInsert::CUndoConductorInsert(CConductor* conductor, CBoardLayerIndex* index)
    : m_conductor(conductor) {
    if (index)
        index->Add(conductor);
}

CUndoItem* CUndoConductorInsert::Undo() {
    auto* inverse = new CUndoConductorDelete(m_conductor, FindBoardLayerIndex(m_conductor));
    RepaintBoardSide(m_conductor);
    CTreeNode* net = m_conductor->GetParent();
    m_conductor->RemoveFromParent();
    if (net && net->GetType() == NodeType::Net)
        RebuildNet(static_cast<CNet*>(net));
    return inverse;
}

CUndoConductorDelete::CUndoConductorDelete(CConductor* conductor, CBoardLayerIndex* index)
    : m_conductor(conductor), m_net(conductor->GetParent()),
      m_childIndex(conductor->GetIndexInParent()) {
    if (index)
        index->Remove(conductor);
}

CUndoConductorDelete::~CUndoConductorDelete() {
    if (m_conductor && !m_conductor->GetParent())
        delete m_conductor;
}

const CTreeNode* CUndoConductorDelete::GetHeldNode() const {
    return m_conductor && !m_conductor->GetParent() ? m_conductor : nullptr;
}

CUndoItem* CUndoConductorDelete::Undo() {
    CConductor* conductor = m_conductor;
    if (m_net) {
        if (m_childIndex < 0)
            m_net->AddChild(conductor);
        else
            m_net->InsertChildAt(static_cast<std::size_t>(m_childIndex), conductor);
    }
    m_conductor = nullptr;
    auto* inverse = new CUndoConductorInsert(conductor, FindBoardLayerIndex(conductor));
    RebuildNetOf(conductor);
    RepaintBoardSide(conductor);
    return inverse;
}

CUndoConductorNodeChange::CUndoConductorNodeChange(CConductor* conductor, int vertex)
    : m_conductor(conductor), m_vertex(vertex),
      m_value(conductor->m_vertices[static_cast<std::size_t>(vertex)]) {}

CUndoItem* CUndoConductorNodeChange::Undo() {
    auto* inverse = new CUndoConductorNodeChange(m_conductor, m_vertex);
    RepaintBoardSide(m_conductor);
    m_conductor->m_vertices[static_cast<std::size_t>(m_vertex)] = m_value;
    RebuildNetOf(m_conductor);
    RepaintBoardSide(m_conductor);
    return inverse;
}

CUndoConductorNodeDelete::CUndoConductorNodeDelete(CConductor* conductor, int vertex)
    : m_conductor(conductor), m_vertex(vertex),
      m_value(conductor->m_vertices[static_cast<std::size_t>(vertex)]) {}

CUndoItem* CUndoConductorNodeDelete::Undo() {
    auto& v = m_conductor->m_vertices;
    v.insert(v.begin() + m_vertex, m_value);
    RebuildNetOf(m_conductor);
    RepaintBoardSide(m_conductor);
    return new CUndoConductorNodeInsert(m_conductor, m_vertex);
}

CUndoConductorNodeInsert::CUndoConductorNodeInsert(CConductor* conductor, int vertex)
    : m_conductor(conductor), m_vertex(vertex) {}

CUndoItem* CUndoConductorNodeInsert::Undo() {
    auto* inverse = new CUndoConductorNodeDelete(m_conductor, m_vertex);
    RepaintBoardSide(m_conductor);
    auto& v = m_conductor->m_vertices;
    v.erase(v.begin() + m_vertex);
    RebuildNetOf(m_conductor);
    return inverse;
}

// Marking primitives --------------------------------------------------------

CUndoMarkingPrimitiveChange::CUndoMarkingPrimitiveChange(CMarkingPrimitive* primitive)
    : m_copy(primitive->Clone()), m_primitive(primitive), m_marking(primitive->m_pMarking) {}

CUndoMarkingPrimitiveChange::~CUndoMarkingPrimitiveChange() {
    delete m_copy;
}

CUndoItem* CUndoMarkingPrimitiveChange::Undo() {
    auto* inverse = new CUndoMarkingPrimitiveChange(m_primitive);
    m_primitive->CopyFrom(m_copy);
    m_primitive->FillPropertyGrid();
    delete m_copy;
    m_copy = nullptr;
    RepaintWholeWindow();
    return inverse;
}

CUndoMarkingPrimitiveInsert::CUndoMarkingPrimitiveInsert(CMarking* marking, int index)
    : m_marking(marking), m_index(index) {}

CUndoItem* CUndoMarkingPrimitiveInsert::Undo() {
    auto* inverse = new CUndoMarkingPrimitiveDelete(m_marking, m_index);
    auto& v = m_marking->m_primitives;
    v.erase(v.begin() + m_index);
    RepaintWholeWindow();
    return inverse;
}

CUndoMarkingPrimitiveDelete::CUndoMarkingPrimitiveDelete(CMarking* marking, int index)
    : m_marking(marking), m_index(index),
      m_primitive(marking->m_primitives[static_cast<std::size_t>(index)]) {}

CUndoMarkingPrimitiveDelete::~CUndoMarkingPrimitiveDelete() {
    delete m_primitive;
}

CUndoItem* CUndoMarkingPrimitiveDelete::Undo() {
    auto& v = m_marking->m_primitives;
    v.insert(v.begin() + m_index, m_primitive);
    m_primitive = nullptr;
    RepaintWholeWindow();
    return new CUndoMarkingPrimitiveInsert(m_marking, m_index);
}

// The nodes each record acts on --------------------------------------------

namespace {
// A copied vertex puts its tie back: the pad it names must still be there.
void VisitTiedPad(const ConductorVertex& vertex,
                  const std::function<void(const CTreeNode*)>& visit) {
    if (const CPad* pad = vertex.tie.GetPad())
        visit(pad);
}
} // namespace

void CUndoChangeConductor::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_conductor);
    if (m_copy)
        for (const ConductorVertex& vertex : m_copy->m_vertices)
            VisitTiedPad(vertex, visit);
}

void CUndoChangeFootprintPos::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_footprint);
}

void CUndoConductorDelete::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_conductor);
    if (m_net)
        visit(m_net);
    // Put back, the held conductor ties to its pads again.
    for (const ConductorVertex& vertex : m_conductor->m_vertices)
        VisitTiedPad(vertex, visit);
}

void CUndoConductorNodeChange::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_conductor);
    VisitTiedPad(m_value, visit);
}

void CUndoConductorNodeDelete::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_conductor);
    VisitTiedPad(m_value, visit);
}

void CUndoConductorNodeInsert::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_conductor);
}

void CUndoMarkingPrimitiveChange::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    // Not the primitive itself: the record may outlive it on a path the
    // history never takes back.
    if (m_marking)
        visit(m_marking);
}

void CUndoMarkingPrimitiveInsert::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_marking);
}

void CUndoMarkingPrimitiveDelete::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_marking);
}
