// The list of the property panel: an owner-drawn report list with one
// CPropertyItem per row, a movable divider between the name and value
// columns, in-place editors and the keyboard handling of an open editor.
// The rows are held here whether or not the list window exists; creating the
// window shows the rows already added.
#pragma once

#include "platform/list_view_control.h"

#include <functional>
#include <memory>
#include <vector>

class CPropertyItem;
class ImageList;

class CPropertyListCtrl : public ListViewControl {
public:
    static constexpr int kInitialDivider = 97;

    CPropertyListCtrl();
    ~CPropertyListCtrl() override;

    // Takes the row (ownership passes to the list); returns its index.
    int AddItem(CPropertyItem* item);
    int GetRowCount() const { return static_cast<int>(rows_.size()); }
    // Null when there is no such row.
    CPropertyItem* GetItem(int row) const;
    int IndexOf(const CPropertyItem* item) const;
    // Closes every editor and deletes every row.
    void Clear();
    // Commits every row; each row whose value was taken is reported to the
    // parent with WM_USER+25 (row index).
    void CommitAll();
    // (rows + 1) x row height + 3: the rows and the caption band.
    int GetContentHeight();
    // True when a row has an open editor.
    bool IsEditing() const;

    // The keyboard while an editor is open (a WM_KEYDOWN virtual key):
    // Enter/Esc end the edit (answer what that gave), Tab moves to the next
    // row (Shift: previous) and opens it (answers 1); other keys answer -1
    // while the current row's editor is open, else 0.
    int HandleKey(int vk);

    int GetDivider() const { return divider_; }
    void SetDivider(int x);
    int GetCurrentRow() const { return current_; }
    void SetCurrentRow(int row) { current_ = row; }
    // Row height in pixels (as last measured; a default before the window exists).
    int GetItemHeight() const { return rowHeight_; }
    bool IsDragging() const { return dragging_; }

    // The check-box pictures (state images), set by the panel.
    void SetCheckImages(ImageList* images) { checkImages_ = images; }
    ImageList* GetCheckImages() const { return checkImages_; }

    // Reports a changed row to the parent (the panel applies it) with
    // WM_USER+25; before the window exists, to the change handler.
    void ReportChange(int row);
    void SetChangeHandler(std::function<void(int row)> handler) { onChange_ = std::move(handler); }
    // Puts the rows added so far into the list window (after it is created).
    void InsertRowsIntoWindow();
    // Counts the times the rows were deleted: a caller that may have caused
    // the panel to be filled again compares it before and after.
    unsigned GetGeneration() const { return generation_; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnClickNotify(const NMITEMACTIVATE* info);
    void OnChildCommand(int id, int code, PlatformWindow* child);

    void FreeRetiredRows();

    std::vector<std::unique_ptr<CPropertyItem>> rows_;
    // Rows deleted while one of their editors may still be handling a
    // message; freed once the message queue runs again.
    std::vector<std::unique_ptr<CPropertyItem>> retired_;
    std::function<void(int row)> onChange_;
    unsigned generation_ = 0;
    int rowHeight_ = 18;
    int current_ = -1;
    int divider_ = kInitialDivider;
    bool dragging_ = false;
    int dragOffset_ = 0;
    ImageList* checkImages_ = nullptr;
};
