#include "core/undo_node_records.h"

#include "board/board_layer_index.h"
#include "board/footprint.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/tree_node.h"
#include "schematic/package.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"

#include <algorithm>
#include <vector>

namespace {

CSheetObject* AsPlacedSheetObject(CTreeNode* node) {
    auto* object = dynamic_cast<CSheetObject*>(node);
    return object && object->m_pSheet ? object : nullptr;
}

// Every placed sheet object of the subtree of node (node first).
void CollectPlacedSheetObjects(CTreeNode* node, std::vector<CSheetObject*>& out) {
    if (CSheetObject* object = AsPlacedSheetObject(node))
        out.push_back(object);
    for (CTreeNode* child : node->GetChildren())
        CollectPlacedSheetObjects(child, out);
}

// Puts the placed sheet objects of a subtree back on their sheets.
void ShowOnSheets(CTreeNode* node, bool withSubtree) {
    std::vector<CSheetObject*> objects;
    if (withSubtree)
        CollectPlacedSheetObjects(node, objects);
    else if (CSheetObject* object = AsPlacedSheetObject(node))
        objects.push_back(object);
    for (CSheetObject* object : objects)
        object->m_pSheet->AddObject(object);
}

// A node reinserted at a position that was not found goes to the end.
void InsertAt(CTreeNode* parent, int index, CTreeNode* node) {
    if (index < 0)
        parent->AddChild(node);
    else
        parent->InsertChildAt(static_cast<std::size_t>(index), node);
}

} // namespace

namespace {
// The board's settings (its via definitions among them) are never drawn:
// the index leaves them out, as a fresh build does.
bool InBoardSettings(const CTreeNode* node) {
    for (; node; node = node->GetParent())
        if (node->GetType() == NodeType::BoardProperties)
            return true;
    return false;
}
} // namespace

void IndexInsertedNode(CTreeNode* node) {
    CBoardLayerIndex* index = FindBoardLayerIndex(node);
    if (!index || InBoardSettings(node))
        return;
    switch (node->GetType()) {
    case NodeType::Padstack:
        index->AddPadstack(static_cast<CPadstack*>(node));
        break;
    case NodeType::Footprint:
        index->AddFootprint(static_cast<CFootprint*>(node));
        break;
    case NodeType::Package:
        if (CFootprint* footprint = static_cast<CPackage*>(node)->GetFootprint())
            index->AddFootprint(footprint);
        break;
    case NodeType::Net:
        // Its tracks and vias come with records of their own.
        index->AddToSet(node, CBoardLayerIndex::kTopSet);
        break;
    case NodeType::PadLayer:
        // A pad layer has no layer of its own to report; it would stay in
        // the index after its deletion.
        index->AddPadLayer(node);
        break;
    default:
        index->Add(node);
        break;
    }
}

void IndexRemovedNode(CTreeNode* node) {
    CBoardLayerIndex* index = FindBoardLayerIndex(node);
    if (!index || InBoardSettings(node))
        return;
    switch (node->GetType()) {
    case NodeType::Padstack:
        index->RemovePadstack(static_cast<CPadstack*>(node));
        break;
    case NodeType::Footprint:
        index->RemoveFootprint(static_cast<CFootprint*>(node));
        break;
    case NodeType::Package:
        if (CFootprint* footprint = static_cast<CPackage*>(node)->GetFootprint())
            index->RemoveFootprint(footprint);
        break;
    case NodeType::Net:
        // Its tracks and vias leave with it, whoever takes it away: the
        // index must not keep what the record may free.
        index->RemoveFromSet(node, CBoardLayerIndex::kTopSet);
        for (CTreeNode* child : node->GetChildren())
            if (child->GetType() == NodeType::Conductor)
                index->Remove(child);
            else if (child->GetType() == NodeType::Padstack)
                index->RemovePadstack(static_cast<CPadstack*>(child));
        break;
    case NodeType::PadLayer:
        index->RemovePadLayer(node);
        break;
    default:
        index->Remove(node);
        break;
    }
}

// Referrers ---------------------------------------------------------------

namespace {
const std::vector<uint64_t>* g_leftOut = nullptr; // sorted

std::vector<uint64_t> ReferrersOf(const CTreeNode* node, bool leaveOutFollowers) {
    std::vector<uint64_t> sequences;
    for (const CTreeNode* child : node->GetChildren())
        sequences.push_back(child->m_sequence);
    node->ForEachReferrer([&sequences, leaveOutFollowers](const CTreeNode* n) {
        if (!leaveOutFollowers ||
            (n->GetType() != NodeType::Layer && n->GetType() != NodeType::Area))
            sequences.push_back(n->m_sequence);
    });
    std::sort(sequences.begin(), sequences.end());
    sequences.erase(std::unique(sequences.begin(), sequences.end()), sequences.end());
    if (g_leftOut)
        std::erase_if(sequences, [](uint64_t sequence) {
            return std::binary_search(g_leftOut->begin(), g_leftOut->end(), sequence);
        });
    return sequences;
}
} // namespace

