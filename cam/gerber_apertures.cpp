#include "cam/gerber_apertures.h"

#include "board/area_node.h"
#include "board/board_types.h"
#include "board/footprint.h"
#include "board/outward_flatten.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/node_type.h"
#include "platform/graphics_path.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>

namespace {

long long Units(float v) {
    return std::llround(double(v) * 10000.0);
}

int CompareSize(float a, float b) {
    if (Units(a) == Units(b))
        return 0;
    return a < b ? -1 : 1;
}

bool IsMultipleOf90(float angle) {
    const double r = std::fmod(std::fabs(double(angle)), 90.0);
    return r <= 0.0001 || 90.0 - r <= 0.0001;
}

bool IsUpright(float angle) {
    const double r = std::fmod(std::fabs(double(angle) + 90.0), 180.0);
    return r <= 0.0001 || 180.0 - r <= 0.0001;
}

void Flatten(GraphicsPath& path, float tol, FlatPath* out) {
    path.Flatten(nullptr, tol);
    out->points = path.Points();
    out->types = path.Types();
}

} // namespace

int CompareApertures(const GerberAperture& a, const GerberAperture& b, bool withNames) {
    if (a.type != b.type)
        return a.type < b.type ? -1 : 1;
    if (int c = CompareSize(a.size1, b.size1))
        return c;
    if (int c = CompareSize(a.size2, b.size2))
        return c;
    if (a.params.size() != b.params.size())
        return a.params.size() < b.params.size() ? -1 : 1;
    for (size_t i = 0; i < a.params.size(); ++i)
        if (int c = a.params[i].compare(b.params[i]))
            return c < 0 ? -1 : 1;
    if (withNames && a.type == kApertureMacro)
        if (int c = a.name.compare(b.name))
            return c < 0 ? -1 : 1;
    return 0;
}

CGerberApertureSet::CGerberApertureSet(CGerberPlotter* plotter, float padTol)
    : m_plotter(plotter), m_padTol(padTol) {}

int CGerberApertureSet::Register(GerberAperture record) {
    auto it = m_set.find(record);
    if (it != m_set.end())
        return it->number;
    record.number = m_next++;
    const int n = record.number;
    m_set.insert(std::move(record));
    return n;
}

void CGerberApertureSet::CheckSize(float size, bool zeroAllowed) {
    const bool usable = std::isfinite(size) && (size > 0 || (zeroAllowed && size == 0));
    if (!usable && !m_invalid)
        m_invalid = size;
}

int CGerberApertureSet::Circle(float diameter) {
    // A line of width 0 is the thinnest line the plotter draws.
    CheckSize(diameter, true);
    GerberAperture r;
    r.type = kApertureCircle;
    r.size1 = std::max(0.0f, diameter);
    return Register(r);
}

void CGerberApertureSet::WriteDefinitions() {
    for (const GerberAperture& a : m_set) {
        const std::wstring head = StrPrintf(L"%%ADD%d", a.number);
        switch (a.type) {
        case kApertureCircle:
            m_plotter->Line(head + L"C," + m_plotter->SizeText(a.size1) + L"*%");
            break;
        case kApertureObround:
            m_plotter->Line(head + L"O," + m_plotter->SizeText(a.size1) + L"X" +
                            m_plotter->SizeText(a.size2) + L"*%");
            break;
        case kApertureRect:
            m_plotter->Line(head + L"R," + m_plotter->SizeText(a.size1) + L"X" +
                            m_plotter->SizeText(a.size2) + L"*%");
            break;
        case kApertureMacro: {
            std::wstring line = head + a.name;
            if (a.name.rfind(L"CUSTOM_", 0) != 0)
                for (const std::wstring& p : a.params)
                    line += p;
            m_plotter->Line(line + L"*%");
            break;
        }
        default:
            break;
        }
    }
}

float CGerberApertureSet::PlacementAngle(const CPadLayer* pad, bool* bottom) {
    *bottom = false;
    const CTreeNode* stack = pad->GetParent();
    const CTreeNode* holder = stack ? stack->GetParent() : nullptr;
    if (!holder || holder->GetType() != NodeType::Footprint)
        return 0;
    const auto* fp = static_cast<const CFootprint*>(holder);
    *bottom = fp->m_place == kPlaceBottom;
    // Within one turn, as drawn: whole turns more or less write the same.
    const double angle = *bottom ? -fp->m_rotation : fp->m_rotation;
    return static_cast<float>(std::fmod(angle, 360.0));
}

