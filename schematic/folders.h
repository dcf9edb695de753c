// The grouping nodes: blocks of a project and the folders of the libraries.
#pragma once

#include "core/tree_node.h"

template <int Type, const wchar_t* Tag> class CFolderNode : public CTreeNode {
public:
    CFolderNode() : CTreeNode(Type) {}
    explicit CFolderNode(const wchar_t* text) : CTreeNode(Type, text) {}
    CFolderNode(const CFolderNode& other) = default;
    ~CFolderNode() override = default;
    CTreeNode* Clone() const override { return new CFolderNode(*this); }
    const wchar_t* GetTagName() const override { return Tag; }
};

inline constexpr wchar_t kBlockTag[] = L"Block";
inline constexpr wchar_t kSymbolFolderTag[] = L"SymbolFolder";
inline constexpr wchar_t kFootprintFolderTag[] = L"FootprintFolder";
inline constexpr wchar_t kPadstackFolderTag[] = L"PadstackFolder";

using CBlock = CFolderNode<7, kBlockTag>;
using CSymbolFolder = CFolderNode<6, kSymbolFolderTag>;
using CFootprintFolder = CFolderNode<5, kFootprintFolderTag>;
using CPadstackFolder = CFolderNode<4, kPadstackFolderTag>;
