// "Load Footprint": picks a footprint for a package of the schematic. The
// user keeps an ordered list of library folders, picks a footprint library
// file ("*.footprint") of the selected folder, and sees that library as a
// tree holding only the footprints whose pads fit the package; a click on a
// footprint previews it and makes a copy of it the choice.
//
// The folder list lives under "Software\Vorpel\Footprint Libraries": one
// number per folder (its path) giving its place in the list, "LastDir" and
// "LastLib" the entries selected last. Stored places are taken in their
// order and closed up; a remembered index outside its list means none.
#pragma once

#include "core/root.h"
#include "platform/dialog.h"
#include "platform/tree_view_control.h"

#include <memory>
#include <string>
#include <vector>

class CFootprint;
class CPackage;
class ImageList;
class ListBoxControl;

class CLoadFootprint : public PlatformDialog {
public:
    enum ControlId : int {
        kDirList = 1089,
        kFileList = 1004,
        kTree = 1024,
        kPreview = 1005,
        kAddFolder = 1090,
        kRemoveFolder = 1091,
        kMoveUp = 1093,
        kMoveDown = 1095,
    };
    static const DialogTemplate& Resource();
    static const wchar_t* const kKeyPath;

    // package: the package to bind (not owned). settingsFolder: the footprint
    // library folder of the settings; programFolder: the program's own
    // folder, whose "Lib/Footprint/" is offered too.
    CLoadFootprint(CPackage* package, std::wstring settingsFolder, std::wstring programFolder);
    ~CLoadFootprint() override;

    // The footprint chosen (a copy; null when none), handed to the caller.
    std::unique_ptr<CFootprint> TakeFootprint();
    const CFootprint* GetChosenFootprint() const { return m_chosen.get(); }
    // The library read from the selected file.
    const CRoot& GetLibrary() const { return m_library; }

    // Selected folder and file (-1 none).
    int m_dirIndex = -1;
    int m_fileIndex = -1;

    // Draws the preview of a footprint into a box of the given size at the
    // origin of the target: board colour, 10 pixels per millimetre, origin in
    // the middle, y up, layers from the back to TOP, pads without numbers.
    static void DrawPreview(PaintTarget* target, const CFootprint* footprint, int width,
                            int height);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;

private:
    void OnInitDialog();
    void ReadFolders();
    void UpdateButtons();
    void RewriteKey();
    void StoreNumber(const wchar_t* name, uint32_t value);
    void FillFileList();
    void LoadLibrary();
    void InsertTree(CTreeNode* node, HTREEITEM parent);
    void OnTreeClick(const NMHDR* hdr);
    void AddFolder();
    void RemoveFolder();
    void MoveFolder(int step);
    ListBoxControl* DirList() const;
    ListBoxControl* FileList() const;
    TreeViewControl* Tree() const;

    CPackage* m_package;
    std::wstring m_settingsFolder;
    std::wstring m_programFolder;
    std::unique_ptr<ImageList> m_images;
    CRoot m_library;
    std::unique_ptr<CFootprint> m_chosen;
};

// Runs the browser for the package, owned by owner; answers IDOK or
// IDCANCEL. After OK, *chosen holds the footprint clicked last (null when
// none was).
int RunLoadFootprint(CPackage* package, const std::wstring& settingsFolder,
                     const std::wstring& programFolder, PlatformWindow* owner,
                     std::unique_ptr<CFootprint>* chosen);

// Leaves in a footprint library only what fits the package: padstack folders
// go, footprint folders are filtered and go when empty, footprints that do
// not fit go.
void FilterFootprintLibrary(CTreeNode* node, const CPackage* package);
