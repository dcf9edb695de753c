// Routing new conductors (tool 32846) and editing existing ones (32847):
// straight legs in eight directions with a 45-degree piece into the cursor,
// layer changes through vias, width changes, segment and via drags, and the
// context menus that change layers, delete segments and break tracks.
//
// Every step that changes a conductor records a copy of it first (or its
// insertion or deletion), so that undo and redo restore whole tracks even
// where a rubber-band end was dropped between the records.
#include "views/board_view.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/board_properties.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/layer.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/cond_width.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "platform/window.h"
#include "resources/command_ids.h"
#include "schematic/net.h"
#include "shell/main_frame.h"
#include "views/via_joins.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

constexpr float kSame = 0.001f;
constexpr double kPi = 3.14159265358979323846;
constexpr unsigned kCaption = 128;          // "Vorpel"
constexpr unsigned kNoLayerSelected = 342;  // "No layer selected"
constexpr unsigned kNotRoutingLayer = 348;  // "Layer '%s' is not a routing layer"
constexpr unsigned kNoLayerInStackup = 355; // "No layer '%s' in current stackup"
constexpr unsigned kLayerNameBase = 33000;
constexpr int kCmdLayerFirst = 33000;
constexpr int kCmdDeleteSegment = 33061;
constexpr int kCmdDeleteConductor = 33108;
constexpr int kCmdChangeWidth = 33110;
constexpr int kCmdBreak = 33144;
constexpr int kCmdViaFirst = 400;

void StopWithLayer(unsigned textId, int layer) {
    std::wstring text = LoadStringText(textId);
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos)
        text.replace(at, 2, LoadStringText(kLayerNameBase + static_cast<unsigned>(layer)));
    ShowMessageBox(text, LoadStringText(kCaption), MB_OK | MB_ICONSTOP);
}

// A direction rounded to the nearest multiple of 45 degrees, halves away
// from zero.
double Round45(double dx, double dy) {
    return std::round(std::atan2(dy, dx) / (kPi / 4)) * (kPi / 4);
}

bool Near(float ax, float ay, float bx, float by) {
    return std::fabs(ax - bx) < kSame && std::fabs(ay - by) < kSame;
}

// A track needs two distinct vertices: anything less draws nothing, is
// saved all the same and keeps the vias it touches from being superfluous.
bool IsDegenerate(const CConductor* c) {
    const std::vector<ConductorVertex>& v = c->m_vertices;
    for (const ConductorVertex& x : v)
        if (!Near(x.x, x.y, v.front().x, v.front().y))
            return false;
    return true;
}

// The plane turned so that a direction becomes the x axis.
struct Frame {
    explicit Frame(double theta) : c(std::cos(theta)), s(std::sin(theta)) {}
    void To(double x, double y, double& fx, double& fy) const {
        fx = x * c + y * s;
        fy = -x * s + y * c;
    }
    void From(double fx, double fy, float& x, float& y) const {
        x = static_cast<float>(fx * c - fy * s);
        y = static_cast<float>(fx * s + fy * c);
    }
    double c, s;
};

std::vector<CConductor*> ConductorsOf(const CNet* net) {
    std::vector<CConductor*> out;
    for (CTreeNode* child : net->GetChildren())
        if (child->GetType() == NodeType::Conductor)
            out.push_back(static_cast<CConductor*>(child));
    return out;
}

size_t VertexCount(const CNet* net) {
    size_t n = 0;
    for (const CConductor* c : ConductorsOf(net))
        n += c->m_vertices.size();
    return n;
}

std::vector<CPadstack*> ViasOf(const CNet* net) {
    std::vector<CPadstack*> out;
    for (CTreeNode* child : net->GetChildren())
        if (child->GetType() == NodeType::Padstack)
            out.push_back(static_cast<CPadstack*>(child));
    return out;
}

std::vector<CPad*> PadsOf(const CPadstack* padstack) {
    std::vector<CPad*> out;
    for (CTreeNode* child : padstack->GetChildren())
        if (child->GetType() == NodeType::Pad)
            out.push_back(static_cast<CPad*>(child));
    return out;
}

bool HasShapeOn(const CPadstack* padstack, int layer) {
    return padstack && padstack->FindPadLayerForBoardLayer(layer) != nullptr;
}

// The copper planes of the net: a via of the net joins each of them through
// its hole, whatever tracks it holds.
std::set<int> PlanesOf(const CNet* net) {
    std::set<int> out;
    const CTreeNode* board = net->GetParent();
    if (!board)
        return out;
    for (const CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Layer) {
            auto* layer = static_cast<const CLayer*>(child);
            if (layer->m_layerType == kLayerTypePlane && layer->m_id >= 0 && layer->m_id < 22 &&
                !layer->m_net.empty() && layer->m_net == net->GetName())
                out.insert(layer->m_id);
        }
    return out;
}

void Show(CProperty* object) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}

void SetNetStatus(const CNet* net) {
    if (g_MainFrame.m_statusBar.IsWindow())
        g_MainFrame.m_statusBar.SetNetText(net ? net->GetName().c_str() : nullptr);
}

} // namespace

// --- Helpers -------------------------------------------------------------------------------

namespace {

struct LayerMask {
    uint32_t low = 0, high = 0;
};

} // namespace

static LayerMask VisibleMask(const CVorpelView* view) {
    const uint64_t v = view->GetVisibleLayers();
    return {static_cast<uint32_t>(v & 0xFFFFFFFFu), static_cast<uint32_t>(v >> 32)};
}

static LayerMask SingleMask(int layer) {
    LayerMask m;
    if (layer >= 0 && layer < 32)
        m.low = 1u << layer;
    else if (layer >= 32 && layer < 64)
        m.high = 1u << (layer - 32);
    return m;
}

CBoardProperties* CBoardView::EnsureBoardProperties() {
    CBoard* board = GetBoard();
    if (!board)
        return nullptr;
    if (CBoardProperties* p = board->FindBoardProperties())
        return p;
    CBoardProperties* p = CreateDefaultBoardProperties();
    board->AddChild(p);
    PushUndo(new CUndoInsert(p, nullptr));
    return p;
}

CPadstack* CBoardView::GetRouteVia(CNet* net) {
    CBoardProperties* properties = EnsureBoardProperties();
    if (!properties || !net)
        return nullptr;
    CPadstack* definition = nullptr;
    GetBoard()->FindBoardProperties(nullptr, &definition);
    if (!definition) {
        for (CTreeNode* child : properties->GetChildren())
            if (child->GetType() == NodeType::Padstack) {
                definition = static_cast<CPadstack*>(child);
                break;
            }
    }
    if (!definition) {
        // Settings nodes are not undone one by one: the whole properties
        // node carries its via when it was made here.
        PushUndo(new CUndoChangeNodeAttribute(properties, nullptr));
        definition = AddDefaultViaPadstack(properties);
        PushUndo(new CUndoInsert(definition, nullptr));
    }
    CPadstack* via = net->FindOrAddVia(definition);
    if (via && !LayerIndex().Contains(via, CBoardLayerIndex::kTopSet))
        LayerIndex().AddPadstack(via);
    return via;
}

