#include "cam/gerber_layer_writer.h"

#include "board/area.h"
#include "board/area_fill.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_types.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/marking_arc.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "board/outward_flatten.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/polygon_union.h"
#include "board/thermal_relief.h"
#include "core/board_layer.h"
#include "core/node_type.h"
#include "core/text_file.h"
#include "platform/font.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "platform/text.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using Box = GerberBox;

bool IsInner(int layer) {
    return layer >= kLayerInner1 && layer <= kLayerInner20;
}
bool IsMaskOrPaste(int layer) {
    return layer >= kLayerSolderMaskTop && layer <= kLayerSolderPasteBottom;
}
bool IsAssembly(int layer) {
    return layer == kLayerAssemblyTop || layer == kLayerAssemblyBottom;
}

bool MarkingLayerIs(const CMarking* m, int layer) {
    return m->m_layer == layer || (IsInner(layer) && m->m_layer == kPadLayerInner);
}

Box BoundsOf(const FlatPath& f) {
    Box b;
    if (f.points.empty())
        return b;
    b.x0 = b.x1 = f.points[0].X;
    b.y0 = b.y1 = f.points[0].Y;
    for (const PointF& p : f.points) {
        b.x0 = std::min(b.x0, p.X);
        b.x1 = std::max(b.x1, p.X);
        b.y0 = std::min(b.y0, p.Y);
        b.y1 = std::max(b.y1, p.Y);
    }
    return b;
}

FlatPath Flat(GraphicsPath& path, const Matrix* m, float tol) {
    path.Flatten(m, tol);
    FlatPath f;
    f.points = path.Points();
    f.types = path.Types();
    return f;
}

float LineWidth(const CMarkingPrimitive* p) {
    return p->m_width == 0 ? 0.1f : p->m_width;
}

// Box of a conductor's vertices grown by grow on every side.
Box GrownVertexBox(const CConductor* cond, float grow) {
    Box near{cond->m_vertices[0].x, cond->m_vertices[0].y, cond->m_vertices[0].x,
             cond->m_vertices[0].y};
    for (const ConductorVertex& v : cond->m_vertices) {
        near.x0 = std::min(near.x0, v.x - grow);
        near.x1 = std::max(near.x1, v.x + grow);
        near.y0 = std::min(near.y0, v.y - grow);
        near.y1 = std::max(near.y1, v.y + grow);
    }
    return near;
}

// How far PlotArea looks around a conductor's vertices for an area.
float ConductorGrowth(const CConductor* cond, float isolation) {
    return cond->m_width / 2 + isolation + 0.01f;
}

// A box around a circle around every shape of a pad at the point.
Box PadCircleBox(const CPadLayer* pl, const CThermalRelief* t, PointF at) {
    const float isolation = t ? t->m_isolation : 0.3f;
    const float r =
        std::hypot(pl->m_width, pl->m_height) / 2 + 2 * isolation + (t ? t->m_spoke : 0.3f) + 0.1f;
    return Box{at.X - r, at.Y - r, at.X + r, at.Y + r};
}

bool IsFinite(const Box& b) {
    return std::isfinite(b.x0) && std::isfinite(b.y0) && std::isfinite(b.x1) && std::isfinite(b.y1);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The box to look for a path's neighbours in: its bounds, empty (inverted)
// without points, and not finite when a point is not, so that every
// neighbour is looked at.
Box SearchBox(const FlatPath& f) {
    for (const PointF& p : f.points)
        if (!std::isfinite(p.X) || !std::isfinite(p.Y))
            return Box{kNaN, kNaN, kNaN, kNaN};
    return BoundsOf(f);
}

// The box grown by a margin that rounding cannot cross.
Box Widened(const Box& b) {
    const float size = std::max({std::fabs(b.x0), std::fabs(b.y0), std::fabs(b.x1), std::fabs(b.y1),
                                 b.x1 - b.x0, b.y1 - b.y0});
    const float margin = 0.01f + size * 1e-4f;
    return Box{b.x0 - margin, b.y0 - margin, b.x1 + margin, b.y1 + margin};
}

} // namespace

CGerberLayerWriter::CGerberLayerWriter(CTextFile* file, const CamSettings& settings, CBoard* board,
                                       int layer, CLayer* layerNode, CClearanceOutlines* outlines)
    : m_settings(settings), m_board(board), m_layer(layer), m_layerNode(layerNode),
      m_plot(file, GerberFormat::From(settings.unit, settings.resFlt,
                                      std::pow(10.0, -settings.resFlt), settings.resInt)),
      m_apertures(&m_plot, settings.padTol), m_outlines(outlines ? outlines : &m_ownOutlines) {
    CThermalRelief* thermal = nullptr;
    board->FindBoardProperties(&thermal, nullptr);
    m_apertures.SetBoardThermal(thermal);
    m_isolation = thermal ? thermal->m_isolation : 0.3f;
}

