#include "dialogs/stackup.h"

#include "board/board.h"
#include "board/board_types.h"
#include "board/layer.h"
#include "core/board_layer.h"
#include "core/undo_list.h"
#include "core/undo_node_records.h"
#include "dialogs/stackup_list_ctrl.h"
#include "platform/bitmap.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace {
constexpr unsigned kCheckBoxes = 257;
constexpr int kImageWidth = 16;
constexpr COLORREF kImageMask = 0xFF00FF;
constexpr unsigned kTopInserted = 346;
constexpr unsigned kBottomInserted = 347;

struct StackupColumn {
    unsigned title;
    int width;
};
constexpr StackupColumn kColumns[CStackupListCtrl::kColumnCount] = {
    {32930, 80},
    {32931, 80},
    {225, 60},
    {218, 60},
};
} // namespace

const DialogTemplate& CStackup::Resource() {
    static const DialogTemplate t{
        289,
        L"Stackup",
        250,
        200,
        false,
        {
            DialogItem{DialogItemKind::ReportList,
                       kList,
                       L"",
                       7,
                       7,
                       236,
                       166,
                       WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED,
                       0,
                       {}},
            DlgButton(kInsertLayer, L"Insert layer", 7, 179, 55, 14),
            DlgButton(kDeleteLayer, L"Delete layer", 66, 179, 55, 14),
            DlgDefButton(1, L"OK", 139, 179, 50, 14),
            DlgButton(2, L"Cancel", 193, 179, 50, 14),
        },
    };
    return t;
}

CStackup::CStackup(CBoard* board, CUndoList* undo)
    : PlatformDialog(Resource()), m_board(board), m_undo(undo) {}

CStackup::~CStackup() {
    DestroyWindow();
}

CStackupListCtrl* CStackup::GetList() const {
    return GetDlgItemAs<CStackupListCtrl>(kList);
}

std::unique_ptr<PlatformWindow> CStackup::MakeControl(const DialogItem& item) {
    if (item.id == kList)
        return std::make_unique<CStackupListCtrl>();
    return nullptr;
}

void CStackup::AddMissingSides() {
    std::wstring told;
    for (int id : {kLayerTop, kLayerBottom}) {
        if (m_board->FindLayer(id))
            continue;
        auto* layer = new CLayer(id);
        layer->m_layerType = kLayerTypeRouting;
        m_board->AddChild(layer);
        m_undo->AddUndo(new CUndoInsert(layer, nullptr));
        if (!told.empty())
            told += L"\n";
        told += LoadStringText(id == kLayerTop ? kTopInserted : kBottomInserted);
    }
    if (!told.empty())
        ShowMessageBox(told, L"Vorpel", MB_OK | MB_ICONINFORMATION);
}

void CStackup::OnInitDialog() {
    CenterWindow();
    if (!m_board || !m_undo) {
        EndDialog(IDCANCEL);
        return;
    }
    CStackupListCtrl* list = GetList();
    if (list) {
        list->SetExtendedListViewStyle(LVS_EX_GRIDLINES);
        m_stateImages = ImageList::FromResource(kCheckBoxes, kImageWidth, kImageMask);
        list->SetImageList(m_stateImages.get(), LVSIL_STATE);
        list->SetDragDetect(true);
    }
    // These two belong to whatever the caller did before, not to the group
    // that Cancel takes back.
    AddMissingSides();
    if (list) {
        for (int column = 0; column < CStackupListCtrl::kColumnCount; ++column) {
            const std::wstring title = LoadStringText(kColumns[column].title);
            list->InsertColumn(column, title, MapColumnWidth(*list, title, kColumns[column].width));
        }
        const std::wstring thermal =
            LoadStringText(kColumns[CStackupListCtrl::kColumnNoThermal].title);
        list->SetColumnWidth(CStackupListCtrl::kColumnNoThermal,
                             list->MeasureText(thermal).cx + 12);
        list->Attach(m_board, m_undo);
        list->FillRows();
    }
    m_undo->SetStartNewGroup(true);
    m_undo->AddUndo(new CUndoChangeNodeAttribute(m_board, nullptr));
}

bool CStackup::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_NOTIFY:
        return ReflectNotifications(msg, wParam, lParam, result);
    case WM_COMMAND: {
        if (HIWORD(wParam) != BN_CLICKED)
            return false;
        const int id = static_cast<int>(LOWORD(wParam));
        CStackupListCtrl* list = GetList();
        result = 0;
        switch (id) {
        case kInsertLayer:
        case kDeleteLayer:
            if (list)
                list->PostMessage(WM_KEYDOWN, id == kInsertLayer ? VK_INSERT : VK_DELETE, 0);
            return true;
        case IDOK:
        case IDCANCEL:
            // An open editor only closes, the dialog stays.
            if (list && list->FinishEditor())
                return true;
            if (id == IDCANCEL) {
                // The undo frees the layers the dialog made; the dialog is
                // still on the screen, so no row may keep one for a paint.
                if (list)
                    list->DeleteAllItems();
                m_undo->Undo(false);
                if (list)
                    list->FillRows();
            }
            EndDialog(id);
            return true;
        default:
            return false;
        }
    }
    default:
        return false;
    }
}
