#include "platform/rebar_control.h"

#include "platform/paint_target_impl.h"
#include "platform/popup_menu.h"
#include "platform/toolbar_control.h"
#include "platform/window_impl.h"

#include <QPainter>

#include <algorithm>

namespace {
bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
} // namespace

ReBarControl::~ReBarControl() {
    DestroyWindow();
}

int ReBarControl::InsertBand(const ReBarBand& band) {
    if (!band.child)
        return -1;
    bands_.push_back(band);
    if (IsWindow() && band.child->GetParent() != this)
        band.child->SetParent(this);
    band.child->ShowWindow(band.visible);
    Layout();
    return GetBandCount() - 1;
}

int ReBarControl::IdToIndex(unsigned id) const {
    for (size_t i = 0; i < bands_.size(); ++i)
        if (bands_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

bool ReBarControl::ShowBand(int index, bool show) {
    if (index < 0 || index >= GetBandCount())
        return false;
    ReBarBand& b = bands_[static_cast<size_t>(index)];
    if (b.visible == show)
        return true;
    b.visible = show;
    if (b.child)
        b.child->ShowWindow(show);
    Layout();
    return true;
}

bool ReBarControl::IsBandVisible(int index) const {
    return index >= 0 && index < GetBandCount() && bands_[static_cast<size_t>(index)].visible;
}

RECT ReBarControl::GetBandRect(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= rects_.size())
        return RECT{};
    return rects_[static_cast<size_t>(index)];
}

RECT ReBarControl::GetChevronRect(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= chevrons_.size() ||
        !chevrons_[static_cast<size_t>(index)])
        return RECT{};
    RECT r = rects_[static_cast<size_t>(index)];
    r.left = r.right - kChevronWidth;
    return r;
}

int ReBarControl::BandWidth(const ReBarBand& band) const {
    if (band.idealWidth > 0)
        return band.idealWidth;
    if (auto* tb = dynamic_cast<ToolBarControl*>(band.child))
        return tb->GetIdealSize().cx;
    return band.child ? band.child->GetRectInParent().right - band.child->GetRectInParent().left
                      : 0;
}

int ReBarControl::ChildHeight(const ReBarBand& band) const {
    if (auto* tb = dynamic_cast<ToolBarControl*>(band.child))
        return tb->GetButtonHeight();
    if (!band.child)
        return 0;
    RECT r = band.child->GetRectInParent();
    return r.bottom - r.top;
}

int ReBarControl::Layout() {
    int width = IsWindow() ? GetClientRect().right : 0;
    rects_.assign(bands_.size(), RECT{});
    chevrons_.assign(bands_.size(), false);
    // Rows: each band with newRow starts one; the first visible band too.
    int y = 0;
    size_t i = 0;
    while (i < bands_.size()) {
        size_t end = i;
        std::vector<size_t> row;
        do {
            if (bands_[end].visible)
                row.push_back(end);
            ++end;
        } while (end < bands_.size() && !bands_[end].newRow);
        if (!row.empty()) {
            int height = 0;
            for (size_t k : row)
                height = std::max(height, ChildHeight(bands_[k]));
            height += 4;
            int x = 0;
            for (size_t n = 0; n < row.size(); ++n) {
                size_t k = row[n];
                const ReBarBand& b = bands_[k];
                int want = kGripperWidth + BandWidth(b) + kBandGap;
                bool last = n + 1 == row.size();
                int right = last ? width : std::min(width, x + want);
                if (right < x + kGripperWidth + b.minWidth)
                    right = x + kGripperWidth + b.minWidth;
                rects_[k] = RECT{x, y, right, y + height};
                int childWidth = right - x - kGripperWidth - kBandGap;
                int ideal = BandWidth(b);
                bool chevron = ideal > childWidth && dynamic_cast<ToolBarControl*>(b.child) &&
                               static_cast<ToolBarControl*>(b.child)->GetButtonCount() > 0;
                chevrons_[k] = chevron;
                if (chevron)
                    childWidth -= kChevronWidth;
                if (b.child && b.child->IsWindow()) {
                    int ch = ChildHeight(b);
                    int cy = y + (height - ch) / 2;
                    b.child->MoveWindow(RECT{x + kGripperWidth, cy,
                                             x + kGripperWidth + std::max(0, childWidth), cy + ch},
                                        true);
                }
                x = right;
            }
            y += height;
        }
        i = end;
    }
    if (y != height_) {
        height_ = y;
        if (IsWindow() && GetParent()) {
            NMHDR hdr;
            hdr.code = RBN_HEIGHTCHANGE;
            NotifyParent(&hdr);
        }
    }
    if (IsWindow())
        Invalidate(true);
    return height_;
}