CPad* CBoardView::PlaceVia(Graphics* g, CNet* net, float x, float y) {
    CPadstack* via = GetRouteVia(net);
    if (!via)
        return nullptr;
    auto* pad = new CPad();
    via->AddChild(pad);
    pad->m_boardPosition = PointF{x, y};
    PushUndo(new CUndoInsert(pad, nullptr));
    pad->InvalidateOnBoard(g);
    return pad;
}

void CBoardView::DeleteViaPad(Graphics* g, CPad* pad) {
    CPadstack* padstack = pad->GetPadstack();
    pad->InvalidateOnBoard(g);
    PushUndo(new CUndoDelete(pad, nullptr));
    pad->RemoveFromParent();
    if (padstack && padstack->GetPadCount() == 0 && padstack->GetParent()) {
        LayerIndex().RemovePadstack(padstack);
        PushUndo(new CUndoDelete(padstack, nullptr));
        padstack->RemoveFromParent();
    }
}

CConductor* CBoardView::AddConductor(CNet* net, int layer, float width,
                                     std::vector<ConductorVertex> vertices) {
    auto* c = new CConductor();
    c->m_layer = layer;
    c->m_width = width;
    c->m_vertices = std::move(vertices);
    net->AddChild(c);
    PushUndo(new CUndoConductorInsert(c, &LayerIndex()));
    return c;
}

void CBoardView::RemoveConductor(CConductor* c) {
    // The record notes where the track was; it goes to the history once the
    // track has left its net, so that the other histories see it gone.
    auto* record = new CUndoConductorDelete(c, &LayerIndex());
    c->RemoveFromParent();
    PushUndo(record);
    if (m_editConductor == c)
        m_editConductor = nullptr;
    if (m_routeConductor == c)
        m_routeConductor = nullptr;
}

void CBoardView::RecordConductor(CConductor* c) {
    PushUndo(new CUndoChangeConductor(c));
}

