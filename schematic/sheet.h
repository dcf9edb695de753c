// A schematic sheet: its size, grid, line widths and font, and the set of
// objects shown on it. The sheet's name is its element text; names are kept
// unique and non-empty among the sheets of a board, since objects find their
// sheet by name when a file is read. Whatever names the sheet through a
// SheetLink (its objects, shown or not, and undo records) names no sheet
// once it is freed.
#pragma once

#include "core/tree_node.h"
#include "schematic/sheet_object.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

class CBus;
class CNet;
class CPin;
class CSheetObject;
class CWire;

class CSheet : public CTreeNode {
public:
    CSheet();
    explicit CSheet(const wchar_t* name);
    CSheet(const CSheet& other);
    ~CSheet() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;

    const std::wstring& GetName() const { return m_text; }
    void DrawOnSheet(DeviceContext* dc, uint32_t flags) override;

    // Puts the object on this sheet (no effect when it is there already).
    void AddObject(CSheetObject* object);
    // Takes the object off this sheet; an object not on it changes nothing
    // in the set.
    void RemoveObject(CSheetObject* object);
    bool HasObject(CSheetObject* object) const;

    // Point tests on the objects of this sheet, in set order (grid steps).
    CBus* FindBusAt(POINT p) const;
    CWire* FindWireAt(POINT p, const CNet* excluded) const;
    CPin* FindPinAt(POINT p, const CPin* skip) const;
    void CollectPinsAt(POINT p, std::vector<CPin*>& list, const CPin* skip) const;

    int32_t m_gridSize = 0;       // 0.01 mm
    uint32_t m_unit = 0xFFFFFFFF; // LengthUnit; replaced on load
    uint32_t m_wireWidth = 0;     // 0.01 mm
    uint32_t m_busWidth = 0;
    uint32_t m_dotDiameter = 0;
    std::wstring m_fontName;
    std::set<CSheetObject*, NodeSequenceLess> m_objects; // not owned

private:
    friend class SheetLink;
    SheetLink* m_links = nullptr; // every link that names this sheet
};

// The first sheet among holder's children whose name is name; an empty name
// names no sheet.
CSheet* FindSheetByName(const CTreeNode* holder, std::wstring_view name);
// The first sheet among holder's children that has no name; null for a null
// holder.
CSheet* FindUnnamedSheet(const CTreeNode* holder);
// A name for a sheet under holder that no other sheet there has: wanted when
// it is free, else wanted followed by " 2", " 3", ...; an empty wanted is
// taken as "Sheet". self is left out of the comparison (a rename).
std::wstring MakeUniqueSheetName(const CTreeNode* holder, const std::wstring& wanted,
                                 const CSheet* self = nullptr);
// Creates a sheet under holder with a unique name, as a new sheet is made.
CSheet* AddSheet(CTreeNode* holder, const std::wstring& wanted);
// Renames a sheet (with its undo record) to a unique name; objects on it
// keep it, since they write its new name when saved.
void RenameSheet(CSheet* sheet, const std::wstring& wanted);
// Rounds millimetres x 100 half away from zero (the file form of sheet
// lengths).
int32_t MmToHundredths(float mm);
