#include "board/area_node.h"

#include "board/board_types.h"
#include "platform/text.h"

#include <cmath>
#include <cwctype>

namespace {

constexpr float kNodeTolerance = 0.0001f;

std::wstring Num(float v) {
    return FormatGeneral(v, 5);
}

} // namespace

CAreaNode::CAreaNode(int kind, CVorpelView** view, float x, float y)
    : m_kind(kind), m_ppView(view), m_x(x), m_y(y) {
    LinkLone();
}

CAreaNode::CAreaNode(const CAreaNode& other)
    : List<CAreaNode>(), CProperty(other), m_kind(other.m_kind), m_ppView(other.m_ppView),
      m_x(other.m_x), m_y(other.m_y), m_pressX(other.m_pressX), m_pressY(other.m_pressY),
      m_grabbed(nullptr), m_selectedNode(other.m_selectedNode), m_dragging(0) {
    LinkLone();
}

void CAreaNode::LinkLone() {
    m_next = m_prev = nullptr;
    m_first = m_last = this;
}

bool CAreaNode::IsDifferent(const CAreaNode* other) const {
    // Another kind is another piece; the kinds' own fields are compared only
    // between nodes of the same kind.
    if (m_kind != other->m_kind)
        return true;
    return std::fabs(m_x - other->m_x) > kNodeTolerance ||
           std::fabs(m_y - other->m_y) > kNodeTolerance;
}

void CAreaNode::CopyFrom(const CAreaNode* other) {
    m_x = other->m_x;
    m_y = other->m_y;
    CAreaNode* before = GetPrevCyclic();
    if (before && before != this && before->m_kind == AREA_ARC)
        static_cast<CAreaArc*>(before)->UpdateGeometry();
}

void CAreaNode::SwapPoint(float& x, float& y) {
    std::swap(m_x, x);
    std::swap(m_y, y);
}

void CAreaNode::MirrorHorizontally() {
    m_x = -m_x;
}

void CAreaNode::MirrorVertically() {
    m_y = -m_y;
}

void CAreaNode::Rotate90(bool shift) {
    float x = m_x, y = m_y;
    if (shift) {
        m_x = -y;
        m_y = x;
    } else {
        m_x = y;
        m_y = -x;
    }
}

void CAreaNode::InsertAfter(CAreaNode* node) {
    node->m_prev = this;
    node->m_next = m_next;
    node->m_first = m_first;
    if (m_next) {
        m_next->m_prev = node;
        node->m_last = m_last;
        m_next = node;
        return;
    }
    m_next = node;
    node->m_last = node;
    for (CAreaNode* n = this; n; n = n->m_prev)
        n->m_last = node;
}

void CAreaNode::InsertBefore(CAreaNode* node) {
    node->m_next = this;
    node->m_prev = m_prev;
    node->m_last = m_last;
    if (m_prev) {
        m_prev->m_next = node;
        node->m_first = m_first;
        m_prev = node;
        return;
    }
    m_prev = node;
    node->m_first = node;
    for (CAreaNode* n = this; n; n = n->m_next)
        n->m_first = node;
}

CAreaNode* CAreaNode::Unlink() {
    CAreaNode* next = m_next;
    CAreaNode* prev = m_prev;
    if (prev)
        prev->m_next = next;
    if (next)
        next->m_prev = prev;
    if (!next && prev)
        for (CAreaNode* n = prev; n; n = n->m_prev)
            n->m_last = prev;
    if (!prev && next)
        for (CAreaNode* n = next; n; n = n->m_next)
            n->m_first = next;
    return next;
}

// Segment ---------------------------------------------------------------

CAreaSegment::CAreaSegment(CVorpelView** view, float x, float y)
    : CAreaNode(AREA_SEGMENT, view, x, y) {}

CAreaSegment::CAreaSegment(CVorpelView** view, const wchar_t* text)
    : CAreaNode(AREA_SEGMENT, view, 0, 0) {
    float v[2] = {0, 0};
    ScanFloats(text, 2, v);
    m_x = v[0];
    m_y = v[1];
}

std::wstring CAreaSegment::ToString() const {
    return L"LIN" + Num(m_x) + L"," + Num(m_y);
}

CAreaNode* CAreaSegment::Clone() const {
    return new CAreaSegment(*this);
}

// Arc -------------------------------------------------------------------

CAreaArc::CAreaArc(CVorpelView** view, float x, float y) : CAreaNode(AREA_ARC, view, x, y) {}

CAreaArc::CAreaArc(CVorpelView** view, const wchar_t* text) : CAreaNode(AREA_ARC, view, 0, 0) {
    float v[3] = {0, 0, 0};
    ScanFloats(text, 3, v);
    m_x = v[0];
    m_y = v[1];
    m_deviation = v[2];
}

