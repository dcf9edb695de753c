// "Select Part": picks a package from a symbol library and the part of it to
// place. The user keeps a list of library folders, picks a symbol library
// file ("*.symbol") of the selected folder, and picks a package from the flat
// list of the library's packages (folders entered); the part number (from 1,
// with an up-down control) chooses the part shown in the preview.
//
// The folder list lives under "Software\Vorpel\Symbol Libraries": one text
// value per folder (its path, listed in stored order), "LastDir" and
// "LastLib" the entries selected last; a remembered index outside its list
// means none. A package without parts shows no preview and keeps part 1.
#pragma once

#include "core/root.h"
#include "platform/dialog.h"

#include <memory>
#include <string>

class CPackage;
class DeviceContext;
class ListBoxControl;

class CSelPart : public PlatformDialog {
public:
    enum ControlId : int {
        kDirList = 1089,
        kFileList = 1004,
        kPackageList = 1001,
        kPreview = 1005,
        kPartNumber = 1023,
        kUpDown = 1016,
        kAddFolder = 1090,
        kRemoveFolder = 1091,
    };
    static const DialogTemplate& Resource();
    static const wchar_t* const kKeyPath;

    // settingsFolder: the symbol library folder of the settings;
    // programFolder: the program's own folder, whose "Lib/Symbol/" is offered
    // too.
    CSelPart(std::wstring settingsFolder, std::wstring programFolder);
    ~CSelPart() override;

    // After OK: the package, detached from the library, handed to the caller.
    std::unique_ptr<CPackage> TakePackage();
    const CPackage* GetChosenPackage() const { return m_package; }
    // The part to place, from 0.
    int GetPartIndex() const { return m_partIndex; }
    const CRoot& GetLibrary() const { return m_library; }

    int m_dirIndex = -1;
    int m_fileIndex = -1;

    // Draws part index of the package (nothing for a package without that
    // part) into a box of the given size at the origin of the target.
    static void DrawPreview(PaintTarget* target, const CPackage* package, int index, int width,
                            int height);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;

private:
    void OnInitDialog();
    void ReadFolders();
    void StoreNumber(const wchar_t* name, uint32_t value);
    void FillFileList();
    void LoadLibrary();
    void ListPackages(CTreeNode* node);
    void AddFolder();
    void RemoveFolder();
    void OnPackageSelected();
    void OnPartNumberEdited();
    // Takes a part number (from 1) as the user asked for it: kept to the
    // package's parts, shown, previewed.
    void ApplyPartNumber(int64_t number, bool rewrite);
    void ShowPartNumber();
    void OnOk();
    ListBoxControl* List(int id) const;

    std::wstring m_settingsFolder;
    std::wstring m_programFolder;
    CRoot m_library;
    CPackage* m_package = nullptr; // in m_library until OK takes it
    std::unique_ptr<CPackage> m_taken;
    int m_partIndex = 0;
    bool m_showingPart = false; // the number is being written by the dialog
};

// Runs the browser owned by owner; answers IDOK or IDCANCEL. After OK,
// *package holds the chosen package and *partIndex the part (from 0).
int RunSelPart(const std::wstring& settingsFolder, const std::wstring& programFolder,
               PlatformWindow* owner, std::unique_ptr<CPackage>* package, int* partIndex);