Referrers::LeftOut::LeftOut(const std::vector<const CTreeNode*>& nodes) {
    for (const CTreeNode* node : nodes)
        if (node)
            m_sequences.push_back(node->m_sequence);
    std::sort(m_sequences.begin(), m_sequences.end());
    m_outer = g_leftOut;
    g_leftOut = &m_sequences;
}

Referrers::LeftOut::~LeftOut() {
    g_leftOut = m_outer;
}

void Referrers::Take(const CTreeNode* node) {
    std::vector<uint64_t> now = ReferrersOf(node, m_leaveOutFollowers);
    // A node left out is neither added nor dropped: the record naming it
    // may be taken before its change, the node naming this one all along.
    if (g_leftOut && m_taken) {
        for (uint64_t sequence : *g_leftOut)
            if (std::binary_search(m_sequences.begin(), m_sequences.end(), sequence))
                now.push_back(sequence);
        std::sort(now.begin(), now.end());
        now.erase(std::unique(now.begin(), now.end()), now.end());
    }
    m_sequences = std::move(now);
    m_taken = true;
}

void Referrers::Clear() {
    m_sequences.clear();
    m_taken = false;
}

bool Referrers::FindsAsLeft(const CTreeNode* node) const {
    if (!m_taken)
        return true;
    const std::vector<uint64_t> now = ReferrersOf(node, m_leaveOutFollowers);
    return std::includes(m_sequences.begin(), m_sequences.end(), now.begin(), now.end());
}

// Insert ------------------------------------------------------------------

CUndoInsert::CUndoInsert(CTreeNode* node, CProperty* owner, bool withSubtree)
    : m_node(node), m_owner(owner), m_withSubtree(withSubtree) {
    IndexInsertedNode(node);
    ShowOnSheets(node, withSubtree);
}

CUndoItem* CUndoInsert::Undo() {
    auto* inverse = new CUndoDelete(m_node, m_owner, m_withSubtree);
    RepaintBySide(m_node);
    if (m_owner)
        m_owner->FillPropertyGrid();
    m_node->RemoveFromParent();
    return inverse;
}

// Delete ------------------------------------------------------------------

CUndoDelete::CUndoDelete(CTreeNode* node, CProperty* owner, bool withSubtree)
    : m_node(node), m_parent(node->GetParent()), m_owner(owner), m_index(node->GetIndexInParent()),
      m_withSubtree(withSubtree) {
    IndexRemovedNode(node);
    // A net or package leaves with its wires, parts and texts; each keeps
    // its sheet so that an undo finds it again.
    std::vector<CSheetObject*> objects;
    if (withSubtree)
        CollectPlacedSheetObjects(node, objects);
    else if (CSheetObject* object = AsPlacedSheetObject(node))
        objects.push_back(object);
    for (CSheetObject* object : objects) {
        CSheet* sheet = object->m_pSheet;
        sheet->RemoveObject(object);
        object->m_pSheet = sheet;
    }
    // A package must not keep pointing at a footprint that leaves it.
    if (m_parent && m_parent->GetType() == NodeType::Package &&
        node->GetType() == NodeType::Footprint)
        static_cast<CPackage*>(m_parent)->ClearFootprintCache();
}

CUndoDelete::~CUndoDelete() {
    // Only a node that really left the tree belongs to the record.
    if (m_node && !m_node->GetParent())
        delete m_node;
}

const CTreeNode* CUndoDelete::GetHeldNode() const {
    return m_node && !m_node->GetParent() ? m_node : nullptr;
}

CUndoItem* CUndoDelete::Undo() {
    CTreeNode* node = m_node;
    if (m_parent)
        InsertAt(m_parent, m_index, node);
    auto* inverse = new CUndoInsert(node, m_owner, m_withSubtree);
    if (m_parent && m_parent->GetType() == NodeType::Package &&
        node->GetType() == NodeType::Footprint)
        static_cast<CPackage*>(m_parent)->ClearFootprintCache();
    RepaintBySide(node);
    if (m_owner)
        m_owner->FillPropertyGrid();
    m_node = nullptr;
    return inverse;
}

// Attribute change --------------------------------------------------------