bool CGerberLayerWriter::IsPlane() const {
    return m_layerNode && m_layerNode->m_layerType == kLayerTypePlane;
}

void CGerberLayerWriter::WriteHeader(const std::wstring& fileName) {
    // Only the base name, in ASCII, without the characters that end a
    // parameter block.
    std::wstring name = fileName.substr(fileName.find_last_of(L"/\\") + 1);
    std::wstring clean;
    for (wchar_t c : name) {
        if (c == L'%' || c == L'*')
            continue;
        clean += (c < 0x20 || c > 0x7E) ? L'_' : c;
    }
    const int ri = m_settings.resInt, rf = m_settings.resFlt;
    m_plot.Line(L"%IN" + clean + L"*%");
    m_plot.Line(L"%OFA0B0*SFA1.0B1.0*ASAXBY*MIA0B0*IR0*%");
    m_plot.Line(L"%IPPOS*%");
    m_plot.Line(m_settings.unit == 0 ? L"%MOIN*%" : L"%MOMM*%");
    m_plot.Line(StrPrintf(L"%%FSLAX%c%cY%c%c*%%", L'0' + ri, L'0' + rf, L'0' + ri, L'0' + rf));
    m_plot.Line(L"*");
    m_plot.Line(L"G04 Aperture Definitions *");
    m_plot.Line(L"*");
}

bool CGerberLayerWriter::WriteOutlineFile() {
    const int d = m_apertures.Circle(0.001f);
    m_apertures.WriteDefinitions();
    m_plot.Line(L"*");
    m_plot.Line(L"G04 Plot Data *");
    m_plot.Line(L"*");
    m_plot.SelectAperture(d);
    m_plot.PlotOutline(m_board->m_outline);
    m_plot.Line(L"M02*");
    m_plot.Flush();
    return !m_plot.Unwritable();
}

bool CGerberLayerWriter::WriteLayerFile() {
    AperturePass();
    if (m_apertures.InvalidSize())
        return false;
    m_apertures.WriteDefinitions();
    m_plot.Line(L"*");
    m_plot.Line(L"G04 Plot Data *");
    m_plot.Line(L"*");
    PlotPass();
    m_plot.Line(L"M02*");
    m_plot.Flush();
    return !m_plot.Unwritable();
}

// ---- aperture pass ------------------------------------------------------

void CGerberLayerWriter::AperturePass() {
    if (IsPlane())
        m_planeBorder = m_apertures.Circle(2.0f);
    if (m_settings.textDrawingMode == 1)
        m_textStroke = m_apertures.Circle(m_settings.lineThck);
    for (CTreeNode* child : m_board->GetChildren()) {
        const int type = child->GetType();
        if (type == NodeType::Package || type == NodeType::Mounting) {
            for (CTreeNode* c : child->GetChildren())
                if (c->GetType() == NodeType::Footprint)
                    FootprintApertures(static_cast<CFootprint*>(c));
        } else if (type == NodeType::Net) {
            for (CTreeNode* c : child->GetChildren()) {
                if (c->GetType() == NodeType::Conductor) {
                    auto* cond = static_cast<CConductor*>(c);
                    if (cond->m_layer == m_layer && !cond->m_vertices.empty())
                        m_lineApertures[cond] = m_apertures.Circle(cond->m_width);
                } else if (c->GetType() == NodeType::Padstack) {
                    auto* via = static_cast<CPadstack*>(c);
                    if (IsAssembly(m_layer))
                        continue; // vias have no assembly drawing
                    if (IsMaskOrPaste(m_layer)) {
                        const int cover = m_settings.coverViaWithMask;
                        const bool paste = m_layer >= kLayerSolderPasteTop;
                        // "Open" opens the mask only: no paste on a via.
                        if (cover == 1 && !paste)
                            PadstackApertures(via, true);
                        else if (cover == 2)
                            PadstackApertures(via, false);
                        continue;
                    }
                    PadstackApertures(via, false);
                }
            }
        }
    }
}

