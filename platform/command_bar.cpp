#include "platform/command_bar.h"

#include "platform/bitmap.h"
#include "platform/dialog_template.h"
#include "platform/paint_target_impl.h"
#include "platform/popup_menu.h"
#include "platform/window_impl.h"
#include "resources/menus.h"
#include "resources/toolbars.h"

#include <QFontMetrics>
#include <QPainter>

#include <cwctype>

namespace {
constexpr int kItemPadX = 8;
constexpr int kHeight = 24;

bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
} // namespace

CommandBarControl::~CommandBarControl() {
    DestroyWindow();
}

bool CommandBarControl::AttachMenu(const MenuResource& menu) {
    menus_.clear();
    for (const MenuItemResource& item : menu.items) {
        if (item.kind != MenuItemResource::SubMenu)
            continue;
        TopItem top;
        top.text = item.text;
        top.menu = BuildPopupMenu(item.items);
        menus_.push_back(std::move(top));
    }
    if (IsWindow())
        Invalidate(true);
    return !menus_.empty();
}

std::wstring CommandBarControl::GetMenuText(int index) const {
    if (index < 0 || index >= GetMenuCount())
        return L"";
    return StripMnemonicPrefix(menus_[static_cast<size_t>(index)].text);
}

PopupMenu* CommandBarControl::GetMenu(int index) const {
    if (index < 0 || index >= GetMenuCount())
        return nullptr;
    return menus_[static_cast<size_t>(index)].menu.get();
}

int CommandBarControl::FindMnemonic(wchar_t ch) const {
    for (int i = 0; i < GetMenuCount(); ++i) {
        const std::wstring& t = menus_[static_cast<size_t>(i)].text;
        for (size_t k = 0; k + 1 < t.size(); ++k) {
            if (t[k] != L'&')
                continue;
            if (t[k + 1] == L'&') {
                ++k;
                continue;
            }
            if (std::towupper(t[k + 1]) == std::towupper(ch))
                return i;
            break;
        }
    }
    return -1;
}

void CommandBarControl::SetCommandImages(unsigned toolbarResourceId, const ImageList& images) {
    images_.clear();
    imageList_ = &images;
    imageResource_ = toolbarResourceId;
    imagesCut_ = false;
}

std::shared_ptr<const Bitmap> CommandBarControl::GetCommandImage(int command) const {
    if (!imagesCut_) {
        imagesCut_ = true;
        if (const ToolBarResource* r = LoadToolBarResource(imageResource_)) {
            int image = 0;
            for (int id : r->buttons) {
                if (id == 0)
                    continue;
                if (imageList_ && image < imageList_->Count())
                    images_[id] = imageList_->ExtractImage(image);
                ++image;
            }
        }
    }
    auto it = images_.find(command);
    return it == images_.end() ? nullptr : it->second;
}

void CommandBarControl::ApplyImages(PopupMenu& menu) const {
    for (PopupMenu::Item& item : menu.MutableItems()) {
        if (item.subMenu)
            ApplyImages(*item.subMenu);
        else if (!(item.flags & MF_SEPARATOR) && !item.bitmap)
            item.bitmap = GetCommandImage(static_cast<int>(item.id));
    }
}

PlatformWindow* CommandBarControl::GetNotifyWindow() const {
    return notify_ ? notify_ : GetParent();
}

RECT CommandBarControl::GetItemRect(int index) const {
    if (index < 0 || index >= GetMenuCount())
        return RECT{};
    int x = 0;
    RECT r{};
    for (int i = 0; i <= index; ++i) {
        int w = MeasureText(GetMenuText(i)).cx + 2 * kItemPadX;
        r = RECT{x, 0, x + w, kHeight};
        x += w;
    }
    return r;
}

SIZE CommandBarControl::GetIdealSize() const {
    RECT last = GetItemRect(GetMenuCount() - 1);
    return SIZE{last.right, kHeight};
}

int CommandBarControl::HitTest(POINT p) const {
    for (int i = 0; i < GetMenuCount(); ++i)
        if (Contains(GetItemRect(i), p))
            return i;
    return -1;
}

int CommandBarControl::OpenMenu(int index) {
    PopupMenu* menu = GetMenu(index);
    if (!menu)
        return 0;
    ApplyImages(*menu);
    PlatformWindow* target = GetNotifyWindow();
    std::shared_ptr<const bool> alive = LifeToken();
    if (target)
        target->SendMessage(WM_INITMENUPOPUP, PtrToWParam(menu), index);
    if (!*alive)
        return 0;
    open_ = index;
    Invalidate(true);
    RECT r = GetItemRect(index);
    POINT at = ClientToScreen(POINT{r.left, r.bottom});
    int chosen = TrackPopupMenu(*menu, TPM_RETURNCMD, at.x, at.y, target);
    if (!*alive)
        return chosen;
    open_ = -1;
    // The pointer left the bar for the menu without the bar seeing it go;
    // a title stays lit only while the pointer is still over it.
    const RECT client = GetClientRect();
    const POINT cursor = ScreenToClient(GetCursorPos());
    hot_ = Contains(client, cursor) ? HitTest(cursor) : -1;
    Invalidate(true);
    if (chosen && target)
        target->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(chosen), 0), 0);
    return chosen;
}

void CommandBarControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    t->Impl()->ReleaseHolder();
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    p->save();
    p->fillRect(0, 0, rc.right, rc.bottom, QColor(240, 241, 244));
    p->setFont(MakeQFont(GetFont()));
    for (int i = 0; i < GetMenuCount(); ++i) {
        RECT r = GetItemRect(i);
        QRect q(r.left, r.top + 2, r.right - r.left, r.bottom - r.top - 4);
        if (i == open_ || i == hot_) {
            p->setPen(i == open_ ? QColor(60, 127, 200) : QColor(120, 170, 225));
            p->setBrush(i == open_ ? QColor(196, 222, 247) : QColor(222, 236, 252));
            p->drawRoundedRect(QRectF(q).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        p->setPen(QColor(20, 20, 20));
        p->drawText(q, Qt::AlignCenter | Qt::TextSingleLine,
                    QString::fromStdWString(GetMenuText(i)));
    }
    p->restore();
    EndPaint(&ps);
}

bool CommandBarControl::ProcessWindowMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_CREATE: {
        WindowFont f = GetFont();
        f.face = L"Tahoma";
        f.height = 13;
        SetFont(f, false);
        result = 0;
        return true;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_MOUSEMOVE: {
        int i = HitTest(pt);
        if (i != hot_) {
            hot_ = i;
            Invalidate(true);
        }
        result = 0;
        return true;
    }
    case WM_MOUSELEAVE:
        if (hot_ != -1) {
            hot_ = -1;
            Invalidate(true);
        }
        result = 0;
        return true;
    case WM_LBUTTONDOWN: {
        int i = HitTest(pt);
        if (i >= 0)
            OpenMenu(i);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}