std::wstring CAreaArc::ToString() const {
    return L"ARC" + Num(m_x) + L"," + Num(m_y) + L"," + Num(m_deviation);
}

CAreaNode* CAreaArc::Clone() const {
    return new CAreaArc(*this);
}

bool CAreaArc::IsDifferent(const CAreaNode* other) const {
    if (CAreaNode::IsDifferent(other))
        return true;
    const auto* o = static_cast<const CAreaArc*>(other);
    return std::fabs(m_deviation - o->m_deviation) > kNodeTolerance;
}

void CAreaArc::CopyFrom(const CAreaNode* other) {
    CAreaNode::CopyFrom(other);
    m_deviation = static_cast<const CAreaArc*>(other)->m_deviation;
    UpdateGeometry();
}

void CAreaArc::SwapPoint(float& x, float& y) {
    CAreaNode::SwapPoint(x, y);
    std::swap(m_startAngle, m_endAngle);
    m_deviation = -m_deviation;
}

void CAreaArc::MirrorHorizontally() {
    CAreaNode::MirrorHorizontally();
    m_deviation = -m_deviation;
}

void CAreaArc::MirrorVertically() {
    CAreaNode::MirrorVertically();
    m_deviation = -m_deviation;
}

void CAreaArc::UpdateChordFrame() {
    const CAreaNode* next = GetNextCyclic();
    const double px = m_x, py = m_y;
    const double nx = next->m_x, ny = next->m_y;
    const double phi = std::atan2(nx - px, ny - py);
    m_chordAngle = static_cast<float>(phi);
    const double c = std::cos(phi), s = std::sin(phi);
    m_x1 = static_cast<float>(px * c - py * s);
    m_y1 = static_cast<float>(px * s + py * c);
    m_x2 = static_cast<float>(nx * c - ny * s);
    m_y2 = static_cast<float>(nx * s + ny * c);
}

namespace {

float NormalizeDegrees(float a) {
    if (a > 180.0f)
        a -= 360.0f;
    else if (a <= -180.0f)
        a += 360.0f;
    return a;
}

} // namespace

void CAreaArc::UpdateGeometry() {
    const CAreaNode* next = GetNextCyclic();
    const double px = m_x, py = m_y;
    const double nx = next->m_x, ny = next->m_y;
    const double phi = std::atan2(nx - px, ny - py);
    m_chordAngle = static_cast<float>(phi);
    const double c = std::cos(phi), s = std::sin(phi);
    const double x1 = px * c - py * s, y1 = px * s + py * c;
    const double x2 = nx * c - ny * s, y2 = nx * s + ny * c;
    m_x1 = static_cast<float>(x1);
    m_y1 = static_cast<float>(y1);
    m_x2 = static_cast<float>(x2);
    m_y2 = static_cast<float>(y2);
    const double h = (y2 - y1) * 0.5;
    const double d = m_deviation;
    const double cb = std::cos(-phi), sb = std::sin(-phi);
    const double ym = (y1 + y2) * 0.5;
    if (IsStraight()) {
        // No circle: the derived fields describe the chord, finite values
        // that no drawing or measuring reads.
        m_radius = 0;
        m_midX = m_cx = static_cast<float>((px + nx) * 0.5);
        m_midY = m_cy = static_cast<float>((py + ny) * 0.5);
        m_startAngle = m_endAngle = 0;
        return;
    }
    const double r = (h * h / d + d) * 0.5;
    m_radius = static_cast<float>(r);
    const double mx = x1 + d, cx = x1 + d - r;
    m_midX = static_cast<float>(mx * cb - ym * sb);
    m_midY = static_cast<float>(mx * sb + ym * cb);
    m_cx = static_cast<float>(cx * cb - ym * sb);
    m_cy = static_cast<float>(cx * sb + ym * cb);
    const double alpha = std::atan2(h, r - d);
    m_startAngle = NormalizeDegrees(static_cast<float>((-alpha - phi) * 57.29578f));
    m_endAngle = NormalizeDegrees(static_cast<float>((alpha - phi) * 57.29578f));
}

void CAreaArc::SetFromCentre() {
    UpdateChordFrame();
    const double phi = m_chordAngle;
    const double c = std::cos(phi), s = std::sin(phi);
    const double ccx = m_cx * c - m_cy * s, ccy = m_cx * s + m_cy * c;
    const double r = m_radius;
    const double d = (ccx + r) - m_x1;
    m_deviation = static_cast<float>(d);
    const double cb = std::cos(-phi), sb = std::sin(-phi);
    const double mx = ccx + r;
    m_midX = static_cast<float>(mx * cb - ccy * sb);
    m_midY = static_cast<float>(mx * sb + ccy * cb);
    const double h = (static_cast<double>(m_y2) - m_y1) * 0.5;
    const double alpha = std::atan2(h, r - d);
    m_startAngle = NormalizeDegrees(static_cast<float>((-alpha - phi) * 57.29578f));
    m_endAngle = NormalizeDegrees(static_cast<float>((alpha - phi) * 57.29578f));
}