bool CGerberLayerWriter::MarkingWritten(const CMarking* marking) const {
    if (MarkingLayerIs(marking, m_layer))
        return true;
    if (!IsAssembly(m_layer))
        return false;
    if (CPadstack::FindMarking(marking->GetParent(), m_layer))
        return false;
    return marking->m_layer == m_layer - 2 || marking->m_layer == m_layer + 6;
}

void CGerberLayerWriter::MarkingApertures(const CMarking* marking) {
    if (!MarkingWritten(marking))
        return;
    for (const CMarkingPrimitive* p : marking->m_primitives)
        m_lineApertures[p] = m_apertures.Circle(LineWidth(p));
}

void CGerberLayerWriter::PadstackApertures(const CPadstack* padstack, bool openOnly) {
    PadstackApertureNumbers& ap = m_padstacks[padstack];
    ap = PadstackApertureNumbers{};
    if (m_layer >= kLayerAssemblyTop && m_layer <= kLayerSolderPasteBottom) {
        const CPadLayer* copper = padstack->FindPadLayer(m_layer & 1);
        if (copper && !padstack->FindMarkingForBoardLayer(m_layer)) {
            const float delta =
                m_layer >= kLayerSolderPasteTop ? -m_settings.spDecr : m_settings.smIncr;
            ap.pad = m_apertures.GrownPadAperture(copper, delta);
        }
    }
    if (!openOnly) {
        if (const CPadLayer* own = padstack->FindPadLayerForBoardLayer(m_layer)) {
            if (own->m_shape != kPadShapeCustom && own->m_width == 0 && own->m_height == 0) {
                ap.pad = 0;
            } else {
                ap.pad = m_apertures.PadAperture(own);
                ap.clearance = m_apertures.ClearanceAperture(own);
                ap.thermal = m_apertures.ThermalAperture(own);
            }
        }
    }
    for (const CTreeNode* c : padstack->GetChildren())
        if (c->GetType() == NodeType::Marking)
            MarkingApertures(static_cast<const CMarking*>(c));
}

void CGerberLayerWriter::FootprintApertures(const CFootprint* footprint) {
    for (const CTreeNode* c : footprint->GetChildren()) {
        if (c->GetType() == NodeType::Padstack)
            PadstackApertures(static_cast<const CPadstack*>(c), false);
        else if (c->GetType() == NodeType::Marking)
            MarkingApertures(static_cast<const CMarking*>(c));
    }
}

// ---- plot pass ----------------------------------------------------------

PointF CGerberLayerWriter::BoardPosition(PointF p, PointF offset,
                                         const CFootprint* footprint) const {
    const float x = p.X + offset.X, y = p.Y + offset.Y;
    if (footprint)
        return footprint->LocalToBoard(x, y);
    return PointF{x, y};
}

void CGerberLayerWriter::PlacementMatrix(Matrix* m, PointF offset,
                                         const CFootprint* footprint) const {
    m->Reset();
    if (footprint)
        footprint->TransformMatrix(m);
    m->Translate(offset.X, offset.Y);
}

bool CGerberLayerWriter::TextLayerMatches(int textLayer) const {
    return textLayer == m_layer ||
           (textLayer == kLayerSilkscreenTop && m_layer == kLayerAssemblyTop) ||
           (textLayer == kLayerSilkscreenBottom && m_layer == kLayerAssemblyBottom);
}

void CGerberLayerWriter::AddConductorNeighbours(const CNet* net, int layer, float isolation,
                                                std::vector<AreaNeighbour>* neighbours,
                                                CBoxLookup* boxes) {
    for (const CTreeNode* c : net->GetChildren()) {
        if (c->GetType() != NodeType::Conductor)
            continue;
        const auto* cond = static_cast<const CConductor*>(c);
        if (cond->m_layer != layer || cond->m_vertices.empty())
            continue;
        const Box near = GrownVertexBox(cond, ConductorGrowth(cond, isolation));
        neighbours->push_back(AreaNeighbour{nullptr, nullptr, nullptr, cond, net});
        boxes->Add(near.x0, near.y0, near.x1, near.y1);
    }
}