void ReBarControl::ShowChevronMenu(int index) {
    if (index < 0 || index >= GetBandCount())
        return;
    auto* tb = dynamic_cast<ToolBarControl*>(bands_[static_cast<size_t>(index)].child);
    if (!tb)
        return;
    PopupMenu menu;
    for (int b : tb->GetClippedButtons()) {
        const ToolButton& button = tb->GetButton(b);
        std::wstring text = ToolBarControl::ToolTipTextOf(button.command);
        if (text.empty())
            continue;
        menu.AppendItem(static_cast<UINT>(button.command), text,
                        (button.state & TBSTATE_ENABLED) ? MF_STRING : MF_GRAYED);
    }
    if (menu.Items().empty())
        return;
    RECT r = GetChevronRect(index);
    POINT at = ClientToScreen(POINT{r.left, r.bottom});
    int chosen = TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, this);
    if (chosen)
        tb->ClickButton(tb->CommandToIndex(chosen));
}

void ReBarControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    t->Impl()->ReleaseHolder();
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    p->save();
    p->fillRect(0, 0, rc.right, rc.bottom, QColor(240, 241, 244));
    for (size_t i = 0; i < bands_.size(); ++i) {
        if (!bands_[i].visible)
            continue;
        const RECT& r = rects_[i];
        // A band's edge and its gripper of dots.
        p->setPen(QColor(255, 255, 255));
        p->drawLine(r.left, r.top, r.right - 1, r.top);
        p->setPen(QColor(200, 203, 209));
        p->drawLine(r.left, r.bottom - 1, r.right - 1, r.bottom - 1);
        p->drawLine(r.right - 1, r.top, r.right - 1, r.bottom - 1);
        for (int y = r.top + 5; y < r.bottom - 5; y += 4) {
            p->fillRect(r.left + 3, y, 2, 2, QColor(160, 164, 172));
            p->fillRect(r.left + 4, y + 1, 2, 2, QColor(255, 255, 255));
        }
        if (chevrons_[i]) {
            RECT c = GetChevronRect(static_cast<int>(i));
            int cx = (c.left + c.right) / 2 - 3, cy = (c.top + c.bottom) / 2 - 3;
            p->setPen(QPen(QColor(60, 60, 60), 1));
            for (int k = 0; k < 2; ++k) {
                p->drawLine(cx + k * 4, cy, cx + k * 4 + 2, cy + 3);
                p->drawLine(cx + k * 4 + 2, cy + 3, cx + k * 4, cy + 6);
            }
        }
    }
    p->restore();
    EndPaint(&ps);
}

bool ReBarControl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_SIZE:
        Layout();
        result = 0;
        return true;
    case WM_DESTROY:
        // The bands' children go with the rebar; a rebar created again
        // starts without bands.
        bands_.clear();
        rects_.clear();
        chevrons_.clear();
        height_ = 0;
        return false;
    case WM_LBUTTONDOWN: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        for (int i = 0; i < GetBandCount(); ++i)
            if (Contains(GetChevronRect(i), p)) {
                ShowChevronMenu(i);
                break;
            }
        result = 0;
        return true;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        // The bands' notifications belong to the rebar's parent.
        if (GetParent()) {
            result = GetParent()->SendMessage(msg, wParam, lParam);
            return true;
        }
        return false;
    default:
        return false;
    }
}
