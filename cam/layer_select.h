// The "Select Layers" dialog (104) run before a Gerber export: the layers to
// write, each with a check box, and the output path prefix. The export reads
// the entries, the outline entry and the prefix after the dialog has closed.
#pragma once

#include "core/board_layer.h"
#include "platform/dialog.h"
#include "platform/list_view_control.h"

#include <memory>
#include <string>

class CBoard;
class CLayer;
class DeviceContext;
class ImageList;

// One row's worth of export choice: whether the layer is written, the
// board's stackup node for it (none when the board has none) and its id
// (-1 for the board outline, and for layers never listed).
struct LayerSelectEntry {
    int selected = 0;
    CLayer* layer = nullptr;
    int id = -1;
};

// The layer list: every row's data is a LayerSelectEntry*. It draws its own
// rows (owner drawing reflected by the dialog) and a click anywhere in a row
// toggles the row's check box and its entry.
class CLayerSelectListCtrl : public ListViewControl {
public:
    ~CLayerSelectListCtrl() override { DestroyWindow(); }

    // Draws one row into rect: the check box, the layer name, its type name
    // and its net; a focus rectangle when itemState has ODS_SELECTED.
    void DrawRow(DeviceContext& dc, const RECT& rect, int item, UINT itemState);
    // Flips the row's check box and its entry's selected flag.
    void ToggleRow(int item);

    // The texts of a row's three columns.
    static std::wstring LayerName(const LayerSelectEntry& entry);
    static std::wstring LayerTypeName(const LayerSelectEntry& entry);
    static std::wstring NetName(const LayerSelectEntry& entry);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class CLayerSelect : public PlatformDialog {
public:
    enum ControlId : int {
        kPrefix = 1011,
        kList = 1012,
        kBrowse = 1013,
    };
    static const DialogTemplate& Resource();

    explicit CLayerSelect(CBoard* board);
    ~CLayerSelect() override;

    CLayerSelectListCtrl* GetList() const { return GetDlgItemAs<CLayerSelectListCtrl>(kList); }

    // The prefix proposed for the board: next to its project file, in a
    // folder named after the project (created here when missing); a project
    // path that is no full path (a new project's name) lies in the default
    // project folder of the settings. Without a project, or for a project
    // without a path, the Documents folder's "gerber"; *noProject tells the
    // caller that no project was found at all.
    static std::wstring DefaultPrefix(const CBoard* board, bool* noProject = nullptr);

    CBoard* m_board;
    // Index = board layer id.
    LayerSelectEntry m_layers[kBoardLayerCount];
    LayerSelectEntry m_outline;
    std::wstring m_prefix;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;

private:
    void OnInitDialog();
    void FillList(CLayerSelectListCtrl* list);
    void OnBrowse();

    std::unique_ptr<ImageList> m_checkImages;
};
