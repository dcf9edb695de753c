// Undo records of board geometry: areas and their outline nodes, conductors
// and their vertices, footprint placement, layer moves kept in step with the
// board layer index, board visibility of texts, and marking primitives.
// The records of a value keep it as it was before their step and as the
// step left it, and put back only what their step changed: a package's
// texts are also changed from the sheets, a footprint's side and the ties
// of its tracks by a sheet's footprint change, layers by the stackup.
#pragma once

#include "board/conductor.h"
#include "core/attribute_change.h"
#include "core/undo_item.h"
#include "core/value_change.h"
#include "core/xml_element.h"

#include <string>
#include <tuple>
#include <vector>

class CArea;
class CAreaNode;
class CBoard;
class CBoardLayerIndex;
class CFootprint;
class CMarking;
class CMarkingPrimitive;
class CPadLayer;
class CProperty;
class CText;
class CTreeNode;

// An area's attributes and text, kept and put back as
// CUndoChangeNodeAttribute does (only what the step changed), and with them
// its sketch drawing, which no file holds.
class CUndoAreaChange : public CUndoItem {
public:
    CUndoAreaChange(CArea* area, CProperty* owner);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;
    void ForEachValueAsLeft(const LeftValueVisitor& visit) const override;
    void FollowNetRename(const CTreeNode* board, const std::wstring& from,
                         const std::wstring& to) override;
    void ForEachKeptLayer(const std::function<void(int)>& visit) const override;

private:
    CUndoAreaChange(CArea* area, CProperty* owner, AttributeChange change,
                    ValueChange<bool> sketch);
    std::tuple<bool&> Sketch() const;
    CArea* m_area;
    CProperty* m_owner;
    AttributeChange m_change;
    ValueChange<bool> m_sketch;
};

// A net of the board took a name no net had (typed on a sheet, or given by
// a power pin): the board's plane layers and areas that named it by the old
// name name it by the new one, and so do the values every history's records
// keep of them (CUndoItem::FollowNetRename), so that no history's step on
// them is lost for it. Its Undo renames back every plane and area naming
// the new name, whichever history gave it to them since, and the records'
// values with them. It puts back no value of its own: the net's name is its
// own record's.
class CUndoRenameNetReferences : public CUndoItemWithoutValues {
public:
    CUndoRenameNetReferences(CBoard* board, std::wstring from, std::wstring to);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override;
    // What the record's step and its Undo do: the planes and areas of board
    // naming from name to, in the board and in every history's records.
    static void Rename(CBoard* board, const std::wstring& from, const std::wstring& to);

private:
    CBoard* m_board;
    std::wstring m_from;
    std::wstring m_to;
};

// An outline is edited only in the editor that shows it.
class CUndoAreaChangeHead : public CUndoItemOfUnsharedValues {
public:
    explicit CUndoAreaChangeHead(CAreaNode** head);
    CUndoItem* Undo() override;

private:
    CAreaNode** m_field;
    CAreaNode* m_head;
};

class CUndoAreaNodeChange : public CUndoItemOfUnsharedValues {
public:
    explicit CUndoAreaNodeChange(CAreaNode* node);
    ~CUndoAreaNodeChange() override;
    CUndoItem* Undo() override;

private:
    CAreaNode* m_copy; // owned
    CAreaNode* m_node;
};

// Before the caller unlinks the node; owns it while held.
class CUndoAreaNodeDelete : public CUndoItemWithoutValues {
public:
    explicit CUndoAreaNodeDelete(CAreaNode* node);
    ~CUndoAreaNodeDelete() override;
    CUndoItem* Undo() override;

private:
    CAreaNode* m_node;
    CAreaNode* m_neighbour;
    bool m_neighbourIsNext;
};

class CUndoAreaNodeInsert : public CUndoItemWithoutValues {
public:
    explicit CUndoAreaNodeInsert(CAreaNode* node);
    CUndoItem* Undo() override;

private:
    CAreaNode* m_node;
};

// Before the caller puts another outline into the field; owns the outline
// the field held.
class CUndoAreaSwap : public CUndoItemOfUnsharedValues {
public:
    explicit CUndoAreaSwap(CAreaNode** head);
    ~CUndoAreaSwap() override;
    CUndoItem* Undo() override;

private:
    CAreaNode** m_field;
    CAreaNode* m_outline;
};

// A conductor's vertices (with their ties to pads), layer and width.
class CUndoChangeConductor : public CUndoItem {
public:
    explicit CUndoChangeConductor(CConductor* conductor);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    const CTreeNode* GetChangedNode() const override { return m_conductor; }
    void TakeCurrentValues() override { m_change.TakeCurrent(Fields()); }
    void TakeOthersValues() override { m_change.TakeOthers(Fields()); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft(Fields()); }
    void LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) override;
    void ForEachKeptLayer(const std::function<void(int)>& visit) const override;