bool CBoardView::CheckRoutingLayer(int layer) {
    CBoard* board = GetBoard();
    if (layer < 0 || !IsLayerVisible(layer)) {
        ShowMessageBox(LoadStringText(kNoLayerSelected), LoadStringText(kCaption),
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    CLayer* entry = board ? board->FindLayer(layer) : nullptr;
    if (!entry) {
        StopWithLayer(kNoLayerInStackup, layer);
        return false;
    }
    if (entry->m_layerType != kLayerTypeRouting) {
        StopWithLayer(kNotRoutingLayer, layer);
        return false;
    }
    return true;
}

// --- Routing ---------------------------------------------------------------------------------

void CBoardView::StartRoute(Graphics* g, PointF p) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    CNet* net = nullptr;
    ConductorVertex start;
    CConductor* continued = nullptr;
    CPad* pad = board->FindPadAt(g, p.X, p.Y, nullptr);
    if (pad) {
        net = pad->GetNet();
        if (!net)
            return;
        const int side = pad->GetPadstack() ? pad->GetPadstack()->GetSurfaceMountSide() : -1;
        if (side >= 0 && IsLayerVisible(side)) {
            BringLayerToFront(side);
            SyncLayerSelector();
        }
        if (!CheckRoutingLayer(GetFrontLayer()))
            return;
        const PointF at = pad->GetBoardPosition();
        start.x = at.X;
        start.y = at.Y;
        start.tie = VertexTie::ToPad(pad);
    } else {
        int index = -1;
        CConductor* c = nullptr;
        const int front = GetFrontLayer();
        if (front >= 0 && IsLayerVisible(front)) {
            const LayerMask m = SingleMask(front);
            c = board->FindConductorVertexAt(p.X, p.Y, &index, m.low, m.high);
        }
        if (!c) {
            const LayerMask m = VisibleMask(this);
            c = board->FindConductorVertexAt(p.X, p.Y, &index, m.low, m.high);
        }
        if (!c)
            return;
        net = dynamic_cast<CNet*>(c->GetParent());
        if (!net)
            return;
        BringLayerToFront(c->m_layer);
        SyncLayerSelector();
        SetNetStatus(net);
        const int last = static_cast<int>(c->m_vertices.size()) - 1;
        if (index == 0 || index == last) {
            RecordConductor(c);
            if (index == 0)
                std::reverse(c->m_vertices.begin(), c->m_vertices.end());
            // The track goes on from its end: the old end becomes the bend
            // and one new end follows the cursor. An end that must stay
            // (tied to a via or a break point), or a track too short to have
            // an anchor, keeps its place and a copy of it bends instead.
            ConductorVertex end = c->m_vertices.back();
            end.tie = VertexTie();
            end.corner = 0;
            if (c->m_vertices.size() < 2 || !c->m_vertices.back().tie.IsNone())
                c->m_vertices.push_back(end);
            end.x = p.X;
            end.y = p.Y;
            c->m_vertices.push_back(end);
            continued = c;
        } else {
            start = c->m_vertices[static_cast<size_t>(index)];
            start.tie = VertexTie();
            start.corner = 0;
        }
    }
    if (!continued) {
        CBoardProperties* properties = EnsureBoardProperties();
        const float width = properties ? properties->m_conductorWidth : 0.25f;
        ConductorVertex end = start;
        end.tie = VertexTie();
        end.x = p.X;
        end.y = p.Y;
        ConductorVertex bend = end;
        bend.x = start.x;
        bend.y = start.y;
        continued = AddConductor(net, GetFrontLayer(), width, {start, bend, end});
    }
    m_routeNet = net;
    m_routeConductor = continued;
    m_routeTarget.reset();
    continued->m_selected = static_cast<uint32_t>(continued->m_vertices.size() - 1);
    continued->InvalidateOnBoard(g);
    Show(continued);
}

void CBoardView::RouteClick(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    m_undoList.SetStartNewGroup(true);
    if (!IsRouting()) {
        EndConductorEdit();
        m_routeUndoDepth = m_undoList.UndoCount();
        StartRoute(g, p);
        return;
    }
    CConductor* c = m_routeConductor;
    CNet* net = m_routeNet;
    CBoard* board = GetBoard();
    if (!c || !net || !board || c->m_vertices.size() < 3) {
        CancelRoute();
        return;
    }
    const int front = GetFrontLayer();
    RecordConductor(c);
    std::vector<ConductorVertex>& v = c->m_vertices;
    CPad* via = nullptr;              // a via the route ends with
    ConductorVertex* other = nullptr; // the vertex of another track tied to it
    CConductor* otherOwner = nullptr;
    int otherIndex = -1;
    CConductor* splitOff = nullptr;

    CPad* pad = board->FindPadAt(g, p.X, p.Y, net);
    if (pad && pad->GetNet() == net && HasShapeOn(pad->GetPadstack(), front)) {
        const PointF at = pad->GetBoardPosition();
        v.back().x = at.X;
        v.back().y = at.Y;
        v.back().tie = VertexTie::ToPad(pad);
    } else {
        const LayerMask vis = VisibleMask(this);
        int index = -1;
        CConductor* d = net->FindConductorVertexAt(p.X, p.Y, &index, vis.low, vis.high, c);
        int segment = -1;
        CConductor* s =
            d ? nullptr : net->FindConductorSegmentAt(p.X, p.Y, &segment, vis.low, vis.high, c);
        if (d) {
            const ConductorVertex hit = d->m_vertices[static_cast<size_t>(index)];
            v.back().x = hit.x;
            v.back().y = hit.y;
            const int last = static_cast<int>(d->m_vertices.size()) - 1;
            if (d->m_layer == c->m_layer) {
                if ((index == 0 || index == last) && std::fabs(d->m_width - c->m_width) < kSame) {
                    // The two tracks become one, running on through the hit
                    // end to the other end of the track met.
                    v.pop_back();
                    std::vector<ConductorVertex> tail = d->m_vertices;
                    if (index == last)
                        std::reverse(tail.begin(), tail.end());
                    v.insert(v.end(), tail.begin(), tail.end());
                    RemoveConductor(d);
                    c->RemoveRedundantVertices(g);
                    FinishRoute(g);
                    return;
                }
            } else {
                PushUndo(new CUndoConductorNodeChange(d, index));
                otherOwner = d;
                otherIndex = index;
                via = PlaceVia(g, net, hit.x, hit.y);
            }
        } else if (s) {
            // Where the pointer's segment meets the track.
            ConductorVertex e = v.back();
            e.tie = VertexTie();
            e.corner = 0;
            // Where the leg's line meets the segment beyond one of its ends,
            // the route's end lies on that end's vertex: that vertex is the
            // meeting point, for a second one in the same place would be a
            // piece of track without length.
            int on = -1;
            for (int k : {segment, segment + 1})
                if (Near(s->m_vertices[static_cast<size_t>(k)].x,
                         s->m_vertices[static_cast<size_t>(k)].y, e.x, e.y))
                    on = k;
            const int last = static_cast<int>(s->m_vertices.size()) - 1;
            if (s->m_layer == c->m_layer) {
                if (on < 0) {
                    RecordConductor(s);
                    s->m_vertices.insert(s->m_vertices.begin() + segment + 1, e);
                }
            } else if (on == 0 || on == last) {
                RecordConductor(s);
                otherOwner = s;
                otherIndex = on;
                via = PlaceVia(g, net, e.x, e.y);
            } else {
                RecordConductor(s);
                const int cut = on < 0 ? segment + 1 : on;
                std::vector<ConductorVertex> rest(s->m_vertices.begin() + cut, s->m_vertices.end());
                s->m_vertices.resize(static_cast<size_t>(cut));
                if (on < 0) {
                    rest.insert(rest.begin(), e);
                    s->m_vertices.push_back(e);
                } else {
                    rest.front().corner = 0;
                    s->m_vertices.push_back(rest.front());
                }
                s->InvalidateOnBoard(g);
                splitOff = AddConductor(net, s->m_layer, s->m_width, rest);
                otherOwner = s;
                otherIndex = static_cast<int>(s->m_vertices.size()) - 1;
                via = PlaceVia(g, net, e.x, e.y);
            }
        } else {
            // Free space: a bend; the route goes on from the old bend.
            const PointF at = SnapToGrid(p);
            c->InvalidateOnBoard(g);
            v.back().x = at.X;
            v.back().y = at.Y;
            ConductorVertex end = v.back();
            v.push_back(end);
            c->m_selected = static_cast<uint32_t>(v.size() - 1);
            m_routeTarget.reset();
            c->InvalidateOnBoard(g);
            return;
        }
    }
    // The route ends: a bend left on the end is dropped.
    if (v.size() >= 2 &&
        Near(v[v.size() - 1].x, v[v.size() - 1].y, v[v.size() - 2].x, v[v.size() - 2].y) &&
        v[v.size() - 2].tie.IsNone())
        v.erase(v.end() - 2);
    if (via) {
        v.back().tie = VertexTie::ToPad(via);
        if (otherOwner && otherIndex >= 0 &&
            otherIndex < static_cast<int>(otherOwner->m_vertices.size()))
            other = &otherOwner->m_vertices[static_cast<size_t>(otherIndex)];
        if (other)
            other->tie = VertexTie::ToPad(via);
        if (splitOff && !splitOff->m_vertices.empty())
            splitOff->m_vertices.front().tie = VertexTie::ToPad(via);
    }
    FinishRoute(g);
}

void CBoardView::FinishRoute(Graphics* g) {
    CConductor* c = m_routeConductor;
    CNet* net = m_routeNet;
    m_routeConductor = nullptr;
    m_routeNet = nullptr;
    m_routeTarget.reset();
    // A route ended where it began is no track.
    SettleRoute(g, c, net);
    if (c && c->GetParent()) {
        c->m_selected = 0;
        c->InvalidateOnBoard(g);
    }
    InvalidateRect(nullptr, false);
}

void CBoardView::SettleRoute(Graphics* g, CConductor* c, CNet* net) {
    // Bends clicked twice in one place (a double-click) are one bend.
    if (c && c->GetParent())
        c->RemoveRepeatedVertices();
    if (net)
        DropTracksWithoutLength(g, net);
    JoinRouteGroups();
    if (net)
        net->BuildConnectionGraph(g);
    // The panel may show a track that went: the route itself, or a track it
    // was joined to.
    DropDepartedProperties();
}

PointF CBoardView::RouteTarget(Graphics* g, PointF p) {
    CConductor* c = m_routeConductor;
    CNet* net = m_routeNet;
    CBoard* board = GetBoard();
    const int front = GetFrontLayer();
    if (CPad* pad = board->FindPadAt(g, p.X, p.Y, net))
        if (pad->GetNet() == net && HasShapeOn(pad->GetPadstack(), front))
            return pad->GetBoardPosition();
    const LayerMask vis = VisibleMask(this);
    int index = -1;
    if (CConductor* d = net->FindConductorVertexAt(p.X, p.Y, &index, vis.low, vis.high, c)) {
        const ConductorVertex& hit = d->m_vertices[static_cast<size_t>(index)];
        return PointF{hit.x, hit.y};
    }
    if (CConductor* d = net->FindConductorSegmentAt(p.X, p.Y, &index, vis.low, vis.high, c)) {
        const size_t n = c->m_vertices.size();
        const ConductorVertex& a = c->m_vertices[n - 3];
        const ConductorVertex& b = c->m_vertices[n - 2];
        const ConductorVertex& s0 = d->m_vertices[static_cast<size_t>(index)];
        const ConductorVertex& s1 = d->m_vertices[static_cast<size_t>(index) + 1];
        const double sx = s1.x - s0.x, sy = s1.y - s0.y;
        const double len2 = sx * sx + sy * sy;
        if (len2 < 1e-12)
            return PointF{s0.x, s0.y};
        const double lx = b.x - a.x, ly = b.y - a.y;
        const double cross = lx * sy - ly * sx;
        if (std::fabs(lx) < 1e-9 && std::fabs(ly) < 1e-9) {
            // No leg yet, so no line: the point of the segment nearest the
            // cursor.
            const double t = std::clamp(((p.X - s0.x) * sx + (p.Y - s0.y) * sy) / len2, 0.0, 1.0);
            return PointF{static_cast<float>(s0.x + t * sx), static_cast<float>(s0.y + t * sy)};
        }
        if (std::fabs(cross) < kSame) {
            const double t = std::clamp(((b.x - s0.x) * sx + (b.y - s0.y) * sy) / len2, 0.0, 1.0);
            return PointF{static_cast<float>(s0.x + t * sx), static_cast<float>(s0.y + t * sy)};
        }
        const double t = ((a.x - s0.x) * ly - (a.y - s0.y) * lx) / -cross;
        const double u = std::clamp(t, 0.0, 1.0);
        return PointF{static_cast<float>(s0.x + u * sx), static_cast<float>(s0.y + u * sy)};
    }
    return SnapToGrid(p);
}

void CBoardView::RouteMove(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    CConductor* c = m_routeConductor;
    if (!c || !m_routeNet || c->m_vertices.size() < 3)
        return;
    const PointF t = RouteTarget(g, p);
    if (m_routeTarget && m_routeTarget->X == t.X && m_routeTarget->Y == t.Y)
        return;
    m_routeTarget = t;
    std::vector<ConductorVertex>& v = c->m_vertices;
    const size_t n = v.size();
    ConductorVertex& a = v[n - 3];
    ConductorVertex& b = v[n - 2];
    ConductorVertex& e = v[n - 1];
    c->InvalidateOnBoard(g);
    auto place = [&](double theta, float& bx, float& by) {
        const Frame f(theta);
        double ax, ay, tx, ty;
        f.To(a.x, a.y, ax, ay);
        f.To(t.X, t.Y, tx, ty);
        const double x = tx - std::fabs(ty - ay);
        f.From(x, ay, bx, by);
        return x >= ax - 1e-9;
    };
    float bx = 0, by = 0;
    if (!place(Round45(b.x - a.x, b.y - a.y), bx, by))
        place(Round45(t.X - a.x, t.Y - a.y), bx, by);
    b.x = bx;
    b.y = by;
    e.x = t.X;
    e.y = t.Y;
    m_routeNet->BuildConnectionGraph(g);
    c->InvalidateOnBoard(g);
}

void CBoardView::JoinRouteGroups() {
    // Undo waits while a route is drawn; afterwards the route is undone
    // whole: undoing one of its clicks would give back its track as it was
    // while drawn, rubber-band end and all.
    if (m_routeUndoDepth < m_undoList.UndoCount())
        m_undoList.JoinGroupsFrom(m_routeUndoDepth);
    m_routeUndoDepth = SIZE_MAX;
}

void CBoardView::DropUnroutedStart(CConductor* c, CConductor* n) {
    // A change before the route went anywhere leaves the old track without
    // length: it goes, and the new one starts tied where the old one was.
    if (!IsDegenerate(c))
        return;
    if (n->m_vertices.front().tie.IsNone())
        n->m_vertices.front().tie = c->m_vertices.front().tie;
    RemoveConductor(c);
}

void CBoardView::ChangeRouteLayer(int id) {
    CConductor* c = m_routeConductor;
    if (!c || !m_routeNet || c->m_vertices.size() < 3 || id == c->m_layer)
        return;
    auto g = MakeGraphics();
    m_undoList.SetStartNewGroup(true);
    RecordConductor(c);
    c->InvalidateOnBoard(g.get());
    ConductorVertex b = c->m_vertices[c->m_vertices.size() - 2];
    ConductorVertex e = c->m_vertices.back();
    c->m_vertices.pop_back();
    c->m_selected = 0;
    b.tie = VertexTie();
    e.tie = VertexTie();
    CPad* via = PlaceVia(g.get(), m_routeNet, b.x, b.y);
    if (via) {
        b.tie = VertexTie::ToPad(via);
        c->m_vertices.back().tie = VertexTie::ToPad(via);
    }
    CConductor* n = AddConductor(m_routeNet, id, c->m_width, {b, e, e});
    n->m_vertices[1].tie = VertexTie();
    n->m_selected = 2;
    m_routeConductor = n;
    m_routeTarget.reset();
    DropUnroutedStart(c, n);
    if (c->GetParent())
        c->RemoveRepeatedVertices();
    // The caller brings the layer to the front (and shows it).
    m_routeNet->BuildConnectionGraph(g.get());
    InvalidateRect(nullptr, false);
}

void CBoardView::ChangeRouteWidth(Graphics* g) {
    CConductor* c = m_routeConductor;
    if (!c || !m_routeNet || c->m_vertices.size() < 3)
        return;
    CBoard* board = GetBoard();
    CCondWidth dialog(c->m_width, board ? static_cast<int>(board->m_unit) : 1);
    const int answer = dialog.DoModal(this);
    // Keys and edit commands go on reaching the editor after the dialog.
    FocusParent();
    if (answer != IDOK)
        return;
    if (!(dialog.m_width > 0) || std::fabs(dialog.m_width - c->m_width) < 1e-6f)
        return;
    RecordConductor(c);
    c->InvalidateOnBoard(g);
    ConductorVertex b = c->m_vertices[c->m_vertices.size() - 2];
    ConductorVertex e = c->m_vertices.back();
    c->m_vertices.pop_back();
    c->m_selected = 0;
    b.tie = VertexTie();
    e.tie = VertexTie();
    CConductor* n = AddConductor(m_routeNet, c->m_layer, dialog.m_width, {b, e, e});
    n->m_selected = 2;
    m_routeConductor = n;
    m_routeTarget.reset();
    DropUnroutedStart(c, n);
    if (c->GetParent())
        c->RemoveRepeatedVertices();
    m_routeNet->BuildConnectionGraph(g);
    InvalidateRect(nullptr, false);
}

std::shared_ptr<PopupMenu> CBoardView::RoutingLayerMenu(int except) const {
    auto layers = std::make_shared<PopupMenu>();
    CBoard* board = GetBoard();
    if (!board)
        return layers;
    for (CTreeNode* child : board->GetChildren()) {
        if (child->GetType() != NodeType::Layer)
            continue;
        auto* layer = static_cast<CLayer*>(child);
        const int id = layer->m_id;
        if (id < 0 || id >= 22 || id == except || layer->m_layerType != kLayerTypeRouting)
            continue;
        std::wstring text = LoadStringText(kLayerNameBase + static_cast<unsigned>(id));
        if (id <= 1)
            text += L"\t" + std::to_wstring(id + 1);
        else if (id <= 10)
            text += L"\tCtrl+" + std::to_wstring(id - 1);
        else if (id == 11)
            text += L"\tCtrl+0";
        layers->AppendItem(static_cast<UINT>(kCmdLayerFirst + id), text);
    }
    return layers;
}

void CBoardView::RouteMenu(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    (void)p;
    CConductor* c = m_routeConductor;
    if (!c || !m_routeNet)
        return;
    PopupMenu menu;
    menu.AppendSubMenu(L"Change Layer", RoutingLayerMenu(c->m_layer));
    menu.AppendItem(static_cast<UINT>(kCmdChangeWidth), L"Change width\tW");
    const POINT at = GetCursorPos();
    const int command = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                       ClampXToWorkArea(at.x, at.y), at.y, this);
    if (command == kCmdChangeWidth) {
        m_undoList.SetStartNewGroup(true);
        ChangeRouteWidth(g);
    } else if (command >= kCmdLayerFirst && command < kCmdLayerFirst + 22) {
        const int id = command - kCmdLayerFirst;
        m_undoList.SetStartNewGroup(true);
        SetVisibleLayers(GetVisibleLayers() | (1ull << id));
        BringLayerToFront(id);
        ChangeRouteLayer(id);
        SyncLayerSelector();
    }
}

