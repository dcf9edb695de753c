#include "platform/list_view_control.h"

#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"
#include "platform/window_impl.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
constexpr COLORREF kGridColor = 0xD0D0D0;
// The insert mark's barb: this long, slanting this far from the boundary.
constexpr int kBarbLength = 15;
constexpr int kBarbSlant = 5;
} // namespace

ListViewControl::ListViewControl() = default;

ListViewControl::~ListViewControl() {
    DestroyWindow();
    editor_.reset();
    retiredEditors_.clear();
}

void ListViewControl::SetExtendedListViewStyle(uint32_t exStyle) {
    lvExStyle_ = exStyle;
    if (exStyle & LVS_EX_CHECKBOXES)
        for (Item& it : items_)
            if (!(it.state & LVIS_STATEIMAGEMASK))
                it.state |= INDEXTOSTATEIMAGEMASK(1);
    Invalidate(true);
}

int ListViewControl::InsertColumn(int index, const std::wstring& title, int width) {
    index = std::clamp(index, 0, GetColumnCount());
    columns_.insert(columns_.begin() + index, Column{title, width});
    for (Item& it : items_)
        if (static_cast<int>(it.texts.size()) > index)
            it.texts.insert(it.texts.begin() + index, L"");
    Invalidate(true);
    return index;
}

int ListViewControl::GetColumnWidth(int column) const {
    return column >= 0 && column < GetColumnCount() ? columns_[static_cast<size_t>(column)].width
                                                    : 0;
}

std::wstring ListViewControl::GetColumnTitle(int column) const {
    return column >= 0 && column < GetColumnCount() ? columns_[static_cast<size_t>(column)].title
                                                    : std::wstring();
}

bool ListViewControl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnCount())
        return false;
    columns_[static_cast<size_t>(column)].width = width;
    Invalidate(true);
    return true;
}

int ListViewControl::InsertItem(int index, const std::wstring& text, LPARAM data) {
    if (index < 0)
        return -1;
    index = std::min(index, GetItemCount());
    Item it;
    it.texts.push_back(text);
    it.data = data;
    if (lvExStyle_ & LVS_EX_CHECKBOXES)
        it.state = INDEXTOSTATEIMAGEMASK(1);
    items_.insert(items_.begin() + index, std::move(it));
    if (editor_ && index <= editorItem_) {
        ++editorItem_;
        PlaceCellEditor();
    }
    if (insertMark_ >= index)
        ++insertMark_;
    Invalidate(true);
    return index;
}

bool ListViewControl::DeleteItem(int item) {
    if (item < 0 || item >= GetItemCount())
        return false;
    items_.erase(items_.begin() + item);
    top_ = std::clamp(top_, 0, std::max(0, GetItemCount() - 1));
    if (editor_ && item == editorItem_) {
        CloseCellEditor();
    } else if (editor_ && item < editorItem_) {
        --editorItem_;
        PlaceCellEditor();
    }
    if (insertMark_ == item)
        insertMark_ = -1;
    else if (insertMark_ > item)
        --insertMark_;
    if (pressItem_ == item)
        pressItem_ = -1;
    else if (pressItem_ > item)
        --pressItem_;
    Invalidate(true);
    return true;
}

void ListViewControl::DeleteAllItems() {
    items_.clear();
    top_ = 0;
    CloseCellEditor();
    insertMark_ = -1;
    pressItem_ = -1;
    Invalidate(true);
}

LPARAM ListViewControl::GetItemData(int item) const {
    return item >= 0 && item < GetItemCount() ? items_[static_cast<size_t>(item)].data : 0;
}

bool ListViewControl::SetItemData(int item, LPARAM data) {
    if (item < 0 || item >= GetItemCount())
        return false;
    items_[static_cast<size_t>(item)].data = data;
    return true;
}

std::wstring ListViewControl::GetItemText(int item, int subItem) const {
    if (item < 0 || item >= GetItemCount() || subItem < 0)
        return L"";
    const Item& it = items_[static_cast<size_t>(item)];
    return subItem < static_cast<int>(it.texts.size()) ? it.texts[static_cast<size_t>(subItem)]
                                                       : L"";
}

