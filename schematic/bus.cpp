#include "schematic/bus.h"

#include "core/document_bounds.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "platform/text.h"
#include "schematic/clone_map.h"
#include "schematic/sheet_name_attribute.h"

#include <algorithm>

namespace {

CTreeNode* Parent(const CBus& bus) {
    return bus.GetParent();
}

constexpr NodeAttributes<CBus, 1> kAttributes{{
    Attr::SheetName<CBus, Parent, true>(),
}};
const RegisterNodeAttributes kRegistered(L"Bus", kAttributes);

} // namespace

CBus::CBus() : CSheetObject(NodeType::Bus, L"0,0N0") {}

CBus::CBus(const CBus& other)
    : CSheetObject(other), m_direction(other.m_direction), m_length(other.m_length) {}

CBus::~CBus() = default;

CTreeNode* CBus::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CBus(*this));
}

const wchar_t* CBus::GetTagName() const {
    return L"Bus";
}

void CBus::ReadAttributes() {
    // "x,yDlength"
    const wchar_t* p = m_text.c_str();
    const wchar_t* end = nullptr;
    const int x = ToInt32(ParseInteger(p, &end));
    bool ok = end != p && *end == L',';
    int y = 0, length = 0;
    wchar_t direction = L'N';
    if (ok) {
        p = end + 1;
        y = ToInt32(ParseInteger(p, &end));
        ok = end != p && *end != 0;
    }
    if (ok) {
        direction = *end;
        p = end + 1;
        length = ToInt32(ParseInteger(p, &end));
        ok = end != p;
    }
    if (ok) {
        m_position = POINT{x, y};
        m_direction = direction;
        m_length = length;
    }
    kAttributes.Read(*this);
}

void CBus::WriteAttributes() {
    kAttributes.Write(*this);
    m_text =
        StrPrintf(L"%d,%d", m_position.x, m_position.y) + m_direction + StrPrintf(L"%d", m_length);
}

POINT CBus::GetEnd() const {
    // Held within 32 bits: a file may hold any start and length. Any
    // direction but 'V' runs along x.
    POINT e = m_position;
    if (m_direction == L'V')
        e.y = ToInt32(int64_t{e.y} + m_length);
    else
        e.x = ToInt32(int64_t{e.x} + m_length);
    return e;
}

bool CBus::ContainsPoint(POINT p) const {
    const POINT e = GetEnd();
    if (m_direction == L'H')
        return p.y == m_position.y && p.x >= std::min(m_position.x, e.x) &&
               p.x <= std::max(m_position.x, e.x);
    if (m_direction == L'V')
        return p.x == m_position.x && p.y >= std::min(m_position.y, e.y) &&
               p.y <= std::max(m_position.y, e.y);
    return false;
}