private:
    using Change = ValueChange<std::vector<ConductorVertex>, int, float>;
    CUndoChangeConductor(CConductor* conductor, Change change);
    std::tuple<std::vector<ConductorVertex>&, int&, float&> Fields() const;
    CConductor* m_conductor;
    Change m_change;
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
    void TakeCurrentValues() override { m_change.TakeCurrent({m_node->GetLayer()}); }
    void TakeOthersValues() override { m_change.TakeOthers({m_node->GetLayer()}); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft({m_node->GetLayer()}); }
    void ForEachKeptLayer(const std::function<void(int)>& visit) const override;

private:
    CUndoChangeLayer(CTreeNode* node, ValueChange<int> change);
    CTreeNode* m_node;
    ValueChange<int> m_change;
};

class CUndoChangePadLayer : public CUndoItem {
public:
    CUndoChangePadLayer(CPadLayer* padLayer, int newLayer, CBoardLayerIndex* index);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override;
    void TakeCurrentValues() override { m_change.TakeCurrent(Fields()); }
    void TakeOthersValues() override { m_change.TakeOthers(Fields()); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft(Fields()); }

private:
    CUndoChangePadLayer(CPadLayer* padLayer, ValueChange<int> change);
    std::tuple<int&> Fields() const;
    CPadLayer* m_padLayer;
    ValueChange<int> m_change;
};

class CUndoChangeBoardVisible : public CUndoItem {
public:
    CUndoChangeBoardVisible(CText* text, bool newVisible, CBoardLayerIndex* index);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override;
    void TakeCurrentValues() override { m_change.TakeCurrent(Fields()); }
    void TakeOthersValues() override { m_change.TakeOthers(Fields()); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft(Fields()); }

private:
    CUndoChangeBoardVisible(CText* text, ValueChange<bool> change);
    std::tuple<bool&> Fields() const;
    CText* m_textNode;
    ValueChange<bool> m_change;
};

// After the conductor was added to its net.
class CUndoConductorInsert : public CUndoItemWithoutValues {
public:
    CUndoConductorInsert(CConductor* conductor, CBoardLayerIndex* index);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_conductor; }

private:
    CConductor* m_conductor;
};

// Before the caller unlinks the conductor; owns it while held.
class CUndoConductorDelete : public CUndoItemWithoutValues {
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

// One vertex of a conductor, by its place in the vertex list.
class CUndoConductorNodeChange : public CUndoItem {
public:
    CUndoConductorNodeChange(CConductor* conductor, int vertex);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    const CTreeNode* GetChangedNode() const override { return m_conductor; }
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;
    void LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) override;

private:
    CUndoConductorNodeChange(CConductor* conductor, int vertex,
                             ValueChange<ConductorVertex> change);
    // The vertex as it is now; null once the list no longer reaches its
    // place (the record's own later steps took vertices out).
    ConductorVertex* Vertex() const;
    CConductor* m_conductor;
    int m_vertex;
    ValueChange<ConductorVertex> m_change;
};

// Before the caller removes the vertex.
class CUndoConductorNodeDelete : public CUndoItemWithoutValues {
public:
    CUndoConductorNodeDelete(CConductor* conductor, int vertex);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    const CTreeNode* GetChangedNode() const override { return m_conductor; }
    void LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) override;

private:
    CConductor* m_conductor;
    int m_vertex;
    ConductorVertex m_value;
};

// After the caller inserted the vertex.
class CUndoConductorNodeInsert : public CUndoItemWithoutValues {
public:
    CUndoConductorNodeInsert(CConductor* conductor, int vertex);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    const CTreeNode* GetChangedNode() const override { return m_conductor; }

private:
    CConductor* m_conductor;
    int m_vertex;
};

// A marking primitive as a whole: a copy of it before the step, and its
// token (what the file holds of it) before the step and as the step left
// it.
class CUndoMarkingPrimitiveChange : public CUndoItem {
public:
    explicit CUndoMarkingPrimitiveChange(CMarkingPrimitive* primitive);
    ~CUndoMarkingPrimitiveChange() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;

private:
    // The primitive is still in the marking's list: only then is it read.
    bool InMarking() const;
    CMarkingPrimitive* m_copy; // owned
    CMarkingPrimitive* m_primitive;
    const CTreeNode* m_marking; // the primitive's, as the record was made
    ValueChange<std::wstring> m_token;
};

// After the primitive was inserted at the index.
class CUndoMarkingPrimitiveInsert : public CUndoItemWithoutValues {
public:
    CUndoMarkingPrimitiveInsert(CMarking* marking, int index);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CMarking* m_marking;
    int m_index;
};

// Before the caller removes the primitive at the index; owns it while held.
class CUndoMarkingPrimitiveDelete : public CUndoItemWithoutValues {
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
