// The search of the schematic editor: what the Find dialog fills in, the
// walk over a project subtree and the test of one node. The view's side
// (starting, continuing and showing a hit) is in CSchematicView.
#pragma once

#include <functional>
#include <string>

class CSchematicView;
class CSheet;
class CTreeNode;

struct FindSettings {
    std::wstring text;
    bool matchCase = false;
    bool wholeWord = false;
    bool down = true;
    // The kinds of objects whose texts are compared.
    bool net = false;
    bool pinNumber = false;
    bool pinName = false;
    bool comment = false;    // free texts of a board
    bool partRefDes = false; // designators of parts (with their unit suffix)
    bool partNumber = false; // a package's "PartNum" text
    bool partValue = false;  // a package's "Value" text
    // Every match is selected instead of the first.
    bool markAll = false;
    // Where the search runs, and where the next one starts (a node inside
    // the scope; the search moves it to each hit).
    CTreeNode* scope = nullptr;
    CTreeNode* start = nullptr;
    // Only objects on this sheet (nets anywhere), or every sheet.
    CSheet* sheetFilter = nullptr;
    // The hit shown last; its selection is cleared when the search goes on.
    CTreeNode* lastHit = nullptr;
};

// The settings of the program's one Find dialog.
FindSettings& GetFindSettings();

// The text against the search text: equal with wholeWord, else containing
// it; without matchCase both are compared in lower case.
bool MatchFindText(const std::wstring& text, const FindSettings& settings);

// Tests one node against the settings and selects what matched (a part with
// its pins, a pin, every wire of a net, a text).
bool MatchesFind(CTreeNode* node, const FindSettings& settings);

// The walks: FindInSubtree tests node and the siblings after it (before it,
// going up), each after its own subtree; FindFrom starts with the sibling
// after node and climbs out of exhausted levels up to the scope. Both
// return the first hit, or null (with markAll: every match is selected and
// the result is the last one).
CTreeNode* FindInSubtree(CTreeNode* node, const FindSettings& settings);
CTreeNode* FindFrom(CTreeNode* node, const FindSettings& settings);

// The search of the dialog's Find Next and Mark All: forgets what the
// settings name that left the document anyDocumentNode belongs to, starts
// without a start node at the scope's first (going up: last) child, and
// walks from the start node over the rest of the scope. The hit (with Mark
// All the last), or null.
CTreeNode* RunSearch(FindSettings& settings, const CTreeNode* anyDocumentNode);

// The modeless Find dialog of the shell opens through this hook (set by the
// shell when the dialog exists); without one Find only clears the last hit.
using FindDialogOpener = std::function<void(CSchematicView* view)>;
void SetFindDialogOpener(FindDialogOpener opener);

// Joins the search to the program's Find dialog: the dialog opens for Find
// (and F3 without a search), and its Find Next and Mark All run StartFind
// with the dialog's choices.
void InstallFindDialog();
// The view is going: the Find dialog shown for it goes too.
void CloseFindDialogOf(CSchematicView* view);