std::vector<ClearanceRequest> CGerberLayerWriter::ClearanceRequests(CBoard* board, int layer,
                                                                    float isolation, float padTol) {
    std::vector<AreaNeighbour> conductors;
    CBoxLookup boxes;
    for (CTreeNode* netNode : board->GetChildren())
        if (netNode->GetType() == NodeType::Net)
            AddConductorNeighbours(static_cast<const CNet*>(netNode), layer, isolation, &conductors,
                                   &boxes);
    boxes.Build();
    std::vector<ClearanceRequest> wanted;
    std::unordered_map<const CConductor*, size_t> index;
    std::vector<uint32_t> found;
    for (CTreeNode* child : board->GetChildren()) {
        if (child->GetType() != NodeType::Area)
            continue;
        const auto* area = static_cast<const CArea*>(child);
        if (area->m_layer != layer || !area->m_outline)
            continue;
        FlatPath areaFlat;
        FlattenOutline(area->m_outline, padTol, &areaFlat);
        const Box areaBox = BoundsOf(areaFlat);
        const Box search = SearchBox(areaFlat);
        boxes.Find(search.x0, search.y0, search.x1, search.y1, &found);
        for (uint32_t id : found) {
            const AreaNeighbour& near = conductors[id];
            if (near.net->GetName() == area->m_net)
                continue;
            // The same test as PlotArea's.
            const CConductor* cond = near.conductor;
            if (GrownVertexBox(cond, ConductorGrowth(cond, isolation)).Misses(areaBox))
                continue;
            auto [at, added] = index.emplace(cond, wanted.size());
            if (added)
                wanted.push_back(ClearanceRequest{cond, {}});
            wanted[at->second].areas.push_back(area);
        }
    }
    return wanted;
}

unsigned CGerberLayerWriter::OutlineHelpers(size_t outlines) {
    // A few outlines are not worth a thread.
    return outlines < 32 ? 0 : std::min(CClearanceOutlines::UsableCores() - 1, 7u);
}

// The outlines PlotArea will ask for, in the order it asks, go to helper
// threads first (unless the whole export started them already); PlotArea
// takes them as they are done.
void CGerberLayerWriter::StartClearanceOutlines() {
    m_regionMemos.clear();
    m_regionUses.clear();
    std::vector<ClearanceRequest> wanted =
        ClearanceRequests(m_board, m_layer, m_isolation, m_settings.padTol);
    for (const ClearanceRequest& r : wanted)
        m_regionUses[r.conductor] = static_cast<int>(r.areas.size());
    if (m_outlines != &m_ownOutlines)
        return;
    const unsigned helpers = OutlineHelpers(wanted.size());
    m_ownOutlines.Start(std::move(wanted), m_isolation, m_settings.padTol, helpers);
}

void CGerberLayerWriter::PlotPass() {
    StartClearanceOutlines();
    FindAreaNeighbours();
    if (IsPlane()) {
        m_plot.SelectAperture(m_planeBorder);
        m_plot.PlotOutline(m_board->m_outline);
    }
    m_areas.clear();
    m_areaBoxes = CBoxLookup();
    const float reach = m_isolation + 2 * m_settings.padTol;
    for (CTreeNode* child : m_board->GetChildren()) {
        if (child->GetType() != NodeType::Area || static_cast<CArea*>(child)->m_layer != m_layer)
            continue;
        const auto* area = static_cast<const CArea*>(child);
        m_areas.push_back(area);
        // Bounds that are not finite meet everything.
        RectF b{kNaN, kNaN, kNaN, kNaN};
        if (area->m_outline) {
            GraphicsPath outline;
            area->m_outline->FillOutlinePath(&outline);
            outline.GetBounds(&b);
        }
        m_areaBoxes.Add(b.X - reach, b.Y - reach, b.X + b.Width + reach, b.Y + b.Height + reach);
    }
    m_areaBoxes.Build();
    for (size_t i = 0; i < m_areas.size(); ++i)
        PlotArea(m_areas[i], i);
    m_ownOutlines.Stop();
    for (CTreeNode* child : m_board->GetChildren()) {
        switch (child->GetType()) {
        case NodeType::Package: {
            const CFootprint* fp = static_cast<CPackage*>(child)->GetFootprint();
            if (!fp)
                break;
            PlotFootprint(fp);
            for (CTreeNode* c : child->GetChildren())
                if (c->GetType() == NodeType::Text) {
                    auto* t = static_cast<CText*>(c);
                    if (t->m_boardVisible && TextLayerMatches(t->m_layer))
                        PlotText(t, fp);
                }
            break;
        }
        case NodeType::Net:
            for (CTreeNode* c : child->GetChildren()) {
                if (c->GetType() == NodeType::Conductor) {
                    auto* cond = static_cast<CConductor*>(c);
                    // A conductor without vertices has nothing to plot.
                    if (cond->m_layer == m_layer && !cond->m_vertices.empty())
                        m_plot.PlotConductor(cond, m_lineApertures[cond]);
                } else if (c->GetType() == NodeType::Padstack) {
                    PlotPadstack(static_cast<CPadstack*>(c), nullptr);
                }
            }
            break;
        case NodeType::Text: {
            auto* t = static_cast<CText*>(child);
            if (TextLayerMatches(t->m_layer))
                PlotText(t, nullptr);
            break;
        }
        case NodeType::Mounting:
            for (CTreeNode* c : child->GetChildren())
                if (c->GetType() == NodeType::Footprint)
                    PlotFootprint(static_cast<CFootprint*>(c));
            break;
        default:
            break;
        }
    }
}

