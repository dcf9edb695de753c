#include "dialogs/color_page.h"

#include "core/default_settings.h"
#include "dialogs/picture.h"
#include "platform/color_dialog.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/list_box_control.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace {
constexpr COLORREF kInvert = 0x00FFFFFF;

FileDialogRequest PaletteRequest(PlatformWindow* owner) {
    FileDialogRequest r;
    r.owner = owner;
    r.filters = {{L"INI Files (*.ini)", L"*.ini"}, {L"All Files (*.*)", L"*.*"}};
    r.initialDir = DocumentsFolder() + L"/Vorpel/";
    return r;
}
} // namespace

CColorPage::CColorPage(DialogTemplate tmpl, bool boardPalette, bool zoomDivides)
    : PropertyPage(std::move(tmpl)), boardPalette_(boardPalette), zoomDivides_(zoomDivides) {}

CColorPage::~CColorPage() {
    EndBlink();
}

COLORREF CColorPage::ShownEntryColor(int index) {
    COLORREF* c = EntryColor(index);
    if (!c)
        return 0;
    return c == blinking_ ? saved_ : *c;
}

bool CColorPage::OnEntryChosen(int) {
    return true;
}

std::unique_ptr<PlatformWindow> CColorPage::MakeControl(const DialogItem& item) {
    if (item.id == kPreview)
        return std::make_unique<CPicture>(this);
    return nullptr;
}

void CColorPage::RepaintPreview() {
    if (PlatformWindow* preview = GetDlgItem(kPreview))
        preview->Invalidate(false);
}

void CColorPage::RepaintList() {
    if (PlatformWindow* list = GetDlgItem(kList))
        list->Invalidate(true);
}

void CColorPage::FocusZoomButtons() {
    GotoDlgCtrl(kZoomOut);
    GotoDlgCtrl(kZoomIn);
}

void CColorPage::StartBlink(int index) {
    // A blink still running gives its colour back before another starts, or
    // the first entry would stay inverted.
    EndBlink();
    COLORREF* color = EntryColor(index);
    if (!color)
        return;
    blinking_ = color;
    saved_ = *color;
    *color ^= kInvert;
    SetTimer(kBlinkTimer, kBlinkMs);
}

void CColorPage::EndBlink() {
    if (!blinking_)
        return;
    *blinking_ = saved_;
    blinking_ = nullptr;
    KillTimer(kBlinkTimer);
}

void CColorPage::EditEntryColor() {
    EndBlink();
    auto* list = GetDlgItemAs<ListBoxControl>(kList);
    if (!list)
        return;
    COLORREF* color = EntryColor(list->GetCurSel());
    if (!color)
        return;
    ChooseColorRequest request;
    request.owner = this;
    request.rgbResult = *color;
    request.customColors = g_DefaultSettings.customColors;
    request.flags = CC_RGBINIT | CC_FULLOPEN;
    auto life = LifeToken();
    if (!ChooseColor(&request) || !*life)
        return;
    // The entry selected now takes the colour.
    if (COLORREF* target = EntryColor(list->GetCurSel()))
        *target = request.rgbResult;
    RepaintList();
    RepaintPreview();
    FocusZoomButtons();
}

void CColorPage::ChangeZoom(bool enlarge) {
    // The schematic preview shows a zoom-sized extent: a smaller zoom
    // enlarges it. The board preview scales by the zoom.
    bool up = enlarge != zoomDivides_;
    if (up && zoom_ < kMaxZoom)
        zoom_ *= 2;
    else if (!up && zoom_ > kMinZoom)
        zoom_ /= 2;
    RepaintPreview();
}

void CColorPage::LoadPaletteFile() {
    FileDialogRequest request = PaletteRequest(this);
    auto life = LifeToken();
    if (!GetOpenFileName(&request) || !*life)
        return;
    EndBlink();
    g_DefaultSettings.LoadPalette(request.fileName, boardPalette_);
    RepaintList();
    RepaintPreview();
    FocusZoomButtons();
}

void CColorPage::SavePaletteFile() {
    FileDialogRequest request = PaletteRequest(this);
    request.overwritePrompt = true;
    auto life = LifeToken();
    if (!GetSaveFileName(&request) || !*life)
        return;
    EndBlink();
    RepaintPreview();
    if (!g_DefaultSettings.SavePalette(request.fileName, boardPalette_))
        ShowMessageBox(LoadStringText(301) + L"\n" + request.fileName, LoadStringText(128),
                       MB_OK | MB_ICONERROR);
}

void CColorPage::OnReset() {
    EndBlink();
}

bool CColorPage::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND: {
        int id = static_cast<int>(LOWORD(wParam));
        int code = static_cast<int>(HIWORD(wParam));
        if (id == kList && code == LBN_SELCHANGE) {
            auto* list = GetDlgItemAs<ListBoxControl>(kList);
            int index = list ? list->GetCurSel() : -1;
            if (index >= 0 && OnEntryChosen(index)) {
                selected_ = index;
                StartBlink(index);
                RepaintPreview();
                FocusZoomButtons();
            }
        } else if (id == kList && code == LBN_DBLCLK) {
            EditEntryColor();
        } else if (code == BN_CLICKED && (id == kZoomIn || id == kZoomOut)) {
            ChangeZoom(id == kZoomIn);
        } else if (code == BN_CLICKED && id == kLoadPalette) {
            LoadPaletteFile();
        } else if (code == BN_CLICKED && id == kSavePalette) {
            SavePaletteFile();
        } else {
            return false;
        }
        result = 0;
        return true;
    }
    case WM_TIMER:
        if (wParam != kBlinkTimer)
            return false;
        EndBlink();
        KillTimer(kBlinkTimer);
        RepaintList();
        RepaintPreview();
        FocusZoomButtons();
        result = 0;
        return true;
    case WM_DESTROY:
        EndBlink();
        return false;
    default:
        (void)lParam;
        return false;
    }
}
