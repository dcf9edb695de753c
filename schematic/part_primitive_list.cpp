#include "schematic/part_primitive_list.h"

#include "schematic/part_primitive_curves.h"
#include "schematic/part_primitive_shapes.h"
#include "schematic/part_primitive_text.h"

#include <algorithm>

namespace {
bool StartsWith(const std::wstring& s, const wchar_t* prefix) {
    return s.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}
} // namespace

CPartPrimitive* CreatePartPrimitive(CTreeNode* owner, const std::wstring& token) {
    if (StartsWith(token, L"L"))
        return new CPartLine(owner, token.substr(1));
    if (StartsWith(token, L"RC"))
        return new CPartRect(owner, token.substr(2));
    if (StartsWith(token, L"POLY"))
        return new CPartPolygon(owner, token.substr(4));
    if (StartsWith(token, L"CIRC"))
        return new CPartCircle(owner, token.substr(4));
    if (StartsWith(token, L"ARC"))
        return new CPartArc(owner, token.substr(3));
    if (StartsWith(token, L"CURVE"))
        return new CPartBezier(owner, token.substr(5));
    if (StartsWith(token, L"TEXT"))
        return new CPartText(owner, token.substr(4));
    return nullptr;
}

void ReadPartPrimitives(CTreeNode* owner, const std::wstring& text, PartPrimitiveList& list) {
    DeletePartPrimitives(list);
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(L' ', begin);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > begin) {
            if (CPartPrimitive* p = CreatePartPrimitive(owner, text.substr(begin, end - begin)))
                list.push_back(p);
        }
        begin = end + 1;
    }
}

std::wstring WritePartPrimitives(const PartPrimitiveList& list) {
    std::wstring text;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += L' ';
        text += list[i]->ToString();
    }
    return text;
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
