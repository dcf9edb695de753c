// The property panel: shows the rows of one object at a time. The object
// fills the rows itself (CProperty::FillPropertyGrid, through the Add*
// calls below) and applies an edited row itself
// (CProperty::ApplyPropertyChange), recording its undo item first. The panel
// holds its rows whether or not its window exists, so model code and tests
// can fill, read, change and apply rows without a window.
#pragma once

#include "core/property_list_ctrl.h"
#include "platform/types.h"
#include "platform/window.h"

#include "core/property_item.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CProperty;
class CPropertyTab;
class CPropertyEdit;
class CSheetSizeTable;
class CTreeNode;
class ImageList;

class CPropertyGrid : public PlatformWindow {
public:
    CPropertyGrid();
    ~CPropertyGrid() override;

    // --- Rows. Each adds one row at the end and returns its index. ---------
    // nameId: a string id; name: a text or a string id (PropertyText).
    int AddText(unsigned nameId, PropertyText text);
    int AddTextNamed(PropertyText name, PropertyText text);
    int AddInt(unsigned nameId, int value);
    int AddIntForward(unsigned nameId, int value);
    // A length in mm shown in unit (FormatLength).
    int AddFloat(unsigned nameId, float mm, int unit);
    int AddPoint(unsigned nameId, int x, int y);
    int AddPointF(unsigned nameId, float x, float y, int unit);
    int AddPointFNamed(PropertyText name, float x, float y, int unit);
    int AddSizeF(unsigned nameId, float width, float height, int unit);
    int AddCheckbox(unsigned nameId, bool checked);
    int AddColor(unsigned nameId, COLORREF color);
    // Strings firstId .. firstId + count - 1; currentId selects one of them.
    int AddCombo(unsigned nameId, unsigned currentId, unsigned firstId, int count);
    // The entry equal to current is selected; none when no entry equals it.
    int AddComboStrings(PropertyText name, const std::vector<std::wstring>& entries,
                        const std::wstring& current);
    int AddFont(unsigned nameId, PropertyText faceName);
    // currentLayerId: 33000 + BoardLayer. documentation: the layers 22-31 the
    // object may lie on (bit n for layer n), all of them by default.
    int AddLayer(unsigned nameId, unsigned currentLayerId, int innerLayerCount,
                 uint64_t documentation = 0xFFC00000ull);
    int AddPinShape(int shape);
    int AddSheetSize(CSheetSizeTable* table);
    // captionId 0: the caption "..."; style bit 0: button alone, bit 1: bitmap button.
    int AddEditAndButton(PropertyText name, PropertyText value, int commandId,
                         PlatformWindow* owner, unsigned captionId = 0, int style = 0);
    int AddEditAndButtonById(unsigned nameId, PropertyText value, int commandId,
                             PlatformWindow* owner, unsigned captionId = 0, int style = 0);
    int AddEditAndCheckbox(unsigned nameId, PropertyText value, bool checked);
    int AddEditAndCheckboxNamed(PropertyText name, PropertyText value, bool checked);

    // --- The panel. --------------------------------------------------------
    // Deletes every row, then fills the panel from the object (null: an empty
    // panel titled "Properties"); opens the panel when it has rows, else
    // collapses it.
    void ShowProperties(CProperty* object);
    CProperty* GetShownObject() const { return shown_; }
    // Called as the shown object is destroyed.
    void ForgetDestroyedObject();
    // Every live panel showing object lets go of it (its destructor calls
    // this).
    static void ForgetEverywhere(const CProperty* object);
    // Fills the panel again from the object shown (undo and redo records call
    // it, or ShowProperties(owner), after they restore an object).
    void RefreshProperties();
    // A node left the tree (deleted, or taken out by an undo or redo): when
    // the object shown is that node or lies under it, the panel is cleared.
    void OnNodeRemoved(const CTreeNode* node);
    // The same for an object that is no tree node (a primitive of a marking
    // or of a part): cleared when it is the object shown.
    void OnObjectRemoved(const CProperty* object);

    // Deletes every row and sets the caption.
    void SetTitle(unsigned id);
    void SetTitleText(const std::wstring& text);
    const std::wstring& GetTitle() const { return caption_; }
    bool IsExpanded() const;

    CPropertyItem* GetItem(int row) const { return list_.GetItem(row); }
    int GetRowCount() const { return list_.GetRowCount(); }
    bool IsEditing() const { return list_.IsEditing(); }
    void BeginEditRow(int row);
    void CommitRow(int row);
    // Applies a changed row: the shown object's ApplyPropertyChange(row).
    // When the object refused the row's value (RefuseValue) and did not fill
    // the panel again itself, the panel is filled again afterwards, so that
    // every row shows what the object holds and not the refused text.
    void ApplyRow(int row);
    // The shown object refuses the value of the row being applied: a beep
    // (unless the object has told the user itself) and the rows filled again
    // once the apply is over.
    void RefuseValue(bool beep = true) const;

    // What a length row may hold: any finite length, or only sizes that
    // are not negative, or only sizes above zero.
    enum class LengthRange { Any, NotNegative, Positive };
    // Reading a row's text back. A text that is not a number (or a point or
    // size without two numbers), a number too large for a length and a
    // length outside the range are refused (RefuseValue) and answer false,
    // leaving the output untouched: the object then changes nothing.
    bool ParseRowLength(const CPropertyItem* row, float* mm,
                        LengthRange range = LengthRange::Any) const;
    bool ParsePointRow(const CPropertyItem* row, PointF* point) const;
    bool ParseSizeRow(const CPropertyItem* row, SizeF* size,
                      LengthRange range = LengthRange::Any) const;

    // The keyboard while an editor is open: the program's message loop asks
    // this before it translates accelerators.
    bool PreTranslateMessage(Message* msg) override;

    CPropertyListCtrl& GetList() { return list_; }
    CPropertyTab* GetTab() const { return tab_; }
    void SetTab(CPropertyTab* tab) { tab_ = tab; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int Add(CPropertyItem* item);
    void ClearRows();
    void PostLayout(bool expanded, bool changed);
    void OnCreate();
    void OnPaint();
    void Layout();
    bool ParseTwo(const CPropertyItem* row, float* a, float* b) const;

    CPropertyTab* tab_ = nullptr;
    CPropertyListCtrl list_;
    std::unique_ptr<ImageList> checkImages_;
    std::wstring caption_;
    CProperty* shown_ = nullptr;
    bool expanded_ = false;
    // Set by RefuseValue while a row is applied.
    mutable bool refused_ = false;
    static CPropertyGrid* firstLive_;
    CPropertyGrid* nextLive_ = nullptr;
    CPropertyGrid* previousLive_ = nullptr;
};

// The program's one property panel (null until the shell or a test sets it).
CPropertyGrid* GetPropertyGrid();
void SetPropertyGrid(CPropertyGrid* grid);
