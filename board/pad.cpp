#include "board/pad.h"

#include "board/footprint.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/attribute_name.h"
#include "core/expected_attributes.h"
#include "core/node_type.h"
#include "core/plain_number.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"

#include <algorithm>
#include <cmath>

using namespace std::literals;

CPad::CPad() : CTreeNode(NodeType::Pad) {}

CPad::CPad(const CPad& other)
    : CTreeNode(other), m_num(other.m_num), m_marked(other.m_marked),
      m_highlight(other.m_highlight) {}

CPad::~CPad() = default;

CTreeNode* CPad::Clone() const {
    return new CPad(*this);
}

const wchar_t* CPad::GetTagName() const {
    return L"Pad";
}

void CPad::ReadAttributes() {
    // One walk over the attributes: boards hold many pads.
    std::wstring_view num;
    std::optional<std::wstring_view> xy;
    for (const auto& [key, value] : m_attributes) {
        if (AttributeNameIs(key, L"XY"sv))
            xy = value;
        else if (AttributeNameIs(key, L"Num"sv))
            num = value;
    }
    m_num.assign(num);
    if (!xy)
        m_boardPosition = PointF{0, 0};
    else if (!PlainNumber::ReadPointF(*xy, m_boardPosition.X, m_boardPosition.Y))
        GetAttributePointF(L"XY"sv, m_boardPosition.X, m_boardPosition.Y, 0, 0);
}

void CPad::WriteAttributes() {
    ExpectedAttributes<2> expected;
    expected.AddString(L"Num"sv, m_num, L""sv);
    expected.AddPointF(L"XY"sv, m_boardPosition.X, m_boardPosition.Y, 0, 0);
    if (expected.Matches(m_attributes))
        return;
    SetAttributeString(L"Num"sv, m_num, L"");
    SetAttributePointF(L"XY"sv, m_boardPosition.X, m_boardPosition.Y, 0, 0);
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
