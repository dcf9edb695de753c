// The modeless Find dialog of the schematic editor: the text to look for
// with the texts searched for before in this run, where to look (the page,
// its board or the whole project), the direction, the matching options and
// the kinds of objects to look at. "Any Symbol Text" stands for the three
// part texts (designator, number, value) and shows their common state, or
// an indeterminate one when they differ. The choices are kept under
// "Software\Vorpel\Find".
//
// Find Next and Mark All hand the search to the view through the starter
// the schematic editor installs; without one they only store the choices.
// There is one dialog for the program, g_Find.
#pragma once

#include "platform/dialog.h"

#include <memory>
#include <string>
#include <vector>

class CTreeNode;
class CVorpelView;

class CFind : public PlatformDialog {
public:
    enum ControlId : int {
        kFindWhat = 1070,
        kLookIn = 1072,
        kMatchCase = 1074,
        kMatchWholeWord = 1075,
        kDown = 1020,
        kUp = 1022,
        kNet = 1076,
        kRefDes = 1077,
        kComment = 1078,
        kPartNum = 1079,
        kPartValue = 1080,
        kPinNumber = 1081,
        kPinName = 1082,
        kPartText = 1084,
        kSetAll = 1087,
        kClearAll = 1088,
        kMarkAll = 1073,
    };
    static const wchar_t* const kKeyPath; // L"Software\\Vorpel\\Find"
    static const DialogTemplate& Resource();

    CFind();
    ~CFind() override;

    // Shows the dialog for the view (a schematic view: its document is a
    // sheet). A dialog already shown is closed first, without storing.
    bool Open(CVorpelView* view);
    // Cancel: the controls are read into the members; nothing is stored.
    void Close();
    // Destroys the dialog's window at once (the main window closing).
    void Dismiss();
    // The view is going: a dialog shown for it goes with it.
    void DismissFor(const CVorpelView* view);
    bool IsOpen() const { return IsWindow() && !m_closing; }
    bool PreTranslateMessage(Message* msg) override;
    bool DoDataExchange(bool save) override;

    // What the last Find Next or Mark All asked for.
    CVorpelView* m_view = nullptr;
    std::wstring m_text;
    std::vector<std::wstring> m_history; // most recent first
    int m_lookIn = 0;                    // 0 current page, 1 current board, 2 entire project
    int m_dir = 1;                       // 0 up, 1 down
    int m_matchCase = 0;
    int m_matchWholeWord = 0;
    int m_findNet = 1;
    int m_findPinNumber = 1;
    int m_findPinName = 1;
    int m_findComment = 1;
    int m_findPartText = 1; // 2: the three part texts differ
    int m_findRefDes = 1;
    int m_findPartNum = 1;
    int m_findPartValue = 1;
    int m_markAll = 0;
    CTreeNode* m_scopeNode = nullptr;
    // The search: the sheet searched (null for a board or the project), the
    // node searched over and the node it starts from.
    CTreeNode* m_searchSheet = nullptr;
    CTreeNode* m_searchRoot = nullptr;
    CTreeNode* m_startNode = nullptr;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;

private:
    void OnInitDialog();
    void ReadSettings();
    void StoreSettings() const;
    void OnFind(bool markAll);
    void OnPartTextClicked();
    void OnPartFlagClicked();
    void SetAllKinds(int value);
    void FinishClose();

    bool m_closing = false;
};

extern CFind g_Find;

// The search the schematic view runs for Find Next and Mark All (the
// dialog's members say what to look for); null: none yet.
using FindStarter = void (*)(CVorpelView* view, CFind& find);
void SetFindStarter(FindStarter starter);
