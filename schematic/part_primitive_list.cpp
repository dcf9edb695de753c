#include "schematic/part_primitive_list.h"

#include "schematic/part_primitive_curves.h"
#include "schematic/part_primitive_shapes.h"
#include "schematic/part_primitive_text.h"

#include <algorithm>
#include <string_view>

using namespace std::literals;

namespace {

// The primitive of the token's kind, read from rest (the token after its
// tag, as the constructors take it).
CPartPrimitive* CreateFromToken(CTreeNode* owner, std::wstring_view token, std::wstring& rest) {
    auto tagged = [&](std::wstring_view tag) {
        if (!token.starts_with(tag))
            return false;
        rest.assign(token.substr(tag.size()));
        return true;
    };
    if (tagged(L"L"sv))
        return new CPartLine(owner, rest);
    if (tagged(L"RC"sv))
        return new CPartRect(owner, rest);
    if (tagged(L"POLY"sv))
        return new CPartPolygon(owner, rest);
    if (tagged(L"CIRC"sv))
        return new CPartCircle(owner, rest);
    if (tagged(L"ARC"sv))
        return new CPartArc(owner, rest);
    if (tagged(L"CURVE"sv))
        return new CPartBezier(owner, rest);
    if (tagged(L"TEXT"sv))
        return new CPartText(owner, rest);
    return nullptr;
}

} // namespace

CPartPrimitive* CreatePartPrimitive(CTreeNode* owner, const std::wstring& token) {
    std::wstring rest;
    return CreateFromToken(owner, token, rest);
}

void ReadPartPrimitives(CTreeNode* owner, const std::wstring& text, PartPrimitiveList& list) {
    DeletePartPrimitives(list);
    // The token's rest lives in a scratch string that keeps its room from
    // token to token.
    thread_local std::wstring rest;
    const std::wstring_view all(text);
    // Room for a primitive per token, so that the list is not regrown
    // while a large file is read.
    list.reserve(static_cast<std::size_t>(std::count(all.begin(), all.end(), L' ')) + 1);
    size_t begin = 0;
    while (begin <= all.size()) {
        size_t end = all.find(L' ', begin);
        if (end == std::wstring_view::npos)
            end = all.size();
        if (end > begin) {
            if (CPartPrimitive* p = CreateFromToken(owner, all.substr(begin, end - begin), rest))
                list.push_back(p);
        }
        begin = end + 1;
    }
}

std::wstring WritePartPrimitives(const PartPrimitiveList& list) {
    std::wstring text;
    AppendPartPrimitives(list, text);
    return text;
}

void AppendPartPrimitives(const PartPrimitiveList& list, std::wstring& out) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            out += L' ';
        list[i]->AppendTo(out);
    }
}

void DeletePartPrimitives(PartPrimitiveList& list) {
    for (CPartPrimitive* p : list)
        delete p;
    list.clear();
}

void ClonePartPrimitives(const PartPrimitiveList& source, CTreeNode* newOwner,
                         PartPrimitiveList& target) {
    target.reserve(target.size() + source.size());
    for (const CPartPrimitive* p : source)
        target.push_back(p->Clone(newOwner));
}

bool PartPrimitivesDiffer(const PartPrimitiveList& a, const PartPrimitiveList& b) {
    if (a.size() != b.size())
        return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i]->IsDifferent(*b[i]))
            return true;
    return false;
}

bool GetPartPrimitivesExtent(const PartPrimitiveList& list, POINT* minPoint, POINT* maxPoint) {
    bool any = false;
    for (const CPartPrimitive* p : list) {
        POINT lo = p->GetMinPoint(), hi = p->GetMaxPoint();
        if (lo.x > hi.x || lo.y > hi.y)
            continue;
        if (!any) {
            *minPoint = lo;
            *maxPoint = hi;
            any = true;
            continue;
        }
        minPoint->x = std::min(minPoint->x, lo.x);
        minPoint->y = std::min(minPoint->y, lo.y);
        maxPoint->x = std::max(maxPoint->x, hi.x);
        maxPoint->y = std::max(maxPoint->y, hi.y);
    }
    return any;
}