namespace {
// A sheet object's sheet is followed by its link, not by the name it is
// saved with: a sheet renamed elsewhere changes no step of its objects.
std::wstring_view SheetNameOf(const CTreeNode* node) {
    return dynamic_cast<const CSheetObject*>(node) ? std::wstring_view(L"SheetName")
                                                   : std::wstring_view();
}

// Whether the attribute decides, beside the node's key, what the nodes
// naming it become: a layer's type and a plane's net make what lies on the
// layer copper, a cut in a plane or nothing written at all.
bool DecidesReferrers(const CTreeNode* node, std::wstring_view attribute) {
    return node->GetType() == NodeType::Layer && (attribute == L"Type" || attribute == L"Net");
}
} // namespace

CUndoChangeNodeAttribute::CUndoChangeNodeAttribute(CTreeNode* node, CProperty* owner,
                                                   bool keyFollowed)
    : m_node(node), m_owner(owner), m_change(node, SheetNameOf(node)),
      m_keyBefore(node->ReferenceKey()) {
    if (keyFollowed)
        m_referrers.LeaveOutFollowers();
    if (auto* object = dynamic_cast<CSheetObject*>(node)) {
        m_sheet = std::make_unique<SheetLink>(object->m_pSheet);
        m_sheetAfter = std::make_unique<SheetLink>(object->m_pSheet);
    }
}

CUndoChangeNodeAttribute::CUndoChangeNodeAttribute(CTreeNode* node, CProperty* owner,
                                                   AttributeChange change,
                                                   std::unique_ptr<SheetLink> sheet,
                                                   std::unique_ptr<SheetLink> sheetAfter,
                                                   std::wstring keyBefore, bool keyFollowed)
    : m_node(node), m_owner(owner), m_change(std::move(change)), m_sheet(std::move(sheet)),
      m_sheetAfter(std::move(sheetAfter)), m_keyBefore(std::move(keyBefore)) {
    if (keyFollowed)
        m_referrers.LeaveOutFollowers();
}

CUndoChangeNodeAttribute::~CUndoChangeNodeAttribute() = default;

CSheet* CUndoChangeNodeAttribute::CurrentSheet() const {
    auto* object = dynamic_cast<CSheetObject*>(m_node);
    return object ? object->m_pSheet.Get() : nullptr;
}

bool CUndoChangeNodeAttribute::MovedSheet() const {
    return m_sheet && m_sheetAfter && m_sheet->Get() != m_sheetAfter->Get();
}

void CUndoChangeNodeAttribute::TakeCurrentValues() {
    m_change.TakeCurrent(m_node);
    if (m_sheetAfter)
        *m_sheetAfter = CurrentSheet();
    // A step that changed the node's key, or what the nodes naming it
    // become by it, keeps them as it left them.
    if (m_node->ReferenceKey() != m_keyBefore ||
        m_change.ChangedAny(
            [this](std::wstring_view name) { return DecidesReferrers(m_node, name); }))
        m_referrers.Take(m_node);
    else
        m_referrers.Clear();
}

void CUndoChangeNodeAttribute::TakeOthersValues() {
    // The sheet does not follow: an Undo puts the object back on the sheet
    // it was on before the step whatever happened since, as the records
    // around it (a deleted package's parts) count on.
    m_change.TakeOthers(m_node);
}

bool CUndoChangeNodeAttribute::FindsValuesAsLeft() const {
    return m_change.FindsAsLeft(m_node) && m_referrers.FindsAsLeft(m_node);
}

void CUndoChangeNodeAttribute::ForEachValueAsLeft(const LeftValueVisitor& visit) const {
    m_change.ForEachLeftValue(
        [&](const std::wstring* name, const std::optional<std::wstring>& value) {
            visit(m_node, name, value);
        });
}

// An object on a layer keeps it in its "Layer" attribute by the layer's
// code, which names an id.
void CUndoChangeNodeAttribute::ForEachKeptLayer(const std::function<void(int)>& visit) const {
    if (m_node->GetLayer() >= 0 &&
        m_change.ChangedAny([](std::wstring_view name) { return name == L"Layer"; }))
        visit(-1);
}

// A plane layer names its net by its "Net" attribute.
void CUndoChangeNodeAttribute::FollowNetRename(const CTreeNode* board, const std::wstring& from,
                                               const std::wstring& to) {
    if (m_node->GetType() == NodeType::Layer && m_node->GetParent() == board)
        m_change.FollowRename(L"Net", from, to);
}