int CGerberApertureSet::RectLike(const CPadLayer* pad, float w, float h, float w0, float h0) {
    bool bottom = false;
    float angle = PlacementAngle(pad, &bottom);
    const bool inFootprint = pad->GetParent() && pad->GetParent()->GetParent() &&
                             pad->GetParent()->GetParent()->GetType() == NodeType::Footprint;
    GerberAperture r;
    if (inFootprint && IsMultipleOf90(angle)) {
        r.type = pad->m_shape == kPadShapeOblong ? kApertureObround : kApertureRect;
        r.size1 = w;
        r.size2 = h;
        if (IsUpright(angle))
            std::swap(r.size1, r.size2);
        return Register(r);
    }
    r.type = kApertureMacro;
    if (pad->m_shape == kPadShapeOblong) {
        if (!m_obroundWritten) {
            m_obroundWritten = true;
            for (const wchar_t* l :
                 {L"%AMTILTED_OBLONG*", L"$6=$1-$2*", L"21,1,$6,$2,0,0,$3*", L"$6=$6/2*",
                  L"1,1,$2,$6X$5,$6X$4*", L"$6=0-$6*", L"1,1,$2,$6X$5,$6X$4*%"})
                m_plotter->Line(l);
        }
        if (w0 < h0)
            angle += 90;
        const float rad = angle * 0.017453292f;
        r.name = L"TILTED_OBLONG,";
        r.params = {m_plotter->SizeText(std::max(w, h)) + L"X",
                    m_plotter->SizeText(std::min(w, h)) + L"X", m_plotter->PlainText(angle) + L"X",
                    m_plotter->PlainText(std::sin(rad)) + L"X",
                    m_plotter->PlainText(std::cos(rad))};
    } else {
        if (!m_rectWritten) {
            m_rectWritten = true;
            m_plotter->Line(L"%AMTILTED_RECT*21,1,$1,$2,0,0,$3*%");
        }
        r.name = L"TILTED_RECT,";
        r.params = {m_plotter->SizeText(w) + L"X", m_plotter->SizeText(h) + L"X",
                    m_plotter->PlainText(angle)};
    }
    return Register(r);
}

std::vector<std::wstring> CGerberApertureSet::CustomMacroLines(const FlatPath& path, bool bottom,
                                                               float angle) {
    std::vector<std::wstring> lines;
    const size_t n = path.points.size();
    size_t s = 0;
    while (s < n) {
        size_t e = s + 1;
        while (e < n && (path.types[e] & 7) != 0)
            ++e;
        size_t last = e;
        // The closing point repeats the start: the primitive closes itself.
        if (last - s > 1 && path.points[last - 1].X == path.points[s].X &&
            path.points[last - 1].Y == path.points[s].Y)
            --last;
        const size_t k = last - s;
        std::wstring text = StrPrintf(L"4,1,%d,", int(k));
        auto put = [&](const PointF& p) {
            const float x = bottom ? -p.X : p.X;
            text += m_plotter->SizeText(x) + L"," + m_plotter->SizeText(p.Y) + L",";
        };
        for (size_t i = s; i < last; ++i)
            put(path.points[i]);
        put(path.points[s]);
        while (text.size() > 80) {
            const size_t comma = text.find(L',', 70);
            if (comma == std::wstring::npos)
                break;
            lines.push_back(text.substr(0, comma + 1));
            text.erase(0, comma + 1);
        }
        text += m_plotter->PlainText(angle) + L"*";
        if (e >= n)
            text += L"%";
        lines.push_back(text);
        s = e;
    }
    return lines;
}

int CGerberApertureSet::CustomShared(std::vector<std::wstring> lines) {
    GerberAperture r;
    r.type = kApertureMacro;
    r.params = std::move(lines);
    // An equal shape already defined in this file is shared; its name is
    // the one its definition was written under.
    for (const GerberAperture& a : m_set)
        if (CompareApertures(a, r, false) == 0)
            return a.number;
    r.name = StrPrintf(L"CUSTOM_%d", m_next);
    m_plotter->Line(L"%AM" + r.name + L"*");
    for (const std::wstring& l : r.params)
        m_plotter->Line(l);
    return Register(std::move(r));
}

int CGerberApertureSet::PadAperture(const CPadLayer* pad) {
    return PadAperture(pad, false);
}