// --- Editing ---------------------------------------------------------------------------------

CPad* CBoardView::PickViaPad(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    CBoard* board = GetBoard();
    if (!board)
        return nullptr;
    for (CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Net)
            for (CPadstack* via : ViasOf(static_cast<CNet*>(child)))
                for (CPad* pad : PadsOf(via))
                    if (pad->HitTestOnBoard(g, p.X, p.Y))
                        return pad;
    return nullptr;
}

CConductor* CBoardView::SegmentAt(PointF p, int* index) {
    CBoard* board = GetBoard();
    if (!board)
        return nullptr;
    const int front = GetFrontLayer();
    CConductor* c = nullptr;
    if (front >= 0 && IsLayerVisible(front)) {
        const LayerMask m = SingleMask(front);
        c = board->FindConductorSegmentAt(p.X, p.Y, index, m.low, m.high);
    }
    if (!c) {
        const LayerMask m = VisibleMask(this);
        c = board->FindConductorSegmentAt(p.X, p.Y, index, m.low, m.high);
    }
    return c;
}

void CBoardView::EditPick(Graphics* g, uint32_t flags, PointF p) {
    m_undoList.SetStartNewGroup(true);
    m_editTarget.reset();
    m_dragVia = nullptr;
    // Every via takes the press as a pad does (Ctrl toggles, a miss
    // deselects without Ctrl); the last one left selected is dragged.
    CPad* picked = nullptr;
    CBoard* board = GetBoard();
    if (board)
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Net)
                for (CPadstack* via : ViasOf(static_cast<CNet*>(child)))
                    for (CPad* pad : PadsOf(via)) {
                        pad->MouseDownOnBoard(g, flags, p.X, p.Y);
                        if (pad->IsSelected())
                            picked = pad;
                    }
    if (picked) {
        picked->m_dragRecorded = 0;
        m_dragVia = picked;
        if (CNet* net = picked->GetNet())
            net->ResetConductorUndoFlags();
        return;
    }
    EndConductorEdit();
    int index = -1;
    CConductor* c = SegmentAt(p, &index);
    if (!c) {
        SetNetStatus(nullptr);
        InvalidateRect(nullptr, false);
        return;
    }
    m_editConductor = c;
    c->m_dragRecorded = 0;
    BringLayerToFront(c->m_layer);
    SyncLayerSelector();
    c->m_selected = index + 1;
    SetNetStatus(dynamic_cast<CNet*>(c->GetParent()));
    Show(c);
    InvalidateRect(nullptr, false);
}

