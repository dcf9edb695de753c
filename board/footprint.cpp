#include "board/footprint.h"

#include "board/board_layer_index.h"
#include "board/board_undo_records.h"
#include "board/marking.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/pad_walk.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "platform/graphics.h"
#include "platform/matrix.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/text.h"

#include <cmath>
#include <set>

using namespace std::literals;

namespace {

constexpr double kDegToRad = 0.017453292;

// Top and bottom twins swap; inner routing layers have no twin and stay.
bool HasSideTwin(int layer) {
    return layer == 0 || layer == 1 || (layer >= 22 && layer <= 31);
}

constexpr NodeAttributes<CFootprint, 6> kAttributes{{
    Attr::UInt<&CFootprint::m_unit>(L"Unit", 1),
    Attr::FloatPair<&CFootprint::m_gridX, &CFootprint::m_gridY>(L"Grid"),
    Attr::Bool<&CFootprint::m_fixed>(L"Fixed", false),
    Attr::Point<&CFootprint::m_boardPosition, CFootprint>(L"XY"),
    Attr::Float<&CFootprint::m_rotation>(L"Rotation", 0),
    Attr::Enum<&CFootprint::m_place, kPlaceRows, 2>(L"Place", kPlaceTop),
}};
const RegisterNodeAttributes kRegistered(L"Footprint", kAttributes);

} // namespace

CFootprint::CFootprint(int place) : CTreeNode(NodeType::Footprint), m_place(place) {}

CFootprint::~CFootprint() = default;

CTreeNode* CFootprint::Clone() const {
    auto* copy = new CFootprint(m_place);
    copy->m_unit = m_unit;
    copy->m_gridX = m_gridX;
    copy->m_gridY = m_gridY;
    copy->m_fixed = m_fixed;
    copy->m_rotation = m_rotation;
    copy->m_text = m_text;
    // A copy made with its whole board stays where it is placed, with every
    // attribute it has; any other copy is about to be placed.
    if (CCloneScope::CopiesWhole()) {
        copy->m_boardPosition = m_boardPosition;
        copy->GetAttributes() = GetAttributes();
    }
    for (CTreeNode* child : GetChildren())
        copy->AddChild(child->Clone());
    return copy;
}

const wchar_t* CFootprint::GetTagName() const {
    return L"Footprint";
}

void CFootprint::ReadAttributes() {
    kAttributes.Read(*this);
    // A placed package's texts without a layer of their own lie on the
    // silkscreen of the footprint's side.
    CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Package)
        for (CTreeNode* child : parent->GetChildren())
            if (child->GetType() == NodeType::Text && child->GetLayer() == -1)
                child->SetLayer(m_place == kPlaceBottom ? 23 : 22);
}

void CFootprint::WriteAttributes() {
    kAttributes.Write(*this);
}

bool CFootprint::IsPlaced() const {
    CTreeNode* p = GetParent();
    return p && (p->GetType() == NodeType::Package || p->GetType() == NodeType::Mounting);
}

PointF CFootprint::BoardToLocal(float x, float y) const {
    double dx = x - m_boardPosition.X, dy = y - m_boardPosition.Y;
    if (m_place == kPlaceBottom)
        dx = -dx;
    const double a = -std::fmod(double{m_rotation}, 360.0) * kDegToRad;
    const double c = std::cos(a), s = std::sin(a);
    return PointF{static_cast<float>(dx * c - dy * s), static_cast<float>(dx * s + dy * c)};
}

PointF CFootprint::LocalToBoard(float x, float y) const {
    const double a = std::fmod(double{m_rotation}, 360.0) * kDegToRad;
    const double c = std::cos(a), s = std::sin(a);
    double rx = x * c - y * s, ry = x * s + y * c;
    if (m_place == kPlaceBottom)
        rx = -rx;
    return PointF{static_cast<float>(rx + m_boardPosition.X),
                  static_cast<float>(ry + m_boardPosition.Y)};
}

void CFootprint::TransformMatrix(Matrix* matrix) const {
    matrix->Translate(m_boardPosition.X, m_boardPosition.Y, MatrixOrderPrepend);
    if (m_place == kPlaceBottom)
        matrix->Scale(-1, 1, MatrixOrderPrepend);
    matrix->Rotate(m_rotation, MatrixOrderPrepend);
}

void CFootprint::TransformGraphics(Graphics* g) const {
    Matrix m;
    g->GetTransform(&m);
    TransformMatrix(&m);
    g->SetTransform(&m);
}

