#include "schematic/net.h"

#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"

CNet::CNet() : CTreeNode(NodeType::Net) {}

CNet::CNet(const wchar_t* name) : CTreeNode(NodeType::Net, name) {}

CNet::CNet(const CNet& other) : CTreeNode(other) {}

CNet::~CNet() {
    DeleteConnectionGraph();
}

CTreeNode* CNet::Clone() const {
    return new CNet(*this);
}

const wchar_t* CNet::GetTagName() const {
    return L"Net";
}

CPadstack* CNet::FindOrAddVia(CPadstack* definition) {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Padstack &&
            static_cast<CPadstack*>(child)->IsIdentical(definition))
            return static_cast<CPadstack*>(child);
    auto* via = static_cast<CPadstack*>(definition->Clone());
    AddChild(via);
    PushUndo(new CUndoInsert(via, nullptr));
    return via;
}

bool CNet::FindWireAt(POINT) const {
    // Minimal until the schematic hit tests exist: no wire is found.
    return false;
}
