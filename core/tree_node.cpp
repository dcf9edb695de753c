#include "core/tree_node.h"

#include "core/vorpel_view.h"
#include "platform/device_context.h"

#include <vector>

namespace {
uint64_t g_nextNodeSequence = 0;
}

void* CTreeNode::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return NodeArena::Allocate(size);
    } catch (...) {
        return nullptr;
    }
}

CTreeNode::CTreeNode() : CTreeNode(NodeType::Plain) {}

CTreeNode::CTreeNode(int type) : CXmlElement(type), m_sequence(++g_nextNodeSequence) {}

CTreeNode::CTreeNode(int type, const wchar_t* text)
    : CXmlElement(type), m_sequence(++g_nextNodeSequence) {
    if (text)
        m_text = text;
}

CTreeNode::CTreeNode(const CTreeNode& other)
    : Tree<CTreeNode>(), CXmlElement(other), CProperty(other), m_pEditorView(nullptr),
      m_selected(other.m_selected), m_dragRecorded(other.m_dragRecorded), m_size(other.m_size),
      m_position(other.m_position), m_clickPoint(other.m_clickPoint),
      m_boardPosition(other.m_boardPosition), m_boardClickPoint(other.m_boardClickPoint),
      m_pQuadTreeNode(nullptr), m_sequence(++g_nextNodeSequence) {
    m_children.reserve(other.m_children.size());
    for (const CTreeNode* child : other.m_children)
        AddChild(child->Clone());
}

CTreeNode::~CTreeNode() {
    if (s_destroyed)
        s_destroyed(this);
}

CTreeNode* CTreeNode::Clone() const {
    return new CTreeNode(*this);
}

void CTreeNode::ClearOwnSelection() {
    m_selected = 0;
    m_dragRecorded = 0;
}

void DeselectSubtree(CTreeNode* node) {
    if (!node)
        return;
    std::vector<CTreeNode*> pending{node};
    while (!pending.empty()) {
        CTreeNode* n = pending.back();
        pending.pop_back();
        n->ClearOwnSelection();
        pending.insert(pending.end(), n->GetChildren().begin(), n->GetChildren().end());
    }
}

const wchar_t* CTreeNode::GetTagName() const {
    return L"TreeNode";
}

void CTreeNode::ReadAttributes() {}

void CTreeNode::WriteAttributes() {}

void CTreeNode::DrawOnBoard(Graphics*, uint32_t) {}

void CTreeNode::DrawOnSheet(DeviceContext*, uint32_t) {}

bool CTreeNode::GetBoundsOnBoard(Graphics*, RectF&) {
    return false;
}

RECT CTreeNode::GetBoundsOnSheet(DeviceContext*) {
    return RECT{};
}

void CTreeNode::InvalidateOnBoard(Graphics* g) {
    CVorpelView* view = g_pActiveView;
    if (!view)
        return;
    RectF r;
    if (!GetBoundsOnBoard(g, r)) {
        view->InvalidateRect(nullptr, false);
        return;
    }
    RECT device = WorldRectToDeviceRect(g, r.X, r.Y, r.Width, r.Height);
    view->InvalidateRect(&device, false);
}

void CTreeNode::InvalidateOnSheet(DeviceContext* dc) {
    CVorpelView* view = g_pActiveView;
    if (!view)
        return;
    RECT r = GetBoundsOnSheet(dc);
    if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0) {
        view->InvalidateRect(nullptr, false);
        return;
    }
    POINT a{r.left, r.top};
    POINT b{r.right, r.bottom};
    if (dc) {
        a = dc->ToDevice(a);
        b = dc->ToDevice(b);
    }
    POINT scroll = view->GetScrollOffset();
    RECT device{a.x + scroll.x, a.y + scroll.y, b.x + scroll.x, b.y + scroll.y};
    view->InvalidateRect(&device, true);
}

CTreeNode* CTreeNode::HitTestOnBoard(Graphics*, float, float) {
    return nullptr;
}

CTreeNode* CTreeNode::HitTestOnSheet(DeviceContext*, int, int) {
    return nullptr;
}

void CTreeNode::MouseDownOnBoard(Graphics*, uint32_t, float, float) {}

CTreeNode* CTreeNode::MouseDownOnSheet(DeviceContext*, uint32_t, int, int) {
    return nullptr;
}

void CTreeNode::MouseUpOnBoard(Graphics*, uint32_t, float, float) {}

int CTreeNode::MouseUpOnSheet(DeviceContext*, uint32_t, int, int) {
    return 0;
}

int CTreeNode::RightClickOnBoard(Graphics*, uint32_t, float, float) {
    return 0;
}

void CTreeNode::RightClickOnSheet(DeviceContext*, uint32_t, int, int) {}

int CTreeNode::DragOnBoard(Graphics*, uint32_t, float, float) {
    return 0;
}

int CTreeNode::DragOnSheet(DeviceContext*, uint32_t, int, int) {
    return 0;
}

int CTreeNode::DeleteOnBoard(Graphics*, uint32_t) {
    return 0;
}

int CTreeNode::DeleteOnSheet(DeviceContext*, uint32_t) {
    return 0;
}

int CTreeNode::GetLayer() const {
    return -1;
}

void CTreeNode::SetLayer(int) {}

bool IsBoardSideNode(const CTreeNode* node) {
    if (!node)
        return false;
    int type = node->GetType();
    if (type >= NodeType::Layer && type <= NodeType::Area)
        return true;
    return type == NodeType::Text && !node->IsOnSheet();
}