CPad* CFootprint::FindPadByNumber(const std::wstring& number) const {
    CPad* found = nullptr;
    ForEachPadIn(this, [&](CPad* pad) {
        if (!found && !pad->IsSelected() && pad->m_num == number)
            found = pad;
    });
    return found;
}

void CFootprint::FindAlignedEndPads(const CPad* pad, bool row, CPad*& first, CPad*& last) const {
    first = last = nullptr;
    const float x0 = pad->m_boardPosition.X, y0 = pad->m_boardPosition.Y;
    ForEachPadIn(this, [&](CPad* other) {
        if (other == pad || other->IsSelected())
            return;
        const float x = other->m_boardPosition.X, y = other->m_boardPosition.Y;
        if (row) {
            if (std::fabs(y - y0) >= 0.0001f)
                return;
            if (!first || x < first->m_boardPosition.X)
                first = other;
            if (!last || x > last->m_boardPosition.X)
                last = other;
        } else {
            if (std::fabs(x - x0) >= 0.0001f)
                return;
            if (!first || y > first->m_boardPosition.Y)
                first = other;
            if (!last || y < last->m_boardPosition.Y)
                last = other;
        }
    });
}

CPadstack* CFootprint::FindIdenticalPadstack(const CPadstack* padstack) const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Padstack &&
            static_cast<CPadstack*>(child)->IsIdentical(padstack))
            return static_cast<CPadstack*>(child);
    return nullptr;
}

void CFootprint::SetPlace(int side, CBoardLayerIndex* index) {
    if (m_place == side)
        return;
    // Every change is recorded, with or without an open board view: an undo
    // must bring back the side of every pad and text, not only the placement.
    PushUndo(new CUndoChangeFootprintPos(this));
    m_place = side;
    auto flip = [index](CTreeNode* node) {
        const int layer = node->GetLayer();
        if (!HasSideTwin(layer))
            return;
        PushUndo(new CUndoChangeLayer(node, layer ^ 1, index));
        node->SetLayer(layer ^ 1);
    };
    if (CTreeNode* parent = GetParent())
        for (CTreeNode* child : parent->GetChildren())
            if (child->GetType() == NodeType::Text)
                flip(child);
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::Marking) {
            flip(child);
        } else if (child->GetType() == NodeType::Padstack) {
            for (CTreeNode* part : child->GetChildren()) {
                if (part->GetType() == NodeType::Marking) {
                    flip(part);
                } else if (part->GetType() == NodeType::PadLayer) {
                    auto* padLayer = static_cast<CPadLayer*>(part);
                    if (!HasSideTwin(padLayer->m_layer))
                        continue;
                    PushUndo(new CUndoChangePadLayer(padLayer, padLayer->m_layer ^ 1, index));
                    padLayer->m_layer ^= 1;
                }
            }
        }
    }
}

namespace {
int g_batchDepth = 0;
Graphics* g_batchGraphics = nullptr;
std::set<CNet*, NodeSequenceLess> g_batchNets;
} // namespace

NetGraphBatch::NetGraphBatch(Graphics* g) {
    if (g_batchDepth++ == 0)
        g_batchGraphics = g;
}

NetGraphBatch::~NetGraphBatch() {
    if (--g_batchDepth != 0)
        return;
    // Rebuilding may not note more: the batch is over.
    std::set<CNet*, NodeSequenceLess> nets;
    nets.swap(g_batchNets);
    for (CNet* net : nets)
        net->BuildConnectionGraph(g_batchGraphics);
    g_batchGraphics = nullptr;
}

bool NetGraphBatch::Active() {
    return g_batchDepth > 0;
}

void NetGraphBatch::Note(CNet* net) {
    g_batchNets.insert(net);
}

void NetGraphBatch::Forget(const CNet* net) {
    if (!g_batchNets.empty())
        g_batchNets.erase(const_cast<CNet*>(net));
}

void CFootprint::RebuildNetGraphs(Graphics* g) {
    std::set<CNet*, NodeSequenceLess> nets;
    ForEachPadIn(this, [&](CPad* pad) {
        if (CNet* net = pad->GetNet())
            nets.insert(net);
    });
    for (CNet* net : nets) {
        if (NetGraphBatch::Active())
            NetGraphBatch::Note(net);
        else
            net->BuildConnectionGraph(g);
    }
}