void CBoardView::DragVia(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    CPad* via = m_dragVia;
    if (!via)
        return;
    const PointF t = SnapToGrid(p);
    if (m_editTarget && m_editTarget->X == t.X && m_editTarget->Y == t.Y)
        return;
    m_editTarget = t;
    if (!via->m_dragRecorded) {
        PushUndo(new CUndoChangeNodeAttribute(via, nullptr));
        via->m_dragRecorded = 1;
    }
    via->InvalidateOnBoard(g);
    const PointF old = via->m_boardPosition;
    via->m_boardPosition = t;
    CNet* net = via->GetNet();
    if (net) {
        for (CConductor* c : ConductorsOf(net))
            for (int i = 0; i < static_cast<int>(c->m_vertices.size()); ++i)
                if (c->m_vertices[static_cast<size_t>(i)].tie.GetPad() == via)
                    i = MoveAttachedVertex(g, c, i, t.X, t.Y);
        net->BuildConnectionGraph(g);
    }
    (void)old;
    via->InvalidateOnBoard(g);
}

// The freed end of a dragged segment: when the vertex is fixed (tied,
// a break point or a junction), a copy that keeps it stays in place as the
// anchor and the vertex itself moves. Returns the index of the moving vertex.
static int FreeEnd(CConductor* c, int i, bool before) {
    std::vector<ConductorVertex>& v = c->m_vertices;
    const ConductorVertex& x = v[static_cast<size_t>(i)];
    const int last = static_cast<int>(v.size()) - 1;
    const bool fixed = !x.tie.IsNone() || c->FindOtherConductorAt(x.x, x.y, kSame) != nullptr ||
                       i == 0 || i == last;
    if (!fixed)
        return i;
    ConductorVertex copy = x;
    v[static_cast<size_t>(i)].tie = VertexTie();
    if (before) {
        v.insert(v.begin() + i, copy);
        return i + 1;
    }
    v.insert(v.begin() + i + 1, copy);
    return i;
}