bool ListViewControl::SetItemText(int item, int subItem, const std::wstring& text) {
    if (item < 0 || item >= GetItemCount() || subItem < 0)
        return false;
    Item& it = items_[static_cast<size_t>(item)];
    if (static_cast<int>(it.texts.size()) <= subItem)
        it.texts.resize(static_cast<size_t>(subItem) + 1);
    it.texts[static_cast<size_t>(subItem)] = text;
    RedrawItems(item, item);
    return true;
}

bool ListViewControl::SetItemState(int item, UINT state, UINT mask) {
    if (item < -1 || item >= GetItemCount())
        return false;
    if (item == -1) {
        for (int i = 0; i < GetItemCount(); ++i)
            SetItemState(i, state, mask);
        return true;
    }
    // One selected and one focused row at a time in a single-selection list;
    // there is only one focused row in any list.
    if ((state & mask & LVIS_SELECTED) && (GetStyle() & LVS_SINGLESEL))
        for (Item& it : items_)
            it.state &= ~LVIS_SELECTED;
    if (state & mask & LVIS_FOCUSED)
        for (Item& it : items_)
            it.state &= ~LVIS_FOCUSED;
    Item& it = items_[static_cast<size_t>(item)];
    UINT old = it.state;
    it.state = (it.state & ~mask) | (state & mask);
    if (old != it.state)
        Invalidate(true);
    return true;
}

UINT ListViewControl::GetItemState(int item, UINT mask) const {
    if (item < 0 || item >= GetItemCount())
        return 0;
    return items_[static_cast<size_t>(item)].state & mask;
}

int ListViewControl::GetNextItem(int start, UINT flags) const {
    for (int i = std::max(0, start + 1); i < GetItemCount(); ++i) {
        UINT s = items_[static_cast<size_t>(i)].state;
        if ((flags & LVNI_SELECTED) && !(s & LVIS_SELECTED))
            continue;
        if ((flags & LVNI_FOCUSED) && !(s & LVIS_FOCUSED))
            continue;
        return i;
    }
    return -1;
}