CUndoItem* CUndoChangeNodeAttribute::Undo() {
    TakeCurrentValues();
    const bool moved = MovedSheet();
    auto* object = dynamic_cast<CSheetObject*>(m_node);
    // The sheet the object lies on now, which the opposite step leaves it
    // on again.
    std::unique_ptr<SheetLink> now =
        object ? std::make_unique<SheetLink>(object->m_pSheet) : nullptr;
    RepaintByView(m_node);
    std::wstring key = m_node->ReferenceKey();
    AttributeChange back = m_change.PutBack(m_node);
    const bool changed = !back.IsEmpty() || moved;
    auto* inverse = new CUndoChangeNodeAttribute(
        m_node, m_owner, std::move(back), now ? std::make_unique<SheetLink>(*now) : nullptr,
        m_sheet ? std::make_unique<SheetLink>(*m_sheet) : nullptr, std::move(key),
        m_referrers.LeavesOutFollowers());
    if (!changed) {
        if (m_owner)
            m_owner->FillPropertyGrid();
        return inverse;
    }
    if (CSheetObject* placed = AsPlacedSheetObject(m_node))
        placed->m_pSheet->RemoveObject(placed);
    // The layer read back may not be the one the board view's layer index
    // holds the node under (a floating text follows the layer keys without
    // records of its own): the node moves with it, or it would stay behind in
    // the old layer's set after its deletion.
    CBoardLayerIndex* index = FindBoardLayerIndex(m_node);
    const int layer = m_node->GetLayer();
    const bool indexed =
        index && m_node->GetType() != NodeType::PadLayer && index->Contains(m_node, layer);
    m_node->ReadAttributes();
    if (object && m_sheet) {
        // Back onto the sheet the step took it from, or the one it lay on.
        const SheetLink& target = moved ? *m_sheet : *now;
        CSheet* sheet = target;
        if (object->m_pSheet.Get() != sheet) {
            if (object->m_pSheet)
                object->m_pSheet->RemoveObject(object);
            if (sheet)
                sheet->AddObject(object);
        }
        // A sheet freed meanwhile: the object keeps its name.
        if (!sheet)
            object->m_pSheet = target;
    }
    if (indexed && m_node->GetLayer() != layer) {
        index->RemoveFromSet(m_node, layer);
        index->Add(m_node);
    }
    RepaintByView(m_node);
    if (m_owner)
        m_owner->FillPropertyGrid();
    return inverse;
}

// Parent change -----------------------------------------------------------

ParentChange::ParentChange(CTreeNode* node)
    : m_change(std::tuple(node->GetParent())), m_index(node->GetIndexInParent()) {}

void ParentChange::TakeCurrent(const CTreeNode* node) {
    m_change.TakeCurrent(std::tuple(node->GetParent()));
}

void ParentChange::TakeOthers(const CTreeNode* node) {
    m_change.TakeOthers(std::tuple(node->GetParent()));
}

bool ParentChange::FindsAsLeft(const CTreeNode* node) const {
    return m_change.FindsAsLeft(std::tuple(node->GetParent()));
}

ParentChange ParentChange::PutBack(CTreeNode* node) {
    TakeCurrent(node);
    ParentChange inverse(node);
    // The place is put back too: a step may move the node among its
    // siblings only.
    node->RemoveFromParent();
    // A place beyond the parent's children now goes to the end.
    if (CTreeNode* parent = Former())
        InsertAt(parent, static_cast<std::size_t>(m_index) > parent->GetChildCount() ? -1 : m_index,
                 node);
    inverse.TakeCurrent(node);
    return inverse;
}

CUndoChangeParent::CUndoChangeParent(CTreeNode* node, CProperty* owner)
    : m_node(node), m_parent(node), m_owner(owner) {}

CUndoItem* CUndoChangeParent::Undo() {
    RepaintSheetSide(m_node, true);
    auto* inverse = new CUndoChangeParent(m_node, m_owner);
    inverse->m_parent = m_parent.PutBack(m_node);
    RepaintSheetSide(m_node, true);
    if (m_owner)
        m_owner->FillPropertyGrid();
    return inverse;
}

// Move --------------------------------------------------------------------

CUndoMove::CUndoMove(CTreeNode* node) : m_node(node), m_parent(node) {}

CUndoItem* CUndoMove::Undo() {
    auto* inverse = new CUndoMove(m_node);
    inverse->m_parent = m_parent.PutBack(m_node);
    return inverse;
}

// Pointer change ----------------------------------------------------------

CUndoChangePointer::CUndoChangePointer(CTreeNode** field) : m_field(field), m_value(*field) {}

CUndoItem* CUndoChangePointer::Undo() {
    auto* inverse = new CUndoChangePointer(m_field);
    *m_field = m_value;
    return inverse;
}
