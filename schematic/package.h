// A package: the parts, pins and texts of one component and, once bound, its
// footprint instance (a child). A power symbol is a package with no
// footprint name, no direct pins and exactly one part pin, which has a fixed
// net name.
#pragma once

#include "core/tree_node.h"

#include <string>

class CBoardLayerIndex;
class CFootprint;
class CPart;
class CPin;
class CText;

class CPackage : public CTreeNode {
public:
    // The most parts a package has: the symbol editor takes no more, and a
    // file that names more is read as this many.
    static constexpr uint32_t kMaxPartsPerPackage = 999;

    CPackage();
    CPackage(const CPackage& other);
    ~CPackage() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    // The cached footprint, else the first footprint child (then cached).
    CFootprint* GetFootprint();
    void ClearFootprintCache() { m_pFootprint = nullptr; }
    CPart* GetPart(int n) const;
    int GetPartCount() const;
    CText* FindText(const std::wstring& name) const;
    CPin* GetPowerPin() const;
    bool FootprintFitsPins(const CFootprint* footprint) const;
    // Binds a footprint instance (given, the library's, or a generated one);
    // null for a power symbol.
    CFootprint* BindFootprint(CFootprint* given);
    // Replaces the footprint instance with undo records; false (nothing
    // changed) for a power symbol.
    bool ChangeFootprint(const wchar_t* name, CFootprint* given);
    // Puts every text on a layer with a twin on the other board side onto
    // the twin of the given side (kPlaceBottom: the bottom one), with undo
    // records when asked.
    void PutTextsOnSide(int side, CBoardLayerIndex* index, bool record);
    void MakeHeterogeneous();
    void TryMakeHomogeneous();
    // Puts part n (from 0) on the named sheet ("" or no such sheet: off
    // every sheet).
    void AssignPartToSheet(int n, const std::wstring& sheetName);

    CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y) override;
    void InvalidateOnSheet(DeviceContext* dc) override;
    CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    void RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DeleteOnSheet(DeviceContext* dc, uint32_t flags) override;

    std::wstring m_footprintName;
    uint32_t m_heterogeneous = 0;
    uint32_t m_partsPerPackage = 1;

private:
    CFootprint* m_pFootprint = nullptr; // a child; not owned separately
};