void CGerberLayerWriter::PlotFootprint(const CFootprint* footprint) {
    for (const CTreeNode* c : footprint->GetChildren()) {
        if (c->GetType() == NodeType::Padstack)
            PlotPadstack(static_cast<const CPadstack*>(c), footprint);
        else if (c->GetType() == NodeType::Marking)
            PlotMarking(static_cast<const CMarking*>(c), PointF{0, 0}, footprint);
    }
}

void CGerberLayerWriter::PlotPadstack(const CPadstack* padstack, const CFootprint* footprint) {
    auto it = m_padstacks.find(padstack);
    const PadstackApertureNumbers ap =
        it == m_padstacks.end() ? PadstackApertureNumbers{} : it->second;
    for (const CTreeNode* c : padstack->GetChildren()) {
        if (c->GetType() != NodeType::Pad)
            continue;
        const auto* pad = static_cast<const CPad*>(c);
        if (ap.pad != 0) {
            int chosen = 0;
            if ((m_layer >= kLayerAssemblyTop && m_layer <= kLayerSolderPasteBottom) ||
                !m_layerNode || m_layerNode->m_layerType == kLayerTypeRouting) {
                chosen = ap.pad;
            } else if (IsPlane()) {
                const std::wstring net = pad->GetNetName();
                if (net.empty())
                    chosen = ap.clearance;
                else if (net == m_layerNode->m_net)
                    chosen = (padstack->m_noThermal || m_layerNode->m_noThermal) ? 0 : ap.thermal;
                else
                    chosen = ap.clearance;
            }
            if (chosen != 0) {
                m_plot.SelectAperture(chosen);
                const PointF p = BoardPosition(pad->m_boardPosition, PointF{0, 0}, footprint);
                m_plot.PlotFlash(p.X, p.Y);
            }
        }
        for (const CTreeNode* m : padstack->GetShapes())
            if (m->GetType() == NodeType::Marking)
                PlotMarking(static_cast<const CMarking*>(m), pad->m_boardPosition, footprint);
    }
}

void CGerberLayerWriter::PlotMarking(const CMarking* marking, PointF offset,
                                     const CFootprint* footprint) {
    if (!MarkingWritten(marking))
        return;
    for (const CMarkingPrimitive* p : marking->m_primitives)
        PlotPrimitive(p, offset, footprint);
}