// Moving a segment: it moves parallel to itself to the target, and each end
// is joined to its anchor (the vertex beyond, which stays) by a 45-degree
// piece on the side where the old neighbouring segment lay. Where the two
// ends would cross, both meet halfway and the segment selection is dropped;
// a perpendicular neighbour then keeps its direction as it was.
void CBoardView::EditDrag(Graphics* g, uint32_t flags, PointF p) {
    if (m_dragVia) {
        DragVia(g, flags, p);
        return;
    }
    CConductor* c = m_editConductor;
    if (!c || c->m_selected <= 0 || c->m_selected >= static_cast<int32_t>(c->m_vertices.size()))
        return;
    CNet* net = dynamic_cast<CNet*>(c->GetParent());
    CBoard* board = GetBoard();
    if (!net || !board)
        return;
    const int front = GetFrontLayer();
    PointF t = SnapToGrid(p);
    if (CPad* pad = board->FindPadAt(g, p.X, p.Y, net);
        pad && pad->GetNet() == net && HasShapeOn(pad->GetPadstack(), front)) {
        t = pad->GetBoardPosition();
    } else {
        const LayerMask m = SingleMask(front);
        int index = -1;
        if (CConductor* d = net->FindConductorVertexAt(p.X, p.Y, &index, m.low, m.high, c))
            t = PointF{d->m_vertices[static_cast<size_t>(index)].x,
                       d->m_vertices[static_cast<size_t>(index)].y};
    }
    if (m_editTarget && m_editTarget->X == t.X && m_editTarget->Y == t.Y)
        return;
    m_editTarget = t;
    int s0 = c->m_selected - 1;
    std::vector<ConductorVertex>& v = c->m_vertices;
    const ConductorVertex& a0 = v[static_cast<size_t>(s0)];
    const ConductorVertex& a1 = v[static_cast<size_t>(s0) + 1];
    double theta;
    if (Near(a0.x, a0.y, a1.x, a1.y)) {
        if (m_segmentDirection == 999.0f)
            return;
        theta = m_segmentDirection;
    } else {
        theta = std::atan2(static_cast<double>(a1.y) - a0.y, static_cast<double>(a1.x) - a0.x);
    }
    m_segmentDirection = static_cast<float>(theta);
    if (!c->m_dragRecorded) {
        RecordConductor(c);
        c->m_dragRecorded = 1;
    }
    c->InvalidateOnBoard(g);
    s0 = FreeEnd(c, s0, true);
    int s1 = FreeEnd(c, s0 + 1, false);
    c->m_selected = s0 + 1;
    const Frame f(theta);
    double tx, ty;
    f.To(t.X, t.Y, tx, ty);
    double x0, y0, x1, y1;
    f.To(v[static_cast<size_t>(s0)].x, v[static_cast<size_t>(s0)].y, x0, y0);
    f.To(v[static_cast<size_t>(s1)].x, v[static_cast<size_t>(s1)].y, x1, y1);
    const bool forward = x1 >= x0;
    // The new x of one end: its anchor's x moved along the 45-degree piece
    // towards the side the old neighbouring segment came from.
    auto endX = [&](int end, int anchor, double oldX) {
        if (anchor < 0 || anchor >= static_cast<int>(v.size()))
            return oldX;
        double ax, ay;
        f.To(v[static_cast<size_t>(anchor)].x, v[static_cast<size_t>(anchor)].y, ax, ay);
        double ex, ey;
        f.To(v[static_cast<size_t>(end)].x, v[static_cast<size_t>(end)].y, ex, ey);
        if (std::fabs(ex - ax) < 1e-6 && std::fabs(ey - ay) < 1e-6) {
            // The anchor is a copy of the end: the piece runs inwards.
            const bool inward = (end == s0) == forward;
            return ax + (inward ? 1.0 : -1.0) * std::fabs(ay - ty);
        }
        const double nd = Round45(ex - ax, ey - ay);
        const double dx = std::cos(nd);
        if (std::fabs(dx) < 1e-6)
            return std::fabs(ey - ay) < 1e-9 ? oldX : ax; // perpendicular: keeps its x
        return ax + (dx > 0 ? 1.0 : -1.0) * std::fabs(ay - ty);
    };
    double nx0 = endX(s0, s0 - 1, x0);
    double nx1 = endX(s1, s1 + 1, x1);
    if ((forward && nx1 < nx0) || (!forward && nx1 > nx0)) {
        const double mid = (nx0 + nx1) / 2;
        nx0 = nx1 = mid;
        c->m_selected = 0;
    }
    f.From(nx0, ty, v[static_cast<size_t>(s0)].x, v[static_cast<size_t>(s0)].y);
    f.From(nx1, ty, v[static_cast<size_t>(s1)].x, v[static_cast<size_t>(s1)].y);
    net->BuildConnectionGraph(g);
    c->InvalidateOnBoard(g);
}

void CBoardView::EditRelease(Graphics* g, uint32_t flags, PointF p) {
    (void)flags;
    (void)p;
    m_segmentDirection = 999.0f;
    m_editTarget.reset();
    // The drag built the graph with the anchor copies and merged vertices
    // the clean-up below removes: a net whose tracks it changed is rebuilt.
    if (CPad* via = m_dragVia) {
        if (CNet* net = via->GetNet()) {
            const size_t before = VertexCount(net);
            for (CConductor* c : ConductorsOf(net)) {
                bool tied = false;
                for (const ConductorVertex& x : c->m_vertices)
                    tied = tied || x.tie.GetPad() == via;
                if (tied)
                    c->RemoveRedundantVertices(g);
            }
            if (DropTracksWithoutLength(g, net) || VertexCount(net) != before)
                net->BuildConnectionGraph(g);
        }
        m_dragVia = nullptr;
        return;
    }
    if (CConductor* c = m_editConductor) {
        CNet* net = dynamic_cast<CNet*>(c->GetParent());
        const size_t before = c->m_vertices.size();
        c->RemoveRedundantVertices(g);
        // A segment dragged onto its neighbours may leave nothing.
        if (net && DropTracksWithoutLength(g, net)) {
            net->BuildConnectionGraph(g);
            m_editConductor = nullptr;
            Show(nullptr);
            return;
        }
        if (net && c->m_vertices.size() != before)
            net->BuildConnectionGraph(g);
        Show(c);
        CheckConductor(g, c);
        m_editConductor = nullptr;
    }
}

CConductor* CBoardView::DeleteSegment(CConductor* c, int s) {
    std::vector<ConductorVertex>& v = c->m_vertices;
    const int n = static_cast<int>(v.size());
    if (s < 0 || s + 1 >= n)
        return nullptr;
    CNet* net = dynamic_cast<CNet*>(c->GetParent());
    RecordConductor(c);
    CConductor* split = nullptr;
    if (s == 0) {
        v.erase(v.begin());
    } else if (s == n - 2) {
        v.pop_back();
    } else if (net) {
        std::vector<ConductorVertex> rest(v.begin() + s + 1, v.end());
        v.resize(static_cast<size_t>(s) + 1);
        split = AddConductor(net, c->m_layer, c->m_width, rest);
    }
    if (c->m_selected > static_cast<int32_t>(v.size()) - 1)
        c->m_selected = 0;
    if (IsDegenerate(c))
        RemoveConductor(c);
    if (split && IsDegenerate(split)) {
        RemoveConductor(split);
        split = nullptr;
    }
    return split;
}

