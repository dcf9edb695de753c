// A board: its outline, stackup, nets, packages, areas and texts.
#pragma once

#include "core/tree_node.h"

#include <string>
#include <vector>

class CAreaNode;
class CConductor;
class CBoardProperties;
class CFootprint;
class CLayer;
class CMounting;
class CNet;
class CPackage;
class CPad;
class CPadstack;
class CThermalRelief;

class CBoard : public CTreeNode {
public:
    CBoard();
    CBoard(const CBoard& other);
    ~CBoard() override;

    CTreeNode* Clone() const override;
    void ClearOwnSelection() override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    // The board outline in the outline colour (alpha 0xC0).
    void DrawOutline(Graphics* g);
    void CreateDefaultOutline();
    CLayer* FindLayer(int id) const;
    CLayer* FindLayerByCode(const std::wstring& code) const;
    int GetInnerLayerCount() const;
    std::wstring NewNetName();
    // The automatic names start again from N1 (tests).
    static void ResetNetNameCounter();
    CBoardProperties* FindBoardProperties(CThermalRelief** thermal = nullptr,
                                          CPadstack** via = nullptr) const;
    CMounting* FindMounting() const;
    CNet* FindNet(const std::wstring& name) const;
    bool IsNetNameUnique(const std::wstring& name) const;
    CNet* FindOrAddNet(std::wstring name);
    // A net named from takes the name to: the stackup's planes and the
    // copper areas naming it name it by to, in one record, and the values
    // every history keeps of them follow (CUndoRenameNetReferences). When
    // another net is named to already, as MoveNetReferences.
    void RenameNetReferences(const std::wstring& from, const std::wstring& to);
    // The net named from goes into the net named to (a merge): the planes
    // and areas naming from name to instead, each recorded before it
    // changes, so that an Undo gives back to from only those.
    void MoveNetReferences(const std::wstring& from, const std::wstring& to);
    CFootprint* FindFootprintAt(float x, float y,
                                const std::vector<CPackage*>* extraPackages = nullptr) const;
    // Via pads of the nets (the given net's only), then package pads (of the
    // given net only).
    CPad* FindPadAt(Graphics* g, float x, float y, CNet* net) const;
    // The same searches over every net in order.
    CConductor* FindConductorSegmentAt(float x, float y, int* index, uint32_t maskLow,
                                       uint32_t maskHigh) const;
    CConductor* FindConductorVertexAt(float x, float y, int* index, uint32_t maskLow,
                                      uint32_t maskHigh) const;
    // Derives the board's connectivity after a load.
    void BuildNets();

    CAreaNode* m_outline = nullptr;
    uint32_t m_unit = 1;
    float m_gridX = 0;
    float m_gridY = 0;

protected:
    void ChildrenChanged(CTreeNode* child) override;

private:
    // The layers, the first board properties and the first mounting among
    // the children, gathered again after one of them joined or left: they
    // are looked for for every pad, and a board may hold a hundred thousand
    // packages and nets.
    struct Directory {
        std::vector<CLayer*> layers;
        CBoardProperties* properties = nullptr;
        CMounting* mounting = nullptr;
        bool known = false;
    };
    const Directory& GetDirectory() const;
    mutable Directory m_directory;
};

// Board-wide isolation: that of the board's thermal relief, 0.3 without one.
float GetBoardIsolation(const CBoard* board);
