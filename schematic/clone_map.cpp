#include "schematic/clone_map.h"

#include "core/node_type.h"
#include "core/tree_node.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"

#include <vector>

namespace {
int g_depth = 0;
std::map<const CTreeNode*, CTreeNode*, NodeSequenceLess>& Copies() {
    static std::map<const CTreeNode*, CTreeNode*, NodeSequenceLess> copies;
    return copies;
}
} // namespace

CCloneScope::CCloneScope() {
    ++g_depth;
}

CCloneScope::~CCloneScope() {
    if (--g_depth == 0) {
        LinkCopies();
        Copies().clear();
    }
}

CTreeNode* CCloneScope::Record(const CTreeNode* source, CTreeNode* copy) {
    if (source && copy)
        Copies()[source] = copy;
    return copy;
}

CTreeNode* CCloneScope::CopyOf(const CTreeNode* source) {
    if (!source)
        return nullptr;
    auto it = Copies().find(source);
    return it == Copies().end() ? nullptr : it->second;
}

void CCloneScope::LinkCopies() {
    for (const auto& [source, copy] : Copies()) {
        if (auto* object = dynamic_cast<CSheetObject*>(copy)) {
            // A copy made with its sheet lies on the copied sheet; one copied
            // alone names the source's sheet but is not shown on it.
            auto* src = static_cast<const CSheetObject*>(source);
            if (auto* sheet = static_cast<CSheet*>(CopyOf(src->m_pSheet)))
                sheet->AddObject(object);
            else
                object->m_pSheet = src->m_pSheet;
        } else if (source->GetType() == NodeType::Pin) {
            auto* pin = static_cast<CPin*>(copy);
            auto* net = static_cast<CNet*>(CopyOf(static_cast<const CPin*>(source)->m_pNet));
            // A pin copied without its net belongs to no net: the source's
            // net does not hold it.
            pin->m_pNet = net;
            if (net)
                net->m_pins.insert(pin);
        }
    }
}