bool CAreaArc::IsStraight() const {
    // Also true for a NaN deviation, which has no circle either.
    return !(std::fabs(m_deviation) >= kStraightArcDeviation);
}

float CAreaArc::GetSweep() const {
    float sweep = m_endAngle - m_startAngle;
    const bool sweepPositive = sweep >= 0;
    const bool deviationPositive = m_deviation > 0;
    if (sweepPositive != deviationPositive)
        sweep += deviationPositive ? 360.0f : -360.0f;
    return sweep;
}

// Bezier ----------------------------------------------------------------

CAreaBezier::CAreaBezier(CVorpelView** view, float x, float y)
    : CAreaNode(AREA_BEZIER, view, x, y) {}

CAreaBezier::CAreaBezier(CVorpelView** view, const wchar_t* text)
    : CAreaNode(AREA_BEZIER, view, 0, 0) {
    float v[6] = {0, 0, 0, 0, 0, 0};
    ScanFloats(text, 6, v);
    m_x = v[0];
    m_y = v[1];
    m_c1x = v[2];
    m_c1y = v[3];
    m_c2x = v[4];
    m_c2y = v[5];
}

std::wstring CAreaBezier::ToString() const {
    return L"CRV" + Num(m_x) + L"," + Num(m_y) + L"," + Num(m_c1x) + L"," + Num(m_c1y) + L"," +
           Num(m_c2x) + L"," + Num(m_c2y);
}

CAreaNode* CAreaBezier::Clone() const {
    return new CAreaBezier(*this);
}

bool CAreaBezier::IsDifferent(const CAreaNode* other) const {
    if (CAreaNode::IsDifferent(other))
        return true;
    const auto* o = static_cast<const CAreaBezier*>(other);
    return std::fabs(m_c1x - o->m_c1x) > kNodeTolerance ||
           std::fabs(m_c1y - o->m_c1y) > kNodeTolerance ||
           std::fabs(m_c2x - o->m_c2x) > kNodeTolerance ||
           std::fabs(m_c2y - o->m_c2y) > kNodeTolerance;
}

void CAreaBezier::CopyFrom(const CAreaNode* other) {
    CAreaNode::CopyFrom(other);
    const auto* o = static_cast<const CAreaBezier*>(other);
    m_c1x = o->m_c1x;
    m_c1y = o->m_c1y;
    m_c2x = o->m_c2x;
    m_c2y = o->m_c2y;
}

void CAreaBezier::SwapPoint(float& x, float& y) {
    CAreaNode::SwapPoint(x, y);
    std::swap(m_c1x, m_c2x);
    std::swap(m_c1y, m_c2y);
}

void CAreaBezier::MirrorHorizontally() {
    CAreaNode::MirrorHorizontally();
    m_c1x = -m_c1x;
    m_c2x = -m_c2x;
}

void CAreaBezier::MirrorVertically() {
    CAreaNode::MirrorVertically();
    m_c1y = -m_c1y;
    m_c2y = -m_c2y;
}

void CAreaBezier::Rotate90(bool shift) {
    CAreaNode::Rotate90(shift);
    auto turn = [shift](float& x, float& y) {
        float ox = x, oy = y;
        x = shift ? -oy : oy;
        y = shift ? ox : -ox;
    };
    turn(m_c1x, m_c1y);
    turn(m_c2x, m_c2y);
}

// Outline operations ----------------------------------------------------

void AppendAreaNode(CAreaNode*& head, CAreaNode* node) {
    if (!head) {
        head = node;
        return;
    }
    head->m_last->InsertAfter(node);
}

void PrependAreaNode(CAreaNode*& head, CAreaNode* node) {
    if (!head) {
        head = node;
        return;
    }
    head->m_first->InsertBefore(node);
    head = node;
}

void DeleteAreaOutline(CAreaNode*& head) {
    while (head) {
        CAreaNode* next = head->Unlink();
        delete head;
        head = next;
    }
}

int CountAreaNodes(const CAreaNode* node) {
    int n = 0;
    for (; node; node = node->m_next)
        ++n;
    return n;
}

bool AreAreaOutlinesDifferent(const CAreaNode* a, const CAreaNode* b) {
    a = a ? a->m_first : nullptr;
    b = b ? b->m_first : nullptr;
    while (a && b) {
        if (a->m_kind != b->m_kind || a->IsDifferent(b))
            return true;
        a = a->m_next;
        b = b->m_next;
    }
    return a != b;
}

