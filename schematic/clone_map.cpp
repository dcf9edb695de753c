#include "schematic/clone_map.h"

#include "board/conductor.h"
#include "board/pad.h"
#include "core/node_type.h"
#include "core/tree_node.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"

#include <unordered_map>
#include <vector>

namespace {
int g_depth = 0;
int g_wholeDepth = 0;
std::map<const CTreeNode*, CTreeNode*, NodeSequenceLess>& Copies() {
    static std::map<const CTreeNode*, CTreeNode*, NodeSequenceLess> copies;
    return copies;
}
// Pads and vias by address: a tie is looked up without reading the node it
// names.
std::unordered_map<const CTreeNode*, CPad*>& PadCopies() {
    static std::unordered_map<const CTreeNode*, CPad*> copies;
    return copies;
}

// The board the node lies in, or null.
const CTreeNode* BoardOf(const CTreeNode* node) {
    for (const CTreeNode* n = node; n; n = n->GetParent())
        if (n->GetType() == NodeType::Board)
            return n;
    return nullptr;
}

// Whether the copy was made with the whole board of its source: then no link
// of the copy may lead out of the copied board.
bool CopiedWithItsBoard(const CTreeNode* source) {
    const CTreeNode* board = BoardOf(source);
    return board && CCloneScope::CopyOf(board);
}
} // namespace

CCloneScope::CCloneScope(bool whole) : m_whole(whole) {
    ++g_depth;
    if (m_whole)
        ++g_wholeDepth;
}

CCloneScope::~CCloneScope() {
    if (m_whole)
        --g_wholeDepth;
    if (--g_depth == 0) {
        LinkCopies();
        Copies().clear();
        PadCopies().clear();
    }
}

CTreeNode* CCloneScope::Record(const CTreeNode* source, CTreeNode* copy) {
    if (source && copy) {
        Copies()[source] = copy;
        if (source->GetType() == NodeType::Pad)
            PadCopies()[source] = static_cast<CPad*>(copy);
    }
    return copy;
}

CTreeNode* CCloneScope::CopyOf(const CTreeNode* source) {
    if (!source)
        return nullptr;
    auto it = Copies().find(source);
    return it == Copies().end() ? nullptr : it->second;
}

bool CCloneScope::CopiesWhole() {
    return g_wholeDepth > 0;
}

void CCloneScope::LinkCopies() {
    for (const auto& [source, copy] : Copies()) {
        if (auto* object = dynamic_cast<CSheetObject*>(copy)) {
            // A copy made with its sheet lies on the copied sheet; one copied
            // alone names the source's sheet but is not shown on it. In a
            // copied board, one whose sheet stayed behind (a sheet cut or
            // deleted) lies on no sheet: the copy outlives that sheet.
            auto* src = static_cast<const CSheetObject*>(source);
            if (auto* sheet = static_cast<CSheet*>(CopyOf(src->m_pSheet)))
                sheet->AddObject(object);
            else
                object->m_pSheet = CopiedWithItsBoard(source) ? nullptr : src->m_pSheet;
        } else if (source->GetType() == NodeType::Pin) {
            auto* pin = static_cast<CPin*>(copy);
            auto* net = static_cast<CNet*>(CopyOf(static_cast<const CPin*>(source)->m_pNet));
            // A pin copied without its net belongs to no net: the source's
            // net does not hold it.
            pin->m_pNet = net;
            if (net)
                net->m_pins.insert(pin);
        } else if (source->GetType() == NodeType::Conductor) {
            // Ties follow the copied pads and vias. A conductor copied alone
            // (an undo snapshot) keeps the source's; in a copied board a tie
            // to a pad that was not copied with it is dropped.
            const bool whole = CopiedWithItsBoard(source);
            for (ConductorVertex& v : static_cast<CConductor*>(copy)->m_vertices) {
                if (!v.tie.IsPad())
                    continue;
                auto it = PadCopies().find(v.tie.GetPad());
                if (it != PadCopies().end())
                    v.tie = VertexTie::ToPad(it->second);
                else if (whole)
                    v.tie = VertexTie();
            }
        }
    }
}
