#include "board/pad.h"

#include "board/footprint.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"

#include <algorithm>
#include <cmath>

using namespace std::literals;

namespace {

constexpr NodeAttributes<CPad, 2> kAttributes{{
    Attr::Text<&CPad::m_num>(L"Num"),
    Attr::Point<&CPad::m_boardPosition, CPad>(L"XY"),
}};
const RegisterNodeAttributes kRegistered(L"Pad", kAttributes);

} // namespace

CPad::CPad() : CTreeNode(NodeType::Pad) {}

CPad::CPad(const CPad& other)
    : CTreeNode(other), m_num(other.m_num), m_marked(other.m_marked),
      m_highlight(other.m_highlight) {}

CPad::~CPad() = default;

CTreeNode* CPad::Clone() const {
    // Conductors copied in the same operation are tied to the copy.
    CCloneScope scope;
    return scope.Record(this, new CPad(*this));
}

const wchar_t* CPad::GetTagName() const {
    return L"Pad";
}

void CPad::ReadAttributes() {
    kAttributes.Read(*this);
}

void CPad::WriteAttributes() {
    kAttributes.Write(*this);
}

CPadstack* CPad::GetPadstack() const {
    CTreeNode* p = GetParent();
    return p && p->GetType() == NodeType::Padstack ? static_cast<CPadstack*>(p) : nullptr;
}

CFootprint* CPad::GetFootprint() const {
    CPadstack* padstack = GetPadstack();
    return padstack ? padstack->GetParentFootprint() : nullptr;
}

PointF CPad::GetBoardPosition() const {
    if (CFootprint* footprint = GetFootprint())
        return footprint->LocalToBoard(m_boardPosition.X, m_boardPosition.Y);
    return m_boardPosition;
}

bool CPad::IsAtPoint(float x, float y) const {
    PointF p = GetBoardPosition();
    return std::fabs(p.X - x) < 0.001f && std::fabs(p.Y - y) < 0.001f;
}

CPin* CPad::FindPin() const {
    if (m_num.empty())
        return nullptr;
    CFootprint* footprint = GetFootprint();
    CTreeNode* package = footprint ? footprint->GetParent() : nullptr;
    if (!package || package->GetType() != NodeType::Package)
        return nullptr;
    for (CTreeNode* child : package->GetChildren()) {
        if (child->GetType() == NodeType::Pin) {
            if (static_cast<CPin*>(child)->HasPadName(m_num))
                return static_cast<CPin*>(child);
        } else if (child->GetType() == NodeType::Part) {
            for (CTreeNode* grandchild : child->GetChildren())
                if (grandchild->GetType() == NodeType::Pin &&
                    static_cast<CPin*>(grandchild)->HasPadName(m_num))
                    return static_cast<CPin*>(grandchild);
        }
    }
    return nullptr;
}

CNet* CPad::GetNet() const {
    CPadstack* padstack = GetPadstack();
    if (padstack && padstack->GetParent() && padstack->GetParent()->GetType() == NodeType::Net)
        return static_cast<CNet*>(padstack->GetParent());
    CPin* pin = FindPin();
    return pin ? pin->m_pNet : nullptr;
}

std::wstring CPad::GetNetName() const {
    CNet* net = GetNet();
    return net ? net->GetName() : std::wstring();
}
