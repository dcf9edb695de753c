#include "board/board_undo_records.h"

#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/undo_list.h"
#include "schematic/net.h"
#include "schematic/text.h"

#include <algorithm>

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
    : m_area(area), m_owner(owner), m_change(area), m_sketch(std::tie(area->m_drawSketch)) {}

CUndoAreaChange::CUndoAreaChange(CArea* area, CProperty* owner, AttributeChange change,
                                 ValueChange<bool> sketch)
    : m_area(area), m_owner(owner), m_change(std::move(change)), m_sketch(std::move(sketch)) {}

std::tuple<bool&> CUndoAreaChange::Sketch() const {
    return std::tie(m_area->m_drawSketch);
}

const CTreeNode* CUndoAreaChange::GetChangedNode() const {
    return m_area;
}

void CUndoAreaChange::TakeOthersValues() {
    m_change.TakeOthers(m_area);
    m_sketch.TakeOthers(Sketch());
}

void CUndoAreaChange::TakeCurrentValues() {
    m_change.TakeCurrent(m_area);
    m_sketch.TakeCurrent(Sketch());
}

bool CUndoAreaChange::FindsValuesAsLeft() const {
    return m_change.FindsAsLeft(m_area) && m_sketch.FindsAsLeft(Sketch());
}

// The sketch drawing is in no attribute, so only the attributes and text
// are told here.
void CUndoAreaChange::ForEachValueAsLeft(const LeftValueVisitor& visit) const {
    m_change.ForEachLeftValue(
        [&](const std::wstring* name, const std::optional<std::wstring>& value) {
            visit(m_area, name, value);
        });
}

// The attributes keep the layer by its code, which names an id.
void CUndoAreaChange::ForEachKeptLayer(const std::function<void(int)>& visit) const {
    if (m_change.ChangedAny([](std::wstring_view name) { return name == L"Layer"; }))
        visit(-1);
}