void CGerberLayerWriter::PlotPrimitive(const CMarkingPrimitive* primitive, PointF offset,
                                       const CFootprint* footprint) {
    auto at = [&](PointF p) { return BoardPosition(p, offset, footprint); };
    auto move = [&](PointF p) {
        const PointF q = at(p);
        m_plot.PlotMove(q.X, q.Y);
    };
    auto draw = [&](PointF p) {
        const PointF q = at(p);
        m_plot.PlotDraw(q.X, q.Y);
    };
    const bool filled = primitive->m_filled;
    const int kind = primitive->GetKind();
    if (kind != MARKING_TEXT && !filled) {
        auto it = m_lineApertures.find(primitive);
        if (it != m_lineApertures.end())
            m_plot.SelectAperture(it->second);
    }
    auto beginRegion = [&] {
        if (filled) {
            m_plot.SetPolarity(false);
            m_plot.Line(L"G36*");
        }
    };
    auto endRegion = [&] {
        if (filled)
            m_plot.Line(L"G37*");
    };
    Matrix placement;
    PlacementMatrix(&placement, offset, footprint);
    switch (kind) {
    case MARKING_LINE: {
        const auto* l = static_cast<const CMarkingLine*>(primitive);
        move(l->m_p1);
        draw(l->m_p2);
        break;
    }
    case MARKING_RECT: {
        const auto* r = static_cast<const CMarkingRect*>(primitive);
        const PointF a = r->m_p1, b = r->m_p2;
        beginRegion();
        move(a);
        draw({a.X, b.Y});
        draw(b);
        draw({b.X, a.Y});
        draw(a);
        endRegion();
        break;
    }
    case MARKING_POLYGON: {
        const auto& v = static_cast<const CMarkingPolygon*>(primitive)->m_vertices;
        if (v.empty())
            break;
        beginRegion();
        if (filled || primitive->m_closed) {
            move(v.back());
            for (const PointF& p : v)
                draw(p);
        } else {
            move(v.front());
            for (size_t i = 1; i < v.size(); ++i)
                draw(v[i]);
        }
        endRegion();
        break;
    }
    case MARKING_CIRCLE: {
        const auto* c = static_cast<const CMarkingCircle*>(primitive);
        const float x1 = c->m_p1.X, y1 = c->m_p1.Y, x2 = c->m_p2.X, y2 = c->m_p2.Y;
        beginRegion();
        if (std::fabs(std::fabs(x1 - x2) - std::fabs(y1 - y2)) >= primitive->m_width / 4) {
            GraphicsPath path;
            path.AddEllipse(std::min(x1, x2), std::min(y1, y2), std::fabs(x2 - x1),
                            std::fabs(y2 - y1));
            m_plot.PlotPathLines(Flat(path, &placement, m_settings.markingTol));
        } else {
            const float cy = (y1 + y2) / 2, cx = (x1 + x2) / 2;
            const PointF s = at({x1, cy}), e = at({x2, cy}), ctr = at({cx, cy});
            m_plot.PlotMove(s.X, s.Y);
            m_plot.PlotArc(e.X, e.Y, ctr.X, ctr.Y, false, true);
            m_plot.PlotArc(s.X, s.Y, ctr.X, ctr.Y, false, true);
        }
        endRegion();
        break;
    }
    case MARKING_ARC: {
        const auto* a = static_cast<const CMarkingArc*>(primitive);
        float start = 0, sweep = 0;
        a->Angles(&start, &sweep);
        GraphicsPath path;
        path.AddArc(a->Box(), start, sweep);
        if (primitive->m_closed)
            path.CloseFigure();
        const FlatPath flat = Flat(path, &placement, m_settings.markingTol);
        beginRegion();
        m_plot.PlotPathLines(flat);
        endRegion();
        break;
    }
    case MARKING_BEZIER: {
        const auto* b = static_cast<const CMarkingBezier*>(primitive);
        GraphicsPath path;
        path.AddBezier(b->m_p1, b->m_c1, b->m_c2, b->m_p2);
        m_plot.PlotPathLines(Flat(path, &placement, m_settings.markingTol));
        break;
    }
    case MARKING_TEXT: {
        const auto* t = static_cast<const CMarkingText*>(primitive);
        FontFamily family(t->m_fontName);
        if (!family.IsAvailable() || t->m_text.empty())
            break;
        GraphicsPath path;
        path.AddString(t->m_text, &family, FontStyleRegular, t->m_fontSize, PointF{0, 0}, nullptr);
        Matrix m = placement;
        t->TextToModel(&m);
        m_plot.PlotPathRegions(Flat(path, &m, m_settings.textTol));
        break;
    }
    default:
        break;
    }
}

void CGerberLayerWriter::PlotText(const CText* text, const CFootprint* footprint) {
    if (text->GetText().empty())
        return;
    PointF pos = text->m_boardPosition;
    if (pos.X == 0 && pos.Y == 0)
        pos = PointF{text->m_position.x / 5.0f, text->m_position.y / 5.0f};
    Matrix m;
    if (footprint)
        footprint->TransformMatrix(&m);
    m.Translate(pos.X, pos.Y);
    m.Scale(text->GetMirrorSign(), -1);
    m.Rotate(text->m_rotation);
    FontFamily family(text->m_font);
    if (!family.IsAvailable())
        return;
    GraphicsPath path;
    path.AddString(text->GetText(), &family, FontStyleRegular, text->m_fontSize, PointF{0, 0},
                   nullptr);
    const FlatPath flat = Flat(path, &m, m_settings.textTol);
    if (m_settings.textDrawingMode == 1) {
        m_plot.SelectAperture(m_textStroke);
        m_plot.PlotPathLines(flat);
    } else {
        m_plot.PlotPathRegions(flat);
    }
}