bool CBoardView::RemoveDegenerateConductors(Graphics* g, CNet* net, std::set<CPad*>* tied) {
    if (!net)
        return false;
    bool removed = false;
    for (CConductor* c : ConductorsOf(net)) {
        if (!IsDegenerate(c))
            continue;
        if (tied)
            for (const ConductorVertex& x : c->m_vertices)
                if (CPad* pad = x.tie.GetPad())
                    tied->insert(pad);
        c->InvalidateOnBoard(g);
        RemoveConductor(c);
        removed = true;
    }
    return removed;
}

void CBoardView::RemoveSuperfluousVias(Graphics* g, CNet* net) {
    if (!net)
        return;
    // Each pass may leave a conductor without length (its vertices merged
    // at a via that went); deleting it may make another via superfluous.
    do
        RemoveSuperfluousViaPads(g, net);
    while (RemoveDegenerateConductors(g, net));
}

bool CBoardView::DropTracksWithoutLength(Graphics* g, CNet* net,
                                         const std::vector<CConductor*>* changed) {
    if (changed && std::none_of(changed->begin(), changed->end(), [net](const CConductor* c) {
            return c->GetParent() == net && IsDegenerate(c);
        }))
        return false;
    std::set<CPad*> tied;
    if (!RemoveDegenerateConductors(g, net, &tied))
        return false;
    do
        RemoveSuperfluousViaPads(g, net, &tied);
    while (RemoveDegenerateConductors(g, net, &tied));
    return true;
}

void CBoardView::RemoveSuperfluousViaPads(Graphics* g, CNet* net, const std::set<CPad*>* only) {
    const std::set<int> planes = PlanesOf(net);
    for (CPadstack* via : ViasOf(net)) {
        for (CPad* pad : PadsOf(via)) {
            if (only && !only->count(pad))
                continue;
            std::set<int> layers = planes;
            std::vector<CConductor*> touching;
            for (CConductor* c : ConductorsOf(net))
                for (const ConductorVertex& x : c->m_vertices)
                    if (x.tie.GetPad() == pad) {
                        if (c->m_layer >= 0 && c->m_layer < 22)
                            layers.insert(c->m_layer);
                        touching.push_back(c);
                        break;
                    }
            // A via on a pad of the net's components joins the pad's layers
            // as a track tied to it joins the track's.
            if (layers.size() < 2)
                layers.merge(ComponentPadLayersUnder(pad, net));
            if (layers.size() > 1)
                continue;
            for (CConductor* c : touching) {
                RecordConductor(c);
                for (ConductorVertex& x : c->m_vertices)
                    if (x.tie.GetPad() == pad)
                        x.tie = VertexTie();
            }
            DeleteViaPad(g, pad);
            for (CConductor* c : touching)
                c->RemoveRedundantVertices(g);
        }
    }
}

void CBoardView::FixViaAtEnd(Graphics* g, CConductor* c, bool last) {
    CNet* net = dynamic_cast<CNet*>(c->GetParent());
    if (!net || c->m_vertices.empty())
        return;
    const int i = last ? static_cast<int>(c->m_vertices.size()) - 1 : 0;
    ConductorVertex& end = c->m_vertices[static_cast<size_t>(i)];
    if (CPad* pad = end.tie.GetPad()) {
        CPadstack* padstack = pad->GetPadstack();
        if (!padstack || padstack->GetParent() != net || !HasShapeOn(padstack, c->m_layer))
            return;
        std::set<int> joined = PlanesOf(net);
        joined.merge(ComponentPadLayersUnder(pad, net));
        for (int layer : joined)
            if (layer != c->m_layer)
                return;
        for (CConductor* o : ConductorsOf(net))
            if (o->m_layer != c->m_layer)
                for (const ConductorVertex& x : o->m_vertices)
                    if (x.tie.GetPad() == pad)
                        return;
        for (CConductor* o : ConductorsOf(net)) {
            bool tied = false;
            for (const ConductorVertex& x : o->m_vertices)
                tied = tied || x.tie.GetPad() == pad;
            if (!tied)
                continue;
            RecordConductor(o);
            for (ConductorVertex& x : o->m_vertices)
                if (x.tie.GetPad() == pad)
                    x.tie = VertexTie();
        }
        DeleteViaPad(g, pad);
        return;
    }
    if (!end.tie.IsNone())
        return;
    const float x = end.x, y = end.y;
    for (CConductor* o : ConductorsOf(net)) {
        if (o == c || o->m_layer == c->m_layer)
            continue;
        for (int k = 0; k < static_cast<int>(o->m_vertices.size()); ++k) {
            const ConductorVertex& ov = o->m_vertices[static_cast<size_t>(k)];
            if (!Near(ov.x, ov.y, x, y))
                continue;
            CPad* via = PlaceVia(g, net, x, y);
            if (!via)
                return;
            RecordConductor(o);
            o->m_vertices[static_cast<size_t>(k)].tie = VertexTie::ToPad(via);
            RecordConductor(c);
            c->m_vertices[static_cast<size_t>(i)].tie = VertexTie::ToPad(via);
            return;
        }
    }
}

void CBoardView::MoveSegmentToLayer(Graphics* g, CConductor* c, int s, int id) {
    CNet* net = dynamic_cast<CNet*>(c->GetParent());
    if (!net || s < 0 || s + 1 >= static_cast<int>(c->m_vertices.size()))
        return;
    ConductorVertex a = c->m_vertices[static_cast<size_t>(s)];
    ConductorVertex b = c->m_vertices[static_cast<size_t>(s) + 1];
    CConductor* n = AddConductor(net, id, c->m_width, {a, b});
    c->InvalidateOnBoard(g);
    DeleteSegment(c, s);
    FixViaAtEnd(g, n, false);
    FixViaAtEnd(g, n, true);
    // Tracks of the new layer that end where the moved segment ends join it.
    for (bool atStart : {true, false}) {
        const ConductorVertex& end = atStart ? n->m_vertices.front() : n->m_vertices.back();
        for (CConductor* o : ConductorsOf(net)) {
            if (o == n || o->m_layer != id || o->m_vertices.size() < 2)
                continue;
            const ConductorVertex& f = o->m_vertices.front();
            const ConductorVertex& l = o->m_vertices.back();
            const bool first = Near(f.x, f.y, end.x, end.y);
            const bool lastHit = Near(l.x, l.y, end.x, end.y);
            if (!first && !lastHit)
                continue;
            if ((atStart && first) || (!atStart && lastHit)) {
                RecordConductor(o);
                std::reverse(o->m_vertices.begin(), o->m_vertices.end());
            }
            if (std::fabs(o->m_width - n->m_width) < kSame) {
                RecordConductor(n);
                std::vector<ConductorVertex> merged = o->m_vertices;
                if (atStart) {
                    merged.insert(merged.end(), n->m_vertices.begin() + 1, n->m_vertices.end());
                } else {
                    merged.insert(merged.begin(), n->m_vertices.begin(), n->m_vertices.end() - 1);
                }
                n->m_vertices = merged;
                RemoveConductor(o);
            }
            break;
        }
    }
    net->BuildConnectionGraph(g);
}

