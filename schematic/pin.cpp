#include "schematic/pin.h"

#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "core/node_type.h"
#include "schematic/net.h"

#include <algorithm>
#include <cmath>

CPin::CPin() : CTreeNode(NodeType::Pin) {}

CPin::~CPin() = default;

CTreeNode* CPin::Clone() const {
    return new CPin(*this);
}

const wchar_t* CPin::GetTagName() const {
    return L"Pin";
}

void CPin::ReadAttributes() {
    std::wstring num;
    GetAttributeString(L"Num", num, L"");
    SetPadNames(num);
    GetAttributeString(L"NetName", m_fixedNetName, L"");
}

void CPin::SetPadNames(const std::wstring& text) {
    m_padNames.clear();
    std::size_t pos = 0;
    for (;;) {
        std::size_t comma = text.find(L',', pos);
        if (comma == std::wstring::npos) {
            m_padNames.push_back(text.substr(pos));
            break;
        }
        m_padNames.push_back(text.substr(pos, comma - pos));
        pos = comma + 1;
    }
}

bool CPin::HasPadName(const std::wstring& name) const {
    return std::find(m_padNames.begin(), m_padNames.end(), name) != m_padNames.end();
}

void CPin::TiePadsToConductors(CFootprint* footprint) {
    if (!footprint || !m_pNet)
        return;
    for (const std::wstring& name : m_padNames) {
        CPad* pad = footprint->FindPadByNumber(name);
        if (!pad)
            continue;
        PointF at = pad->GetBoardPosition();
        for (CTreeNode* child : m_pNet->GetChildren()) {
            if (child->GetType() != NodeType::Conductor)
                continue;
            for (ConductorVertex& v : static_cast<CConductor*>(child)->m_vertices)
                if (std::fabs(v.x - at.X) < 0.001f && std::fabs(v.y - at.Y) < 0.001f)
                    v.tie = VertexTie::ToPad(pad);
        }
    }
}

POINT CPin::GetConnectionPoint() const {
    // Minimal until the schematic drawing places pins on their part's
    // outline: the part corner.
    return GetParent() ? GetParent()->m_position : POINT{};
}