int CGerberApertureSet::PadAperture(const CPadLayer* pad, bool clearance) {
    const float w = pad->m_width, h = pad->m_height;
    // 0 by 0 is no pad on the layer; any other size must be above zero.
    const bool none = w == 0 && h == 0;
    if (pad->m_shape == kPadShapeRound || pad->m_shape == kPadShapeOblong ||
        pad->m_shape == kPadShapeRect)
        CheckSize(w, none);
    if (pad->m_shape == kPadShapeOblong || pad->m_shape == kPadShapeRect)
        CheckSize(h, none);
    switch (pad->m_shape) {
    case kPadShapeRound: {
        GerberAperture r;
        r.type = kApertureCircle;
        r.size1 = w;
        r.size2 = h;
        return Register(r);
    }
    case kPadShapeOblong:
    case kPadShapeRect:
        return RectLike(pad, w, h, w, h);
    case kPadShapeCustom: {
        if (!pad->m_outline)
            return 0;
        GraphicsPath path;
        pad->m_outline->FillOutlinePath(&path);
        FlatPath flat;
        if (clearance)
            FlattenOutward(&path, m_padTol);
        Flatten(path, m_padTol, &flat);
        bool bottom = false;
        const float angle = PlacementAngle(pad, &bottom);
        GerberAperture r;
        r.type = kApertureMacro;
        r.name = StrPrintf(L"CUSTOM_%d", m_next);
        m_plotter->Line(L"%AM" + r.name + L"*");
        for (const std::wstring& l : CustomMacroLines(flat, bottom, angle))
            m_plotter->Line(l);
        return Register(std::move(r));
    }
    default:
        return 0;
    }
}

int CGerberApertureSet::GrownPadAperture(const CPadLayer* pad, float delta) {
    return GrownPadAperture(pad, delta, false);
}

int CGerberApertureSet::GrownPadAperture(const CPadLayer* pad, float delta, bool clearance) {
    if (pad->m_layer == kPadLayerInner) {
        const auto* stack = dynamic_cast<const CPadstack*>(pad->GetParent());
        if (const CPadLayer* plane = stack ? stack->FindPadLayer(kPadLayerPlane) : nullptr)
            return PadAperture(plane, clearance);
    }
    // A shrink larger than the pad leaves no opening rather than a negative
    // one; a pad that is itself below zero is no pad at all.
    if (pad->m_shape != kPadShapeCustom)
        for (float own : {pad->m_width, pad->m_height})
            CheckSize(own, true);
    const float w = std::max(0.0f, pad->m_width + delta);
    const float h = std::max(0.0f, pad->m_height + delta);
    switch (pad->m_shape) {
    case kPadShapeRound: {
        GerberAperture r;
        r.type = kApertureCircle;
        r.size1 = w;
        r.size2 = h;
        return Register(r);
    }
    case kPadShapeOblong:
    case kPadShapeRect:
        return RectLike(pad, w, h, pad->m_width, pad->m_height);
    case kPadShapeCustom: {
        GraphicsPath path;
        if (clearance)
            pad->BuildClearancePath(&path, delta / 2);
        else
            pad->BuildPath(&path, delta / 2);
        FlatPath flat;
        Flatten(path, m_padTol, &flat);
        if (flat.points.empty())
            return 0;
        bool bottom = false;
        const float angle = PlacementAngle(pad, &bottom);
        return CustomShared(CustomMacroLines(flat, bottom, angle));
    }
    default:
        return 0;
    }
}

const CThermalRelief* CGerberApertureSet::EffectiveThermal(const CPadLayer* pad) const {
    if (const CThermalRelief* own = pad->FindThermalRelief())
        return own;
    return m_boardThermal;
}

int CGerberApertureSet::ClearanceAperture(const CPadLayer* pad) {
    const CThermalRelief* t = EffectiveThermal(pad);
    return GrownPadAperture(pad, 2 * (t ? t->m_isolation : 0.3f), true);
}

int CGerberApertureSet::ThermalAperture(const CPadLayer* pad) {
    float gap = 0.3f, spoke = 0.3f;
    if (const CThermalRelief* t = EffectiveThermal(pad)) {
        gap = 2 * t->m_isolation;
        spoke = t->m_spoke;
    }
    bool bottom = false;
    const float angle = PlacementAngle(pad, &bottom);
    if (pad->m_shape == kPadShapeRound) {
        if (!m_thermalWritten) {
            m_thermalWritten = true;
            m_plotter->Line(L"%AMTHERMAL*7,0,0,$1+$2,$1,$3,$4*%");
        }
        GerberAperture r;
        r.type = kApertureMacro;
        r.name = L"THERMAL,";
        r.params = {m_plotter->SizeText(pad->m_width) + L"X", m_plotter->SizeText(gap) + L"X",
                    m_plotter->SizeText(spoke) + L"X", m_plotter->PlainText(angle)};
        return Register(r);
    }
    GraphicsPath path;
    pad->BuildThermalPath(&path);
    // The relief is cut out of the plane: its arcs are flattened outside it.
    FlattenOutward(&path, m_padTol);
    FlatPath flat;
    flat.points = path.Points();
    flat.types = path.Types();
    if (flat.points.empty())
        return 0;
    return CustomShared(CustomMacroLines(flat, bottom, angle));
}
