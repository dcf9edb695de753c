// The "Stackup" dialog (289) of a board: its copper layers in the layer
// list, with buttons that insert and delete inner layers. Opening gives a
// board without TOP or BOT those layers; everything the dialog changes
// afterwards is one group of the caller's undo list, which Cancel undoes.
#pragma once

#include "platform/dialog.h"

#include <memory>

class CBoard;
class CStackupListCtrl;
class CUndoList;
class ImageList;

class CStackup : public PlatformDialog {
public:
    enum ControlId : int {
        kList = 1035,
        kInsertLayer = 1036,
        kDeleteLayer = 1037,
    };
    static const DialogTemplate& Resource();

    CStackup(CBoard* board, CUndoList* undo);
    ~CStackup() override;

    CStackupListCtrl* GetList() const;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;

private:
    void OnInitDialog();
    // Adds TOP and BOT when the board lacks them and says so.
    void AddMissingSides();

    CBoard* m_board;
    CUndoList* m_undo;
    std::unique_ptr<ImageList> m_stateImages;
};
