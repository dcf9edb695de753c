// A part's list of symbol primitives as a whole: its text in documents (the
// tokens of the primitives joined by single spaces), copying and deleting.
#pragma once

#include "schematic/part_primitive.h"

#include <string>

class CTreeNode;

// The primitive of one token ("L0,0,40,-20", "RCFO-20,-20,20,20", ...) owned
// by owner; null for a token whose tag is none of L, RC, POLY, CIRC, ARC,
// CURVE, TEXT (tested in this order, so "LINE" is a line).
CPartPrimitive* CreatePartPrimitive(CTreeNode* owner, const std::wstring& token);

// Deletes the list's primitives, then reads the part text into it: one
// primitive per token in text order; empty pieces (two spaces in a row) and
// tokens of no known kind are skipped.
void ReadPartPrimitives(CTreeNode* owner, const std::wstring& text, PartPrimitiveList& list);

// The part text: the tokens in list order joined by one space; an empty list
// gives an empty text.
std::wstring WritePartPrimitives(const PartPrimitiveList& list);
// The same text appended to out.
void AppendPartPrimitives(const PartPrimitiveList& list, std::wstring& out);

// Deletes every primitive and empties the list.
void DeletePartPrimitives(PartPrimitiveList& list);

// Appends a clone of every primitive of source, in order, owned by newOwner.
void ClonePartPrimitives(const PartPrimitiveList& source, CTreeNode* newOwner,
                         PartPrimitiveList& target);

// True when the lists differ in length or in any primitive at the same place.
bool PartPrimitivesDiffer(const PartPrimitiveList& a, const PartPrimitiveList& b);

// The smallest and largest x and y over the primitives; false for a list
// without extent (empty, or only polygons without vertices).
bool GetPartPrimitivesExtent(const PartPrimitiveList& list, POINT* minPoint, POINT* maxPoint);