void CBoardView::EditMenu(Graphics* g, uint32_t flags, PointF p) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    if (CPad* via = PickViaPad(g, flags, p)) {
        m_undoList.SetStartNewGroup(true);
        CBoardProperties* properties = EnsureBoardProperties();
        std::vector<CPadstack*> definitions;
        if (properties)
            for (CTreeNode* child : properties->GetChildren())
                if (child->GetType() == NodeType::Padstack)
                    definitions.push_back(static_cast<CPadstack*>(child));
        auto list = std::make_shared<PopupMenu>();
        for (size_t k = 0; k < definitions.size(); ++k) {
            list->AppendItem(static_cast<UINT>(kCmdViaFirst + static_cast<int>(k)),
                             definitions[k]->GetName());
            if (definitions[k]->IsIdentical(via->GetPadstack()))
                list->CheckItem(static_cast<UINT>(kCmdViaFirst + static_cast<int>(k)), true);
        }
        PopupMenu menu;
        menu.AppendSubMenu(L"Change Via", list);
        const POINT at = GetCursorPos();
        const int command = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                           ClampXToWorkArea(at.x, at.y), at.y, this);
        const int k = command - kCmdViaFirst;
        if (k < 0 || k >= static_cast<int>(definitions.size()))
            return;
        CNet* net = via->GetNet();
        if (!net)
            return;
        CPadstack* chosen = net->FindOrAddVia(definitions[static_cast<size_t>(k)]);
        if (!chosen || chosen == via->GetPadstack())
            return;
        if (!LayerIndex().Contains(chosen, CBoardLayerIndex::kTopSet))
            LayerIndex().AddPadstack(chosen);
        auto* pad = new CPad();
        chosen->AddChild(pad);
        pad->m_boardPosition = via->m_boardPosition;
        PushUndo(new CUndoInsert(pad, nullptr));
        for (CConductor* c : ConductorsOf(net))
            for (int i = 0; i < static_cast<int>(c->m_vertices.size()); ++i)
                if (c->m_vertices[static_cast<size_t>(i)].tie.GetPad() == via) {
                    PushUndo(new CUndoConductorNodeChange(c, i));
                    c->m_vertices[static_cast<size_t>(i)].tie = VertexTie::ToPad(pad);
                }
        if (m_dragVia == via)
            m_dragVia = nullptr;
        DeleteViaPad(g, via);
        RemoveSuperfluousVias(g, net);
        net->BuildConnectionGraph(g);
        InvalidateRect(nullptr, false);
        return;
    }
    int index = -1;
    CConductor* c = SegmentAt(p, &index);
    if (!c)
        return;
    BringLayerToFront(c->m_layer);
    SyncLayerSelector();
    PopupMenu menu;
    menu.AppendSubMenu(L"Change Layer", RoutingLayerMenu(c->m_layer));
    menu.AppendItem(static_cast<UINT>(kCmdDeleteSegment), L"&Delete segment\tDel");
    menu.AppendItem(static_cast<UINT>(kCmdDeleteConductor), L"Delete &conductor\tShift+Del");
    menu.AppendItem(static_cast<UINT>(kCmdBreak), L"&Break conductor");
    const POINT at = GetCursorPos();
    const int command = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                       ClampXToWorkArea(at.x, at.y), at.y, this);
    CNet* net = dynamic_cast<CNet*>(c->GetParent());
    if (!net || command <= 0)
        return;
    m_undoList.SetStartNewGroup(true);
    c->InvalidateOnBoard(g);
    if (command == kCmdDeleteSegment) {
        DeleteSegment(c, index);
    } else if (command == kCmdDeleteConductor) {
        RemoveConductor(c);
        RemoveSuperfluousVias(g, net);
    } else if (command == kCmdBreak) {
        const PointF q = SnapToGrid(p);
        // A break that the grid puts on one of the segment's vertices makes
        // that vertex the break, unless it is tied already: a second vertex
        // in the same place would be a piece of track without length.
        ConductorVertex* on = nullptr;
        for (int k : {index, index + 1})
            if (Near(c->m_vertices[static_cast<size_t>(k)].x,
                     c->m_vertices[static_cast<size_t>(k)].y, q.X, q.Y))
                on = &c->m_vertices[static_cast<size_t>(k)];
        if (!on || on->tie.IsNone()) {
            RecordConductor(c);
            if (on) {
                on->tie = VertexTie::BreakPoint();
            } else {
                ConductorVertex b;
                b.x = q.X;
                b.y = q.Y;
                b.tie = VertexTie::BreakPoint();
                c->m_vertices.insert(c->m_vertices.begin() + index + 1, b);
            }
        }
        c->m_selected = 0;
    } else if (command >= kCmdLayerFirst && command < kCmdLayerFirst + 22) {
        MoveSegmentToLayer(g, c, index, command - kCmdLayerFirst);
    } else {
        return;
    }
    if (m_editConductor && !IsOnBoard(m_editConductor, NodeType::Conductor))
        m_editConductor = nullptr;
    net->BuildConnectionGraph(g);
    InvalidateRect(nullptr, false);
}

void CBoardView::DeleteConductors(Graphics* g) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    const bool whole = IsKeyDown(VK_SHIFT);
    std::vector<CNet*> nets;
    for (CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Net)
            nets.push_back(static_cast<CNet*>(child));
    for (CNet* net : nets) {
        bool deleted = false;
        for (CConductor* c : ConductorsOf(net)) {
            if (c->m_selected <= 0)
                continue;
            c->InvalidateOnBoard(g);
            m_undoList.SetStartNewGroup(true);
            if (whole)
                RemoveConductor(c);
            else
                DeleteSegment(c, c->m_selected - 1);
            deleted = true;
        }
        if (deleted) {
            RemoveSuperfluousVias(g, net);
            net->BuildConnectionGraph(g);
            continue;
        }
        for (CPadstack* via : ViasOf(net))
            for (CPad* pad : PadsOf(via)) {
                if (!pad->IsSelected())
                    continue;
                bool used = false;
                for (CConductor* c : ConductorsOf(net))
                    for (const ConductorVertex& x : c->m_vertices)
                        used = used || x.tie.GetPad() == pad;
                if (used)
                    continue;
                m_undoList.SetStartNewGroup(true);
                if (m_dragVia == pad)
                    m_dragVia = nullptr;
                DeleteViaPad(g, pad);
            }
    }
    m_editConductor = nullptr;
    InvalidateRect(nullptr, false);
}