void CGerberLayerWriter::FindAreaNeighbours() {
    m_neighbours.clear();
    m_neighbourBoxes = CBoxLookup();
    bool areas = false;
    for (CTreeNode* child : m_board->GetChildren())
        if (child->GetType() == NodeType::Area && static_cast<CArea*>(child)->m_layer == m_layer)
            areas = true;
    if (!areas)
        return;
    // In the order PlotArea clears them: the pads of the parts, then for
    // each net its vias and its conductors.
    for (CTreeNode* child : m_board->GetChildren()) {
        if (child->GetType() == NodeType::Package) {
            for (CTreeNode* f : child->GetChildren()) {
                if (f->GetType() != NodeType::Footprint)
                    continue;
                for (CTreeNode* p : f->GetChildren())
                    if (p->GetType() == NodeType::Padstack)
                        AddPadNeighbours(static_cast<CPadstack*>(p), static_cast<CFootprint*>(f));
            }
        } else if (child->GetType() == NodeType::Net) {
            for (CTreeNode* c : child->GetChildren())
                if (c->GetType() == NodeType::Padstack)
                    AddPadNeighbours(static_cast<CPadstack*>(c), nullptr);
            AddConductorNeighbours(static_cast<const CNet*>(child), m_layer, m_isolation,
                                   &m_neighbours, &m_neighbourBoxes);
        }
    }
    m_neighbourBoxes.Build();
}

void CGerberLayerWriter::AddPadNeighbours(const CPadstack* padstack, const CFootprint* footprint) {
    const CPadLayer* pl = padstack->FindPadLayerForBoardLayer(m_layer);
    if (!pl)
        return;
    const CThermalRelief* t = m_apertures.EffectiveThermal(pl);
    const float isolation = t ? t->m_isolation : 0.3f;
    for (const CTreeNode* c : padstack->GetChildren()) {
        if (c->GetType() != NodeType::Pad)
            continue;
        const auto* pad = static_cast<const CPad*>(c);
        Box box;
        if (pl->m_shape != kPadShapeCustom) {
            box = PadCircleBox(pl, t, BoardPosition(pad->m_boardPosition, PointF{0, 0}, footprint));
        } else {
            // Either cut-out of a custom pad, with a margin: an area whose
            // outline stays clear of it needs neither.
            Box thermal = SearchBox(CutOutPath(pl, pad, footprint, true, isolation));
            Box clearance = SearchBox(CutOutPath(pl, pad, footprint, false, isolation));
            if (thermal.x0 > thermal.x1)
                thermal = clearance;
            else if (clearance.x0 > clearance.x1)
                clearance = thermal;
            if (thermal.x0 > thermal.x1)
                continue; // nothing to cut out
            if (IsFinite(thermal) && IsFinite(clearance))
                box = Widened(
                    Box{std::min(thermal.x0, clearance.x0), std::min(thermal.y0, clearance.y0),
                        std::max(thermal.x1, clearance.x1), std::max(thermal.y1, clearance.y1)});
            else
                box = Box{kNaN, kNaN, kNaN, kNaN};
        }
        m_neighbours.push_back(AreaNeighbour{padstack, pad, footprint, nullptr, nullptr});
        m_neighbourBoxes.Add(box.x0, box.y0, box.x1, box.y1);
    }
}

void CGerberLayerWriter::PlotArea(const CArea* area, size_t index) {
    if (!area->m_outline)
        return;
    m_plot.SetPolarity(false);
    m_plot.Line(L"G36*");
    m_plot.PlotOutline(area->m_outline);
    m_plot.Line(L"G37*");
    FlatPath areaFlat;
    FlattenOutline(area->m_outline, m_settings.padTol, &areaFlat);
    const Box areaBox = BoundsOf(areaFlat);
    const Box search = SearchBox(areaFlat);
    m_neighbourBoxes.Find(search.x0, search.y0, search.x1, search.y1, &m_found);
    for (uint32_t id : m_found) {
        const AreaNeighbour& near = m_neighbours[id];
        if (near.pad) {
            AreaCutOut(near, area, areaFlat, areaBox);
            continue;
        }
        if (near.net->GetName() == area->m_net)
            continue;
        const CConductor* cond = near.conductor;
        // Outlines are costly: only conductors near the area get one.
        if (GrownVertexBox(cond, ConductorGrowth(cond, m_isolation)).Misses(areaBox))
            continue;
        bool overlaps = false;
        const FlatPath& flat = m_outlines->Get(cond, area, areaFlat, &overlaps);
        // A conductor near several areas gets the same lines in each:
        // they are kept until its last area.
        auto uses = m_regionUses.find(cond);
        GerberRegionMemo* memo = nullptr;
        if (uses != m_regionUses.end() && uses->second > 1) {
            memo = &m_regionMemos[cond];
        } else {
            auto kept = m_regionMemos.find(cond);
            if (kept != m_regionMemos.end())
                memo = &kept->second;
        }
        if (overlaps)
            m_plot.PlotClearRegion(flat, memo);
        if (uses != m_regionUses.end() && --uses->second == 0) {
            m_regionMemos.erase(cond);
            m_outlines->Release(cond);
        }
    }
    ClearUnderLaterAreas(area, areaBox, index);
    m_plot.SetPolarity(false);
}