bool ListViewControl::SelectItem(int item) {
    if (item < 0 || item >= GetItemCount())
        return false;
    if (!(GetStyle() & LVS_SINGLESEL))
        for (Item& it : items_)
            it.state &= ~LVIS_SELECTED;
    return SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int ListViewControl::TotalWidth() const {
    int w = 0;
    for (const Column& c : columns_)
        w += c.width;
    return columns_.empty() ? GetClientRect().right : w;
}

int ListViewControl::GetHeaderHeight() const {
    return (GetStyle() & LVS_NOCOLUMNHEADER) ? 0 : GetLineHeight() + 6;
}

bool ListViewControl::SetCheckState(int item, bool checked) {
    return SetItemState(item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool ListViewControl::GetCheckState(int item) const {
    return STATEIMAGEMASKTOINDEX(GetItemState(item, LVIS_STATEIMAGEMASK)) == 2;
}

void ListViewControl::Measure() {
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_LISTVIEW;
    mis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    mis.itemWidth = static_cast<UINT>(TotalWidth());
    mis.itemHeight = static_cast<UINT>(GetLineHeight() + 4);
    if ((GetStyle() & LVS_OWNERDRAWFIXED) && GetParent())
        GetParent()->SendMessage(WM_MEASUREITEM, static_cast<WPARAM>(GetDlgCtrlID()),
                                 PtrToLParam(&mis));
    rowHeight_ = std::max<int>(1, static_cast<int>(mis.itemHeight));
}

int ListViewControl::GetRowHeight() {
    if (rowHeight_ <= 0)
        Measure();
    return rowHeight_;
}

bool ListViewControl::GetItemRect(int item, RECT* rect, int code) {
    if (!rect || item < 0 || item >= GetItemCount())
        return false;
    int h = GetRowHeight();
    int top = GetHeaderHeight() + (item - top_) * h;
    *rect = RECT{0, top, TotalWidth(), top + h};
    if (code == LVIR_LABEL && !columns_.empty())
        rect->right = columns_[0].width;
    return true;
}

int ListViewControl::GetColumnLeft(int column) const {
    int x = 0;
    for (int c = 0; c < column && c < GetColumnCount(); ++c)
        x += columns_[static_cast<size_t>(c)].width;
    return x;
}

bool ListViewControl::GetSubItemRect(int item, int subItem, RECT* rect) {
    if (!rect || subItem < 0 || subItem >= std::max(1, GetColumnCount()) ||
        !GetItemRect(item, rect))
        return false;
    if (!columns_.empty()) {
        rect->left = GetColumnLeft(subItem);
        rect->right = rect->left + columns_[static_cast<size_t>(subItem)].width;
    }
    return true;
}

int ListViewControl::HitTest(POINT p, UINT* flags, int* subItem) {
    int h = GetRowHeight();
    int y = p.y - GetHeaderHeight();
    int item = -1;
    UINT f = LVHT_NOWHERE;
    const bool onBar = HasScrollBar() && p.x >= GetClientRect().right - kScrollBarWidth;
    if (y >= 0 && p.x >= 0 && p.x < TotalWidth() && !onBar) {
        int row = top_ + y / h;
        if (row < GetItemCount()) {
            item = row;
            f = LVHT_ONITEM;
        } else {
            f = LVHT_BELOW;
        }
    }
    if (flags)
        *flags = f;
    if (subItem) {
        *subItem = 0;
        int x = 0;
        for (int c = 0; c < GetColumnCount(); ++c) {
            x += columns_[static_cast<size_t>(c)].width;
            if (p.x < x) {
                *subItem = c;
                break;
            }
        }
    }
    return item;
}

void ListViewControl::SetImageList(ImageList* images, int which) {
    if (which == LVSIL_STATE)
        stateImages_ = images;
    else if (which == LVSIL_SMALL)
        smallImages_ = images;
    Invalidate(true);
}

ImageList* ListViewControl::GetImageList(int which) const {
    return which == LVSIL_STATE ? stateImages_ : which == LVSIL_SMALL ? smallImages_ : nullptr;
}

bool ListViewControl::SetItemImage(int item, int image) {
    if (item < 0 || item >= GetItemCount())
        return false;
    items_[static_cast<size_t>(item)].image = image;
    RedrawItems(item, item);
    return true;
}

int ListViewControl::GetItemImage(int item) const {
    return item >= 0 && item < GetItemCount() ? items_[static_cast<size_t>(item)].image : -1;
}

// ---- in-place editors ------------------------------------------------------

PlatformWindow* ListViewControl::GetCellEditor() const {
    return editor_ && editor_->IsWindow() ? editor_.get() : nullptr;
}

EditControl* ListViewControl::GetCellEdit() const {
    return dynamic_cast<EditControl*>(GetCellEditor());
}

ComboBoxControl* ListViewControl::GetCellCombo() const {
    return dynamic_cast<ComboBoxControl*>(GetCellEditor());
}

void ListViewControl::PlaceCellEditor() {
    RECT cell;
    if (!GetCellEditor() || !GetSubItemRect(editorItem_, editorSubItem_, &cell))
        return;
    // A cell scrolled out of the rows' area hides its editor.
    bool shown = cell.top >= GetHeaderHeight() && cell.top < GetClientRect().bottom;
    if (HasScrollBar())
        cell.right = std::min<int>(cell.right, GetClientRect().right - kScrollBarWidth);
    if (auto* combo = dynamic_cast<ComboBoxControl*>(editor_.get()))
        cell.bottom = cell.top + std::max<int>(cell.bottom - cell.top, combo->GetLineHeight() + 4);
    editor_->MoveWindow(cell, true);
    editor_->ShowWindow(shown);
}

bool ListViewControl::AdoptCellEditor(std::unique_ptr<PlatformWindow> editor, int item, int subItem,
                                      int id, uint32_t style) {
    CloseCellEditor();
    // Editors closed earlier are no longer on any handler's stack here.
    retiredEditors_.clear();
    RECT cell;
    if (!IsWindow() || !GetSubItemRect(item, subItem, &cell))
        return false;
    editor->SetFont(GetFont(), false);
    if (!editor->Create(this, cell, L"", WS_CHILD | WS_VISIBLE | style, WS_EX_CLIENTEDGE, id))
        return false;
    editor_ = std::move(editor);
    editorItem_ = item;
    editorSubItem_ = subItem;
    PlaceCellEditor();
    return true;
}

EditControl* ListViewControl::OpenCellEdit(int item, int subItem, int id,
                                           const std::wstring& text) {
    if (!AdoptCellEditor(std::make_unique<EditControl>(), item, subItem, id, ES_AUTOHSCROLL))
        return nullptr;
    auto* edit = static_cast<EditControl*>(editor_.get());
    edit->SetWindowText(text);
    edit->SetFocus();
    if (edit->IsWindow()) {
        edit->SetSel(0, -1);
        edit->ScrollCaret();
    }
    return GetCellEdit();
}

ComboBoxControl* ListViewControl::OpenCellCombo(int item, int subItem, int id) {
    if (!AdoptCellEditor(std::make_unique<ComboBoxControl>(), item, subItem, id,
                         CBS_DROPDOWNLIST | WS_VSCROLL))
        return nullptr;
    editor_->SetFocus();
    return GetCellCombo();
}

void ListViewControl::CloseCellEditor() {
    if (!editor_)
        return;
    std::unique_ptr<PlatformWindow> editor = std::move(editor_);
    editorItem_ = -1;
    editorSubItem_ = -1;
    bool hadFocus =
        editor->IsWindow() && (GetFocus() == editor.get() || editor->IsChild(GetFocus()));
    editor->DestroyWindow();
    retiredEditors_.push_back(std::move(editor));
    // The focus stays in the list rather than nowhere.
    if (hadFocus && IsWindow())
        SetFocus();
}

void ListViewControl::SetInsertMark(int item) {
    if (item < -1 || item >= GetItemCount())
        item = -1;
    if (item == insertMark_)
        return;
    insertMark_ = item;
    Invalidate(false);
}

int ListViewControl::GetCountPerPage() {
    return std::max(0, (GetClientRect().bottom - GetHeaderHeight()) / GetRowHeight());
}

int ListViewControl::MaxTop() {
    return std::max(0, GetItemCount() - std::max(1, GetCountPerPage()));
}

bool ListViewControl::HasScrollBar() {
    return IsWindow() && GetItemCount() > GetCountPerPage();
}

ListViewControl::ScrollBarParts ListViewControl::GetScrollBarParts() {
    const RECT client = GetClientRect();
    ScrollBarParts parts;
    parts.bar = RECT{client.right - kScrollBarWidth, 0, client.right, client.bottom};
    const int height = client.bottom;
    const int arrow = std::min(kScrollBarWidth, height / 2);
    parts.up = RECT{parts.bar.left, 0, parts.bar.right, arrow};
    parts.down = RECT{parts.bar.left, height - arrow, parts.bar.right, height};
    // The thumb is as long, against the track, as the rows shown against
    // all rows, and no shorter than half the bar's width.
    const int track = std::max(0, height - 2 * arrow);
    const int count = std::max(1, GetItemCount());
    const int page = std::clamp(GetCountPerPage(), 1, count);
    const int length = std::min(track, std::max(kScrollBarWidth / 2, track * page / count));
    const int maxTop = MaxTop();
    const int offset = maxTop > 0 ? (track - length) * top_ / maxTop : 0;
    parts.thumb = RECT{parts.bar.left, arrow + offset, parts.bar.right, arrow + offset + length};
    return parts;
}

bool ListViewControl::ScrollBarPress(POINT pt) {
    if (!HasScrollBar())
        return false;
    const ScrollBarParts parts = GetScrollBarParts();
    auto inside = [&pt](const RECT& r) {
        return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
    };
    if (!inside(parts.bar))
        return false;
    const int page = std::max(1, GetCountPerPage());
    if (inside(parts.up)) {
        Scroll(-1);
    } else if (inside(parts.down)) {
        Scroll(1);
    } else if (pt.y < parts.thumb.top) {
        Scroll(-page);
    } else if (pt.y >= parts.thumb.bottom) {
        Scroll(page);
    } else {
        thumbDrag_ = true;
        thumbPressY_ = pt.y;
        thumbPressTop_ = top_;
        SetCapture();
    }
    return true;
}

void ListViewControl::PaintScrollBar(PaintTarget* t) {
    const ScrollBarParts parts = GetScrollBarParts();
    QPainter* p = t->Impl()->Painter();
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    const RECT& bar = parts.bar;
    p->fillRect(bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top,
                Q(GetSysColor(COLOR_3DLIGHT)));
    auto button = [&](const RECT& r) {
        p->fillRect(r.left, r.top, r.right - r.left, r.bottom - r.top,
                    Q(GetSysColor(COLOR_BTNFACE)));
        p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
        p->drawRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
    };
    button(parts.up);
    button(parts.down);
    button(parts.thumb);
    // The arrows: small triangles pointing up and down.
    p->setPen(Qt::NoPen);
    p->setBrush(Q(GetSysColor(COLOR_BTNTEXT)));
    const int cx = (bar.left + bar.right) / 2;
    const int upY = (parts.up.top + parts.up.bottom) / 2;
    const int downY = (parts.down.top + parts.down.bottom) / 2;
    const QPoint up[3] = {QPoint(cx - 4, upY + 2), QPoint(cx + 4, upY + 2), QPoint(cx, upY - 2)};
    const QPoint down[3] = {QPoint(cx - 4, downY - 2), QPoint(cx + 4, downY - 2),
                            QPoint(cx, downY + 2)};
    p->drawPolygon(up, 3);
    p->drawPolygon(down, 3);
    p->restore();
}

void ListViewControl::Scroll(int rows) {
    int t = std::clamp(top_ + rows, 0, MaxTop());
    if (t != top_) {
        top_ = t;
        PlaceCellEditor();
        Invalidate(true);
    }
}

bool ListViewControl::EnsureVisible(int item) {
    if (item < 0 || item >= GetItemCount())
        return false;
    int page = std::max(1, GetCountPerPage());
    if (item < top_)
        Scroll(item - top_);
    else if (item >= top_ + page)
        Scroll(item - (top_ + page) + 1);
    return true;
}

void ListViewControl::RedrawItems(int first, int last) {
    RECT a, b;
    if (GetItemRect(first, &a) && GetItemRect(last, &b)) {
        RECT r{0, a.top, GetClientRect().right, b.bottom};
        InvalidateRect(&r, true);
    }
}

void ListViewControl::PaintRow(PaintTarget* t, int i, const RECT& rc, UINT st, bool customDraw) {
    const int h = rc.bottom - rc.top;
    const int width = TotalWidth();
    QPainter* p = t->Impl()->Painter();
    bool focused = GetFocus() == this;
    bool sel = (st & ODS_SELECTED) && (focused || (GetStyle() & LVS_SHOWSELALWAYS));
    const COLORREF rowBk = GetSysColor(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const COLORREF rowText = GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    FillPaintRect(t, rc, rowBk);
    if (customDraw) {
        NMLVCUSTOMDRAW cd;
        cd.hdr.code = NM_CUSTOMDRAW;
        cd.dwDrawStage = CDDS_ITEMPREPAINT;
        cd.rc = rc;
        cd.dwItemSpec = i;
        cd.uItemState = st;
        cd.lItemlParam = items_[static_cast<size_t>(i)].data;
        cd.clrText = rowText;
        cd.clrTextBk = rowBk;
        auto life = LifeToken();
        customDraw = (NotifyParent(&cd.hdr) & CDRF_NOTIFYSUBITEMDRAW) != 0;
        if (!*life)
            return;
    }
    int x = 0;
    int imagesWidth = 0;
    UINT stateImage = STATEIMAGEMASKTOINDEX(items_[static_cast<size_t>(i)].state);
    int smallImage = items_[static_cast<size_t>(i)].image;
    for (int c = 0; c < std::max(1, GetColumnCount()); ++c) {
        int cw = columns_.empty() ? width : columns_[static_cast<size_t>(c)].width;
        COLORREF text = rowText;
        COLORREF bk = rowBk;
        if (customDraw) {
            NMLVCUSTOMDRAW cd;
            cd.hdr.code = NM_CUSTOMDRAW;
            cd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
            cd.rc = RECT{x, rc.top, x + cw, rc.bottom};
            cd.dwItemSpec = i;
            cd.uItemState = st;
            cd.lItemlParam = items_[static_cast<size_t>(i)].data;
            cd.clrText = text;
            cd.clrTextBk = bk;
            cd.iSubItem = c;
            auto life = LifeToken();
            NotifyParent(&cd.hdr);
            if (!*life)
                return;
            if (!sel) {
                text = cd.clrText;
                bk = cd.clrTextBk;
            }
        }
        if (bk != rowBk)
            FillPaintRect(t, RECT{x, rc.top, x + cw, rc.bottom}, bk);
        int indent = 0;
        if (c == 0) {
            if (stateImages_ && stateImage > 0) {
                stateImages_->Draw(t, static_cast<int>(stateImage) - 1, rc.left + 2,
                                   rc.top + (h - stateImages_->ImageHeight()) / 2);
                imagesWidth += stateImages_->ImageWidth();
            }
            if (smallImages_ && smallImage >= 0) {
                smallImages_->Draw(t, smallImage, rc.left + 2 + imagesWidth,
                                   rc.top + (h - smallImages_->ImageHeight()) / 2);
                imagesWidth += smallImages_->ImageWidth();
            }
            indent = imagesWidth + 2;
        }
        p->save();
        p->setFont(MakeQFont(GetFont()));
        p->setPen(Q(text));
        p->drawText(QRect(x + 4 + indent, rc.top, cw - 8 - indent, h),
                    Qt::AlignVCenter | Qt::TextSingleLine,
                    QString::fromStdWString(GetItemText(i, c)));
        p->restore();
        x += cw;
    }
}

void ListViewControl::PaintInsertMark(PaintTarget* t) {
    RECT rc;
    if (insertMark_ < 0 || !GetItemRect(insertMark_, &rc))
        return;
    QPainter* p = t->Impl()->Painter();
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(QPen(QColor(0, 0, 0), 1));
    // Along the boundary to the text, then a barb slanting back up.
    const int y = rc.top;
    const int tip = rc.left + kInsertMarkLength;
    p->drawLine(rc.left, y, tip, y);
    p->drawLine(tip, y, tip - kBarbLength, y - kBarbSlant);
    p->restore();
}

void ListViewControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    RECT client = GetClientRect();
    int h = GetRowHeight();
    int headerH = GetHeaderHeight();
    QPainter* p = t->Impl()->Painter();
    bool ownerDraw = (GetStyle() & LVS_OWNERDRAWFIXED) != 0;
    bool focused = GetFocus() == this;
    int last = std::min(GetItemCount(), top_ + (client.bottom - headerH) / h + 1);
    int width = TotalWidth();
    // Area without rows.
    int rowsBottom = headerH + (last - top_) * h;
    if (rowsBottom < client.bottom)
        FillPaintRect(t, RECT{0, rowsBottom, client.right, client.bottom},
                      GetSysColor(COLOR_WINDOW));
    if (width < client.right)
        FillPaintRect(t, RECT{width, headerH, client.right, rowsBottom}, GetSysColor(COLOR_WINDOW));
    bool customDraw = false;
    if (!ownerDraw && last > top_) {
        NMLVCUSTOMDRAW cd;
        cd.hdr.code = NM_CUSTOMDRAW;
        cd.dwDrawStage = CDDS_PREPAINT;
        cd.rc = client;
        auto life = LifeToken();
        customDraw = (NotifyParent(&cd.hdr) & CDRF_NOTIFYITEMDRAW) != 0;
        if (!*life)
            return;
    }
    for (int i = top_; i < last; ++i) {
        RECT rc;
        GetItemRect(i, &rc);
        if (rc.bottom <= ps.rcPaint.top || rc.top >= ps.rcPaint.bottom)
            continue;
        const Item& it = items_[static_cast<size_t>(i)];
        UINT st = 0;
        if (it.state & LVIS_SELECTED)
            st |= ODS_SELECTED;
        if ((it.state & LVIS_FOCUSED) && focused)
            st |= ODS_FOCUS;
        if (ownerDraw) {
            // The owner draws over a clean row: what it leaves undrawn (a
            // shorter value, an empty cell) must not show the row's old text.
            FillPaintRect(t, rc, GetSysColor(COLOR_WINDOW));
            DRAWITEMSTRUCT dis;
            dis.CtlType = ODT_LISTVIEW;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
            dis.itemID = i;
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = st;
            dis.hwndItem = this;
            dis.target = t;
            dis.rcItem = rc;
            dis.itemData = it.data;
            if (GetParent())
                GetParent()->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(GetDlgCtrlID()),
                                         PtrToLParam(&dis));
            if (!IsWindow())
                return;
            continue;
        }
        auto life = LifeToken();
        PaintRow(t, i, rc, st, customDraw);
        if (!*life)
            return;
    }
    p->save();
    if (headerH > 0) {
        p->fillRect(0, 0, client.right, headerH, Q(GetSysColor(COLOR_BTNFACE)));
        p->setFont(MakeQFont(GetFont()));
        p->setPen(Q(GetSysColor(COLOR_BTNTEXT)));
        int x = 0;
        for (const Column& c : columns_) {
            p->drawText(QRect(x + 4, 0, c.width - 8, headerH),
                        Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdWString(c.title));
            x += c.width;
            p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
            p->drawLine(x - 1, 0, x - 1, headerH - 1);
            p->setPen(Q(GetSysColor(COLOR_BTNTEXT)));
        }
    }
    if (lvExStyle_ & LVS_EX_GRIDLINES) {
        p->setPen(Q(kGridColor));
        for (int i = top_; i < last; ++i) {
            int y = headerH + (i - top_ + 1) * h - 1;
            p->drawLine(0, y, width - 1, y);
        }
        int x = 0;
        for (const Column& c : columns_) {
            x += c.width;
            p->drawLine(x - 1, headerH, x - 1, rowsBottom - 1);
        }
    }
    p->restore();
    if (insertMark_ >= top_ && insertMark_ < last)
        PaintInsertMark(t);
    if (HasScrollBar())
        PaintScrollBar(t);
    EndPaint(&ps);
}

void ListViewControl::Click(UINT code, POINT pt) {
    int sub = 0;
    int hit = HitTest(pt, nullptr, &sub);
    // A list that draws itself toggles a row's check box under a left click.
    if (code == NM_CLICK && hit >= 0 && (lvExStyle_ & LVS_EX_CHECKBOXES) &&
        !(GetStyle() & LVS_OWNERDRAWFIXED) && pt.x >= 0 &&
        pt.x < 2 + (stateImages_ ? stateImages_->ImageWidth() : 16))
        SetCheckState(hit, !GetCheckState(hit));
    NMITEMACTIVATE nm;
    nm.hdr.code = code;
    nm.iItem = hit;
    nm.iSubItem = sub;
    nm.ptAction = pt;
    NotifyParent(&nm.hdr);
}

void ListViewControl::ButtonDown(UINT code, LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // The scroll bar takes its own presses, leaving the focus, the rows
    // and any editor as they are.
    if (HasScrollBar() && pt.x >= GetClientRect().right - kScrollBarWidth) {
        if (code != NM_RCLICK)
            ScrollBarPress(pt);
        return;
    }
    // The list takes the focus first, so that an editor over it closes
    // before the click is reported.
    SetFocus();
    if (!IsWindow())
        return;
    int sub = 0;
    int hit = HitTest(pt, nullptr, &sub);
    if (hit >= 0)
        SelectItem(hit);
    if (code == NM_CLICK && dragDetect_) {
        // Reported on release, unless the press turns into a drag.
        pressed_ = true;
        pressPoint_ = pt;
        pressItem_ = hit;
        pressSubItem_ = sub;
        SetCapture();
        return;
    }
    Click(code, pt);
}

void ListViewControl::MouseMove(WPARAM wParam, LPARAM lParam) {
    if (thumbDrag_) {
        const ScrollBarParts parts = GetScrollBarParts();
        const int travel =
            (parts.down.top - parts.up.bottom) - (parts.thumb.bottom - parts.thumb.top);
        if (travel > 0) {
            const int dy = GET_Y_LPARAM(lParam) - thumbPressY_;
            const int maxTop = MaxTop();
            const int wanted =
                thumbPressTop_ + (dy * maxTop + (dy >= 0 ? travel : -travel) / 2) / travel;
            Scroll(std::clamp(wanted, 0, maxTop) - top_);
        }
        return;
    }
    if (!pressed_)
        return;
    if (!(wParam & MK_LBUTTON)) {
        // The release happened where the list could not see it.
        pressed_ = false;
        if (GetCapture() == this)
            ReleaseCapture();
        return;
    }
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (std::abs(pt.x - pressPoint_.x) <= kDragThreshold &&
        std::abs(pt.y - pressPoint_.y) <= kDragThreshold)
        return;
    pressed_ = false;
    if (pressItem_ < 0)
        return;
    NMLISTVIEW nm;
    nm.hdr.code = LVN_BEGINDRAG;
    nm.iItem = pressItem_;
    nm.iSubItem = pressSubItem_;
    nm.ptAction = pressPoint_;
    NotifyParent(&nm.hdr);
}

void ListViewControl::ButtonUp() {
    if (thumbDrag_) {
        thumbDrag_ = false;
        if (GetCapture() == this)
            ReleaseCapture();
        return;
    }
    bool wasPressed = pressed_;
    pressed_ = false;
    if (GetCapture() == this)
        ReleaseCapture();
    if (wasPressed && IsWindow())
        Click(NM_CLICK, pressPoint_);
}

LRESULT ListViewControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        PlatformWindow::DefWindowProc(msg, wParam, lParam);
        rowHeight_ = 0;
        PlaceCellEditor();
        return 0;
    case WM_LBUTTONDOWN:
        ButtonDown(NM_CLICK, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        ButtonDown(NM_DBLCLK, lParam);
        return 0;
    case WM_RBUTTONDOWN:
        ButtonDown(NM_RCLICK, lParam);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        ButtonUp();
        return 0;
    case WM_CAPTURECHANGED:
        if (WindowFromLParam(lParam) != this)
            pressed_ = thumbDrag_ = false;
        return 0;
    case WM_MOUSEWHEEL:
        Scroll(-GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_KEYDOWN: {
        NMLVKEYDOWN nm;
        nm.hdr.code = LVN_KEYDOWN;
        nm.wVKey = static_cast<int>(wParam);
        auto life = LifeToken();
        NotifyParent(&nm.hdr);
        if (!*life)
            return 0;
        int cur = GetNextItem(-1, LVNI_FOCUSED);
        int next = cur;
        if (wParam == VK_DOWN)
            next = std::min(cur + 1, GetItemCount() - 1);
        else if (wParam == VK_UP)
            next = std::max(cur - 1, 0);
        else if (wParam == VK_HOME)
            next = 0;
        else if (wParam == VK_END)
            next = GetItemCount() - 1;
        if (next != cur && next >= 0) {
            SelectItem(next);
            EnsureVisible(next);
        }
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate(false);
        return 0;
    case WM_SIZE:
        Scroll(0);
        PlaceCellEditor();
        return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
        // Notifications of an in-place editor that nobody handled.
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