CAreaNode* ParseAreaOutline(const std::wstring& text, CVorpelView** view) {
    CAreaNode* head = nullptr;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(L' ', pos);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring token = text.substr(pos, end - pos);
        pos = end + 1;
        if (token.size() < 3)
            continue;
        const wchar_t* rest = token.c_str() + 3;
        // A number that is not finite ends the outline, as one read where
        // none is written would put a point where the text has none.
        const int count = token.compare(0, 3, L"LIN") == 0   ? 2
                          : token.compare(0, 3, L"ARC") == 0 ? 3
                          : token.compare(0, 3, L"CRV") == 0 ? 6
                                                             : 0;
        float numbers[6];
        bool notFinite = false;
        ScanFloats(rest, count, numbers, &notFinite);
        if (notFinite)
            break;
        CAreaNode* node = nullptr;
        if (token.compare(0, 3, L"LIN") == 0)
            node = new CAreaSegment(view, rest);
        else if (token.compare(0, 3, L"ARC") == 0)
            node = new CAreaArc(view, rest);
        else if (token.compare(0, 3, L"CRV") == 0)
            node = new CAreaBezier(view, rest);
        if (!node)
            continue;
        AppendAreaNode(head, node);
        if (node->m_prev && node->m_prev->m_kind == AREA_ARC)
            static_cast<CAreaArc*>(node->m_prev)->UpdateGeometry();
    }
    if (head && head->m_last->m_kind == AREA_ARC)
        static_cast<CAreaArc*>(head->m_last)->UpdateGeometry();
    return head;
}

bool ReadAreaOutlineInPlace(CAreaNode*& head, const std::wstring& text, CVorpelView** view) {
    CAreaNode* read = ParseAreaOutline(text, view);
    if (!head) {
        head = read;
        return read != nullptr;
    }
    bool fits = read != nullptr;
    const CAreaNode* a = head->m_first;
    const CAreaNode* b = read;
    for (; fits && a && b; a = a->m_next, b = b->m_next)
        fits = a->m_kind == b->m_kind;
    if (fits && !a && !b) {
        // Points first, then the arcs, which depend on their next node.
        CAreaNode* n = head->m_first;
        for (const CAreaNode* r = read; n && r; n = n->m_next, r = r->m_next)
            n->CopyFrom(r);
        UpdateAreaOutlineArcs(head);
    }
    DeleteAreaOutline(read);
    return false;
}

std::wstring AreaOutlineToString(const CAreaNode* node) {
    std::wstring out;
    if (!node)
        return out;
    for (const CAreaNode* n = node->m_first; n; n = n->m_next) {
        if (!out.empty())
            out += L' ';
        out += n->ToString();
    }
    return out;
}

CAreaNode* CloneAreaOutline(const CAreaNode* node) {
    CAreaNode* head = nullptr;
    if (!node)
        return head;
    for (const CAreaNode* n = node->m_first; n; n = n->m_next)
        AppendAreaNode(head, n->Clone());
    return head;
}

void UpdateAreaOutlineArcs(CAreaNode* node) {
    if (!node)
        return;
    for (CAreaNode* n = node->m_first; n; n = n->m_next)
        if (n->m_kind == AREA_ARC)
            static_cast<CAreaArc*>(n)->UpdateGeometry();
}

void MirrorAreaOutlineHorizontally(CAreaNode* node) {
    if (!node)
        return;
    for (CAreaNode* n = node->m_first; n; n = n->m_next)
        n->MirrorHorizontally();
    UpdateAreaOutlineArcs(node);
}

void MirrorAreaOutlineVertically(CAreaNode* node) {
    if (!node)
        return;
    for (CAreaNode* n = node->m_first; n; n = n->m_next)
        n->MirrorVertically();
    UpdateAreaOutlineArcs(node);
}

void RotateAreaOutline90(CAreaNode* node, bool shift) {
    if (!node)
        return;
    for (CAreaNode* n = node->m_first; n; n = n->m_next)
        n->Rotate90(shift);
    UpdateAreaOutlineArcs(node);
}

void DeselectAreaOutline(CAreaNode* node) {
    if (!node)
        return;
    for (CAreaNode* n = node->m_first; n; n = n->m_next) {
        n->m_selectedNode = 0;
        n->m_grabbed = nullptr;
        n->m_dragging = 0;
    }
}

void MoveAreaOutline(CAreaNode* node, float dx, float dy) {
    if (!node)
        return;
    for (CAreaNode* n = node->m_first; n; n = n->m_next) {
        n->m_x += dx;
        n->m_y += dy;
        if (n->m_kind == AREA_BEZIER) {
            auto* b = static_cast<CAreaBezier*>(n);
            b->m_c1x += dx;
            b->m_c1y += dy;
            b->m_c2x += dx;
            b->m_c2y += dy;
        }
    }
    UpdateAreaOutlineArcs(node);
}