void CGerberLayerWriter::ClearUnderLaterAreas(const CArea* area, const GerberBox& areaBox,
                                              size_t index) {
    // An area of another net plotted after this one keeps its copper; this
    // one is cleared around it by the board's isolation. The clear regions
    // stay within this area's outline (its curves flattened outside it), so
    // that copper of an earlier area beneath is left as its own fill has it.
    const float tol = m_settings.padTol;
    const float reach = m_isolation + 2 * tol;
    CClipPolygon own;
    // The later areas near this one, in the board's order.
    m_areaBoxes.Find(areaBox.x0, areaBox.y0, areaBox.x1, areaBox.y1, &m_laterFound);
    for (uint32_t id : m_laterFound) {
        if (id <= index)
            continue;
        const CArea* other = m_areas[id];
        if (!CAreaFill::IsClearedBy(area, other))
            continue;
        GraphicsPath outline;
        other->m_outline->FillOutlinePath(&outline);
        RectF b;
        outline.GetBounds(&b);
        const GerberBox near{b.X - reach, b.Y - reach, b.X + b.Width + reach,
                             b.Y + b.Height + reach};
        // Bounds that are not finite miss nothing.
        if (std::isfinite(b.X) && std::isfinite(b.Y) && std::isfinite(b.Width) &&
            std::isfinite(b.Height) && near.Misses(areaBox))
            continue;
        if (own.IsEmpty()) {
            GraphicsPath path;
            area->m_outline->FillOutlinePath(&path);
            own = PathToClearancePolygon(path, tol);
            if (own.IsEmpty())
                return;
        }
        CClipPolygon cut;
        cut.Clip(CLIP_INTERSECTION, CAreaFill::GrownOutline(outline, m_isolation, tol), own);
        if (cut.IsEmpty())
            continue;
        GraphicsPath path;
        ClipPolygonToPath(cut, &path);
        FlatPath flat;
        flat.points = path.Points();
        flat.types = path.Types();
        m_plot.PlotPathRegions(flat, true);
    }
}

FlatPath CGerberLayerWriter::CutOutPath(const CPadLayer* padLayer, const CPad* pad,
                                        const CFootprint* footprint, bool thermal,
                                        float isolation) const {
    GraphicsPath path;
    if (thermal)
        padLayer->BuildThermalPath(&path);
    else
        padLayer->BuildClearancePath(&path, isolation);
    Matrix m;
    PlacementMatrix(&m, pad->m_boardPosition, footprint);
    // Cut out of the area's copper: the curves are flattened outside the
    // shape, so the copper keeps the whole isolation.
    FlattenOutward(&path, m_settings.padTol, &m);
    FlatPath flat;
    flat.points = path.Points();
    flat.types = path.Types();
    return flat;
}

void CGerberLayerWriter::AreaCutOut(const AreaNeighbour& neighbour, const CArea* area,
                                    const FlatPath& areaFlat, const Box& areaBox) {
    const CPadstack* padstack = neighbour.padstack;
    const CPad* pad = neighbour.pad;
    const CPadLayer* pl = padstack->FindPadLayerForBoardLayer(area->m_layer);
    const CThermalRelief* t = m_apertures.EffectiveThermal(pl);
    const float isolation = t ? t->m_isolation : 0.3f;
    // Most pads lie far from the area and need no outline.
    if (pl->m_shape != kPadShapeCustom &&
        PadCircleBox(pl, t, BoardPosition(pad->m_boardPosition, PointF{0, 0}, neighbour.footprint))
            .Misses(areaBox))
        return;
    const bool thermal = !area->m_net.empty() && pad->GetNetName() == area->m_net;
    if (thermal && (area->m_noThermal || padstack->m_noThermal))
        return;
    const FlatPath flat = CutOutPath(pl, pad, neighbour.footprint, thermal, isolation);
    if (!flat.points.empty() && FlatPathsOverlap(flat, areaFlat))
        m_plot.PlotClearRegion(flat);
}
