// The padstack sheet: defines a padstack from scratch ("Create Padstack")
// or picks a padstack or a whole footprint from a footprint library ("Load
// Padstack"), each with a preview, for the footprint editor and the board
// editor to place. The sheet owns the object it holds between runs; the
// Create page edits it, the Load page replaces it, the caller takes it.
//
// OK and Cancel close the sheet at once, with no page asked; while a cell
// of the pad-layer table is being edited they only close that editor (OK
// applying it), so Enter in a cell applies the cell and keeps the sheet.
#pragma once

#include "core/root.h"
#include "dialogs/vpl_data_exchange.h"
#include "platform/property_sheet.h"

#include <memory>
#include <string>

class CPadstack;
class CPadstackListCtrl;
class CPadstackSheet;
class ImageList;
class PaintTarget;
class TreeViewControl;

// Sent to a page to show the current object again.
constexpr UINT WM_PADSTACK_REFILL = WM_USER + 27;

class CCreatePadstack : public PropertyPage, public CVplDataExchange<CCreatePadstack> {
public:
    enum ControlId : int {
        kPreview = 1005,
        kUnit = 1013,
        kDrillType = 1015,
        kList = 1034,
        kDiameter = 1044,
        kSlotHeight = 1046,
        kDiameterLabel = 1048,
        kSlotHeightLabel = 1050,
        kSlotWidthLabel = 1053,
        kSlotWidth = 1056,
    };
    static const DialogTemplate& Resource();

    CCreatePadstack(CPadstackSheet* sheet, int unit);
    ~CCreatePadstack() override;

    CPadstackListCtrl* GetList() const;
    int GetUnit() const { return m_unit; }
    // Shows the current object again (a new padstack first when the sheet
    // holds none).
    void Refill();

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;
    void OnSetActive() override;

private:
    void OnInitDialog();
    void OnUnitChanged();
    void ApplyDrillType();
    void ShowDrillControls(int type);
    void WriteDrillFields();
    void OnDrillFieldChanged(int id);
    void OnDrillFieldLeft(int id);
    void RepaintPreview();

    CPadstackSheet* m_sheet;
    int m_unit;
    // The page's hole sizes in millimetres: what a new drill takes, and
    // what the drill fields show in the page's unit.
    float m_diameter = 1.0f;
    float m_slotWidth = 3.0f;
    float m_slotHeight = 1.0f;
    // Set while the page writes its own fields, whose change notifications
    // are then no edits of the user.
    bool m_writing = false;
};

class CLoadPadstack : public PropertyPage {
public:
    enum ControlId : int {
        kPreview = 1005,
        kTree = 1024,
        kPath = 1032,
        kBrowse = 1033,
    };
    static const DialogTemplate& Resource();

    // path: the footprint library file shown first.
    CLoadPadstack(CPadstackSheet* sheet, std::wstring path);
    ~CLoadPadstack() override;

    const std::wstring& GetPath() const { return m_path; }
    // The library read last (an empty root when none was read).
    const CRoot& GetLibrary() const { return *m_library; }
    TreeViewControl* GetTree() const;
    // Reads the file into a fresh root and shows it; a file that cannot be
    // read, or is no footprint library, is reported and leaves the tree
    // empty. False on failure.
    bool LoadLibrary();

    // The footprint library folder the file dialog starts in.
    std::wstring m_libraryFolder;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;
    bool OnKillActive() override;

private:
    void OnInitDialog();
    void OnBrowse();
    void InsertTree(CTreeNode* node, void* parentItem);
    void OnTreeClick(const NMHDR* hdr);

    CPadstackSheet* m_sheet;
    std::wstring m_path;
    std::unique_ptr<CRoot> m_library;
    std::unique_ptr<ImageList> m_images;
};

class CPadstackSheet : public PropertySheet {
public:
    enum Page : int { kLoadPage = 0, kCreatePage = 1 };
    enum Result : int { kResultOk = 1, kResultCancel = 2 };

    explicit CPadstackSheet(std::wstring caption);
    ~CPadstackSheet() override;

    // Runs the sheet over owner with a fresh Load page (showing the library
    // file libraryPath, its file dialog starting in libraryFolder) and a
    // fresh Create page working in unit, on the start page. Returns the
    // closing result (kResultOk or kResultCancel).
    int Run(PlatformWindow* owner, int startPage, const std::wstring& libraryPath,
            const std::wstring& libraryFolder, int unit);

    // The current object: a CPadstack, a CFootprint or null.
    CTreeNode* GetObject() const { return m_object.get(); }
    CPadstack* GetPadstack() const;
    // Replaces the current object (the one held before is deleted).
    void SetObject(std::unique_ptr<CTreeNode> object);
    std::unique_ptr<CTreeNode> TakeObject() { return std::move(m_object); }
    int GetCloseResult() const { return m_closeResult; }

    CCreatePadstack* GetCreatePage() const { return m_createPage.get(); }
    CLoadPadstack* GetLoadPage() const { return m_loadPage.get(); }

    // The preview of an object (a padstack or a footprint; anything else
    // and null draw the background only): board colour, 10 pixels per
    // millimetre, the origin in the middle, y up, the layers from the back
    // to TOP, pads without numbers.
    static void DrawPreview(PaintTarget* target, CTreeNode* object, int width, int height);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::unique_ptr<CTreeNode> m_object;
    std::unique_ptr<CLoadPadstack> m_loadPage;
    std::unique_ptr<CCreatePadstack> m_createPage;
    int m_closeResult = kResultCancel;
};
