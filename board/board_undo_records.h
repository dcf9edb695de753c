// Undo records of board geometry: areas and their outline nodes, conductors
// and their vertices, footprint placement, layer moves kept in step with the
// board layer index, board visibility of texts, and marking primitives.
#pragma once

#include "board/conductor.h"
#include "core/attribute_change.h"
#include "core/undo_item.h"
#include "core/xml_element.h"

#include <string>

class CArea;
class CAreaNode;
class CBoardLayerIndex;
class CFootprint;
class CMarking;
class CMarkingPrimitive;
class CPadLayer;
class CProperty;
class CText;
class CTreeNode;

// An area's attributes and text, kept and put back as
// CUndoChangeNodeAttribute does (only what the step changed).
class CUndoAreaChange : public CUndoItem {
public:
    CUndoAreaChange(CArea* area, CProperty* owner);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;
    void ForEachValueAsLeft(const LeftValueVisitor& visit) const override;

private:
    CUndoAreaChange(CArea* area, CProperty* owner, AttributeChange change);
    CArea* m_area;
    CProperty* m_owner;
    AttributeChange m_change;
};

class CUndoAreaChangeHead : public CUndoItem {
public:
    explicit CUndoAreaChangeHead(CAreaNode** head);
    CUndoItem* Undo() override;

private:
    CAreaNode** m_field;
    CAreaNode* m_head;
};

class CUndoAreaNodeChange : public CUndoItem {
public:
    explicit CUndoAreaNodeChange(CAreaNode* node);
    ~CUndoAreaNodeChange() override;
    CUndoItem* Undo() override;

private:
    CAreaNode* m_copy; // owned
    CAreaNode* m_node;
};

// Before the caller unlinks the node; owns it while held.
class CUndoAreaNodeDelete : public CUndoItem {
public:
    explicit CUndoAreaNodeDelete(CAreaNode* node);
    ~CUndoAreaNodeDelete() override;
    CUndoItem* Undo() override;

private:
    CAreaNode* m_node;
    CAreaNode* m_neighbour;
    bool m_neighbourIsNext;
};

class CUndoAreaNodeInsert : public CUndoItem {
public:
    explicit CUndoAreaNodeInsert(CAreaNode* node);
    CUndoItem* Undo() override;

private:
    CAreaNode* m_node;
};

// Before the caller puts another outline into the field; owns the outline
// the field held.
class CUndoAreaSwap : public CUndoItem {
public:
    explicit CUndoAreaSwap(CAreaNode** head);
    ~CUndoAreaSwap() override;
    CUndoItem* Undo() override;

private:
    CAreaNode** m_field;
    CAreaNode* m_outline;
};

class CUndoChangeConductor : public CUndoItem {
public:
    explicit CUndoChangeConductor(CConductor* conductor);
    ~CUndoChangeConductor() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CConductor* m_conductor;
    CConductor* m_copy; // owned
};

// A footprint's attributes and text, kept and put back as
// CUndoChangeNodeAttribute does (only what the step changed).
class CUndoChangeFootprintPos : public CUndoItem {
public:
    explicit CUndoChangeFootprintPos(CFootprint* footprint);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;
    void ForEachValueAsLeft(const LeftValueVisitor& visit) const override;

private:
    CUndoChangeFootprintPos(CFootprint* footprint, AttributeChange change);
    CFootprint* m_footprint;
    AttributeChange m_change;
};

// The constructor moves the node between the sets of the index it is given
// at once (none is allowed); the caller then stores the new layer. Undo
// finds the index of the board's open editor as it is then: the one given
// may have closed since.
class CUndoChangeLayer : public CUndoItem {
public:
    CUndoChangeLayer(CTreeNode* node, int newLayer, CBoardLayerIndex* index);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }

private:
    CTreeNode* m_node;
    int m_layer;
};

class CUndoChangePadLayer : public CUndoItem {
public:
    CUndoChangePadLayer(CPadLayer* padLayer, int newLayer, CBoardLayerIndex* index);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override;

private:
    CPadLayer* m_padLayer;
    int m_layer;
};

class CUndoChangeBoardVisible : public CUndoItem {
public:
    CUndoChangeBoardVisible(CText* text, bool newVisible, CBoardLayerIndex* index);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override;

private:
    CText* m_textNode;
    bool m_visible;
};

// After the conductor was added to its net.
class CUndoConductorInsert : public CUndoItem {
public:
    CUndoConductorInsert(CConductor* conductor, CBoardLayerIndex* index);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_conductor; }

private:
    CConductor* m_conductor;
};

// Before the caller unlinks the conductor; owns it while held.
class CUndoConductorDelete : public CUndoItem {
public:
    CUndoConductorDelete(CConductor* conductor, CBoardLayerIndex* index);
    ~CUndoConductorDelete() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    const CTreeNode* GetChangedNode() const override { return m_conductor; }
    const CTreeNode* GetFormerParent() const override { return m_net; }
    const CTreeNode* GetHeldNode() const override;

private:
    CConductor* m_conductor;
    CTreeNode* m_net;
    int m_childIndex;
};

class CUndoConductorNodeChange : public CUndoItem {
public:
    CUndoConductorNodeChange(CConductor* conductor, int vertex);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CConductor* m_conductor;
    int m_vertex;
    ConductorVertex m_value;
};

// Before the caller removes the vertex.
class CUndoConductorNodeDelete : public CUndoItem {
public:
    CUndoConductorNodeDelete(CConductor* conductor, int vertex);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CConductor* m_conductor;
    int m_vertex;
    ConductorVertex m_value;
};

// After the caller inserted the vertex.
class CUndoConductorNodeInsert : public CUndoItem {
public:
    CUndoConductorNodeInsert(CConductor* conductor, int vertex);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CConductor* m_conductor;
    int m_vertex;
};

class CUndoMarkingPrimitiveChange : public CUndoItem {
public:
    explicit CUndoMarkingPrimitiveChange(CMarkingPrimitive* primitive);
    ~CUndoMarkingPrimitiveChange() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CMarkingPrimitive* m_copy; // owned
    CMarkingPrimitive* m_primitive;
    const CTreeNode* m_marking; // the primitive's, as the record was made
};

// After the primitive was inserted at the index.
class CUndoMarkingPrimitiveInsert : public CUndoItem {
public:
    CUndoMarkingPrimitiveInsert(CMarking* marking, int index);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CMarking* m_marking;
    int m_index;
};

// Before the caller removes the primitive at the index; owns it while held.
class CUndoMarkingPrimitiveDelete : public CUndoItem {
public:
    CUndoMarkingPrimitiveDelete(CMarking* marking, int index);
    ~CUndoMarkingPrimitiveDelete() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CMarking* m_marking;
    int m_index;
    CMarkingPrimitive* m_primitive;
};
