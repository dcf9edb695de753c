// The tag-to-class factory: while a document is read, every element below the
// root becomes a node whose class is chosen by the element's name.
#pragma once

class CTreeNode;

// Makes a new node of the row's class with its construction defaults.
using NodeCreator = CTreeNode* (*)();

struct NodeFactoryRow {
    const wchar_t* tag;
    int type;
    // Null while the row's class does not exist: the element then reads as a
    // plain node of the row's type that keeps everything and writes back
    // under the row's tag.
    NodeCreator create;
    // Element text of a new node (a self-closing element keeps it).
    const wchar_t* initialText;
};

// The rows in matching order; count receives their number.
const NodeFactoryRow* GetNodeFactoryTable(int* count);

// A new node for the element that starts at text (the '<' followed by the
// rest of the input). The start of the text is compared with "<" + each tag
// in table order, so a longer tag that begins like a shorter one is listed
// first and a name that begins with a tag (Netlist) is taken for it. Any other
// name gives a node of type 0 that keeps that name. Null only when memory
// cannot be obtained.
CTreeNode* CreateNodeFromTag(const wchar_t* text);
