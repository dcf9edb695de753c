#include "board/marking.h"

#include "board/board_types.h"
#include "board/marking_primitive.h"
#include "board/marking_token.h"
#include "core/node_attributes.h"
#include "core/node_type.h"

using namespace std::literals;

namespace {

constexpr NodeAttributes<CMarking, 1> kAttributes{{
    Attr::Enum<&CMarking::m_layer, kPadLayerRows, 14>(L"Layer", -1),
}};
const RegisterNodeAttributes kRegistered(L"Marking", kAttributes);

} // namespace

CMarking::CMarking(int layer) : CTreeNode(NodeType::Marking), m_layer(layer) {}

CMarking::CMarking(const CMarking& other)
    : CTreeNode(other), m_layer(other.m_layer), m_primitivesOwnText(other.m_primitivesOwnText) {
    m_primitives.reserve(other.m_primitives.size());
    for (const CMarkingPrimitive* p : other.m_primitives) {
        CMarkingPrimitive* copy = p->Clone();
        copy->m_pMarking = this;
        m_primitives.push_back(copy);
    }
}

CMarking::~CMarking() {
    DeletePrimitives();
}

void CMarking::ClearOwnSelection() {
    CTreeNode::ClearOwnSelection();
    for (CMarkingPrimitive* p : m_primitives)
        p->m_selected = false;
}

CTreeNode* CMarking::Clone() const {
    return new CMarking(*this);
}

const wchar_t* CMarking::GetTagName() const {
    return L"Marking";
}

void CMarking::DeletePrimitives() {
    for (CMarkingPrimitive* p : m_primitives)
        delete p;
    m_primitives.clear();
}

bool CMarking::HasSelectedPrimitive() const {
    for (const CMarkingPrimitive* p : m_primitives)
        if (p->m_selected)
            return true;
    return false;
}

void CMarking::ReadAttributes() {
    kAttributes.Read(*this);
    DeletePrimitives();
    MarkingTokenParser parser = GetMarkingTokenParser();
    m_primitivesOwnText = parser != nullptr;
    if (!parser)
        return;
    const std::wstring& text = m_text;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(L' ', pos);
        if (end == std::wstring::npos)
            end = text.size();
        g_markingNumberNotFinite = false;
        CMarkingPrimitive* p = end > pos ? parser(this, text.substr(pos, end - pos)) : nullptr;
        // A number that is not finite ends the text: read as a default, it
        // would put a shape where the text has none.
        if (g_markingNumberNotFinite) {
            delete p;
            break;
        }
        if (p) {
            // A shape too short to write (a polygon of one vertex) is
            // dropped here, as the next save would drop it.
            if (p->ToString().empty()) {
                delete p;
            } else {
                p->m_pMarking = this;
                m_primitives.push_back(p);
            }
        }
        pos = end + 1;
    }
}

void CMarking::WriteAttributes() {
    kAttributes.Write(*this);
    if (!m_primitivesOwnText)
        return;
    std::wstring text;
    for (const CMarkingPrimitive* p : m_primitives) {
        if (!text.empty())
            text += L' ';
        text += p->ToString();
    }
    m_text = text;
}