CUndoItem* CUndoAreaChange::Undo() {
    CNet* before = FindAreaNet(m_area);
    m_change.TakeCurrent(m_area);
    m_sketch.TakeCurrent(Sketch());
    const bool attributes = !m_change.IsEmpty();
    const bool changed = attributes || !m_sketch.IsEmpty();
    if (changed)
        RepaintBoardSide(m_area);
    auto* inverse =
        new CUndoAreaChange(m_area, m_owner, m_change.PutBack(m_area), m_sketch.PutBack(Sketch()));
    if (attributes) {
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

void CUndoAreaChange::FollowNetRename(const CTreeNode* board, const std::wstring& from,
                                      const std::wstring& to) {
    if (m_area->GetParent() == board)
        m_change.FollowRename(L"Net", from, to);
}

// Net references --------------------------------------------------------------

CUndoRenameNetReferences::CUndoRenameNetReferences(CBoard* board, std::wstring from,
                                                   std::wstring to)
    : m_board(board), m_from(std::move(from)), m_to(std::move(to)) {}

const CTreeNode* CUndoRenameNetReferences::GetChangedNode() const {
    return m_board;
}

CUndoItem* CUndoRenameNetReferences::Undo() {
    auto* inverse = new CUndoRenameNetReferences(m_board, m_to, m_from);
    Rename(m_board, m_to, m_from);
    return inverse;
}

void CUndoRenameNetReferences::Rename(CBoard* board, const std::wstring& from,
                                      const std::wstring& to) {
    std::vector<const CTreeNode*> named;
    for (CTreeNode* child : board->GetChildren()) {
        std::wstring* net = nullptr;
        if (child->GetType() == NodeType::Layer) {
            auto* layer = static_cast<CLayer*>(child);
            if (layer->m_layerType == kLayerTypePlane)
                net = &layer->m_net;
        } else if (child->GetType() == NodeType::Area) {
            net = &static_cast<CArea*>(child)->m_net;
        } else {
            continue;
        }
        // A record may keep a value naming from for a node that names
        // another net now (a routing layer that was a plane).
        named.push_back(child);
        if (net && *net == from) {
            *net = to;
            RepaintByView(child);
        }
    }
    if (named.empty())
        return;
    CUndoList::ForEachList([&](CUndoList& list) {
        list.ForEachItemNaming(named,
                               [&](CUndoItem& item) { item.FollowNetRename(board, from, to); });
    });
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
    : m_conductor(conductor), m_change(Fields()) {}

CUndoChangeConductor::CUndoChangeConductor(CConductor* conductor, Change change)
    : m_conductor(conductor), m_change(std::move(change)) {}

std::tuple<std::vector<ConductorVertex>&, int&, float&> CUndoChangeConductor::Fields() const {
    return std::tie(m_conductor->m_vertices, m_conductor->m_layer, m_conductor->m_width);
}

void CUndoChangeConductor::ForEachKeptLayer(const std::function<void(int)>& visit) const {
    if (m_change.Changed<1>()) {
        visit(std::get<1>(m_change.Before()));
        visit(std::get<1>(m_change.Left()));
    }
}

CUndoItem* CUndoChangeConductor::Undo() {
    m_change.TakeCurrent(Fields());
    if (m_change.IsEmpty())
        return new CUndoChangeConductor(m_conductor);
    RepaintBoardSide(m_conductor);
    auto* inverse = new CUndoChangeConductor(m_conductor, m_change.PutBack(Fields()));
    RebuildNetOf(m_conductor);
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
    : m_node(node), m_change(std::tuple(node->GetLayer())) {
    if (index)
        index->MoveToLayer(node, newLayer);
}

CUndoChangeLayer::CUndoChangeLayer(CTreeNode* node, ValueChange<int> change)
    : m_node(node), m_change(std::move(change)) {}

void CUndoChangeLayer::ForEachKeptLayer(const std::function<void(int)>& visit) const {
    if (m_change.Changed<0>()) {
        visit(std::get<0>(m_change.Before()));
        visit(std::get<0>(m_change.Left()));
    }
}

CUndoItem* CUndoChangeLayer::Undo() {
    TakeCurrentValues();
    const int now = m_node->GetLayer();
    if (m_change.IsEmpty())
        return new CUndoChangeLayer(m_node, ValueChange<int>(std::tuple(now)));
    const int before = std::get<0>(m_change.Before());
    if (CBoardLayerIndex* index = FindBoardLayerIndex(m_node))
        index->MoveToLayer(m_node, before);
    m_node->SetLayer(before);
    ValueChange<int> inverse{std::tuple(now)};
    inverse.TakeCurrent({before});
    RepaintBoardSide(m_node);
    return new CUndoChangeLayer(m_node, std::move(inverse));
}

CUndoChangePadLayer::CUndoChangePadLayer(CPadLayer* padLayer, int newLayer, CBoardLayerIndex* index)
    : m_padLayer(padLayer), m_change(Fields()) {
    if (index) {
        index->RemoveFromSet(padLayer, padLayer->m_layer);
        index->AddToSet(padLayer, newLayer);
    }
}

CUndoChangePadLayer::CUndoChangePadLayer(CPadLayer* padLayer, ValueChange<int> change)
    : m_padLayer(padLayer), m_change(std::move(change)) {}

std::tuple<int&> CUndoChangePadLayer::Fields() const {
    return std::tie(m_padLayer->m_layer);
}

const CTreeNode* CUndoChangePadLayer::GetChangedNode() const {
    return m_padLayer;
}

CUndoItem* CUndoChangePadLayer::Undo() {
    TakeCurrentValues();
    if (m_change.IsEmpty())
        return new CUndoChangePadLayer(m_padLayer, ValueChange<int>(Fields()));
    if (CBoardLayerIndex* index = FindBoardLayerIndex(m_padLayer)) {
        index->RemoveFromSet(m_padLayer, m_padLayer->m_layer);
        index->AddToSet(m_padLayer, std::get<0>(m_change.Before()));
    }
    auto* inverse = new CUndoChangePadLayer(m_padLayer, m_change.PutBack(Fields()));
    RepaintBoardSide(m_padLayer);
    return inverse;
}

// A text hidden on the board stays in the layer index, as a fresh index of
// the board has it; drawing and hit tests pass over it.
CUndoChangeBoardVisible::CUndoChangeBoardVisible(CText* text, bool /*newVisible*/,
                                                 CBoardLayerIndex* /*index*/)
    : m_textNode(text), m_change(Fields()) {}

CUndoChangeBoardVisible::CUndoChangeBoardVisible(CText* text, ValueChange<bool> change)
    : m_textNode(text), m_change(std::move(change)) {}

std::tuple<bool&> CUndoChangeBoardVisible::Fields() const {
    return std::tie(m_textNode->m_boardVisible);
}

const CTreeNode* CUndoChangeBoardVisible::GetChangedNode() const {
    return m_textNode;
}

CUndoItem* CUndoChangeBoardVisible::Undo() {
    TakeCurrentValues();
    if (m_change.IsEmpty())
        return new CUndoChangeBoardVisible(m_textNode, ValueChange<bool>(Fields()));
    auto* inverse = new CUndoChangeBoardVisible(m_textNode, m_change.PutBack(Fields()));
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
      m_change(std::tuple(conductor->m_vertices[static_cast<std::size_t>(vertex)])) {}

CUndoConductorNodeChange::CUndoConductorNodeChange(CConductor* conductor, int vertex,
                                                   ValueChange<ConductorVertex> change)
    : m_conductor(conductor), m_vertex(vertex), m_change(std::move(change)) {}

ConductorVertex* CUndoConductorNodeChange::Vertex() const {
    auto& v = m_conductor->m_vertices;
    return m_vertex >= 0 && static_cast<std::size_t>(m_vertex) < v.size()
               ? &v[static_cast<std::size_t>(m_vertex)]
               : nullptr;
}

void CUndoConductorNodeChange::TakeCurrentValues() {
    if (const ConductorVertex* vertex = Vertex())
        m_change.TakeCurrent({*vertex});
}

void CUndoConductorNodeChange::TakeOthersValues() {
    if (const ConductorVertex* vertex = Vertex())
        m_change.TakeOthers({*vertex});
}

bool CUndoConductorNodeChange::FindsValuesAsLeft() const {
    const ConductorVertex* vertex = Vertex();
    return !vertex || m_change.FindsAsLeft({*vertex});
}

CUndoItem* CUndoConductorNodeChange::Undo() {
    ConductorVertex* vertex = Vertex();
    if (!vertex)
        return new CUndoConductorNodeChange(m_conductor, m_vertex, m_change);
    m_change.TakeCurrent({*vertex});
    if (m_change.IsEmpty())
        return new CUndoConductorNodeChange(m_conductor, m_vertex);
    RepaintBoardSide(m_conductor);
    auto* inverse =
        new CUndoConductorNodeChange(m_conductor, m_vertex, m_change.PutBack(std::tie(*vertex)));
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
    : m_copy(primitive->Clone()), m_primitive(primitive), m_marking(primitive->m_pMarking),
      m_token(std::tuple(primitive->ToString())) {}

CUndoMarkingPrimitiveChange::~CUndoMarkingPrimitiveChange() {
    delete m_copy;
}

bool CUndoMarkingPrimitiveChange::InMarking() const {
    const auto* marking = static_cast<const CMarking*>(m_marking);
    return marking && std::find(marking->m_primitives.begin(), marking->m_primitives.end(),
                                m_primitive) != marking->m_primitives.end();
}

void CUndoMarkingPrimitiveChange::TakeCurrentValues() {
    if (InMarking())
        m_token.TakeCurrent({m_primitive->ToString()});
}

void CUndoMarkingPrimitiveChange::TakeOthersValues() {
    if (!InMarking() || !m_token.IsEmpty())
        return;
    const std::wstring now = m_primitive->ToString();
    if (now == std::get<0>(m_token.Left()))
        return;
    // The step changed nothing of it: the copy follows the primitive.
    m_token = ValueChange<std::wstring>(std::tuple(now));
    delete m_copy;
    m_copy = m_primitive->Clone();
}

bool CUndoMarkingPrimitiveChange::FindsValuesAsLeft() const {
    return !InMarking() || m_token.FindsAsLeft({m_primitive->ToString()});
}

CUndoItem* CUndoMarkingPrimitiveChange::Undo() {
    auto* inverse = new CUndoMarkingPrimitiveChange(m_primitive);
    TakeCurrentValues();
    if (InMarking() && m_token.IsEmpty())
        return inverse;
    m_primitive->CopyFrom(m_copy);
    m_primitive->FillPropertyGrid();
    delete m_copy;
    m_copy = nullptr;
    inverse->TakeCurrentValues();
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

void LetGoOfTie(ConductorVertex& vertex, const std::unordered_set<const CTreeNode*>& released) {
    if (const CPad* pad = vertex.tie.GetPad(); pad && released.count(pad))
        vertex.tie = VertexTie();
}
} // namespace

void CUndoChangeConductor::LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) {
    m_change.ForBothValuesOf<0>([&](std::vector<ConductorVertex>& vertices) {
        for (ConductorVertex& vertex : vertices)
            LetGoOfTie(vertex, released);
    });
}

void CUndoConductorNodeChange::LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) {
    m_change.ForBothValuesOf<0>([&](ConductorVertex& vertex) { LetGoOfTie(vertex, released); });
}

void CUndoConductorNodeDelete::LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) {
    LetGoOfTie(m_value, released);
}

void CUndoChangeConductor::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_conductor);
    // Vertices the step left alone follow other histories' changes, ties to
    // pads they hold out of the board among them; they are never put back.
    if (m_change.Changed<0>())
        for (const ConductorVertex& vertex : std::get<0>(m_change.Before()))
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
    if (m_change.Changed<0>())
        VisitTiedPad(std::get<0>(m_change.Before()), visit);
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
