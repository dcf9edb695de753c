#include "platform/tree_view_control.h"

#include "platform/bitmap.h"
#include "platform/edit_control.h"
#include "platform/key_state.h"
#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"
#include "platform/window_impl.h"

#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdlib>

struct TreeItem {
    std::wstring text;
    int image = 0;
    int selectedImage = 0;
    LPARAM data = 0;
    UINT state = 0;
    bool forceChildren = false;
    TreeItem* parent = nullptr;
    TreeItem* first = nullptr;
    TreeItem* last = nullptr;
    TreeItem* prev = nullptr;
    TreeItem* next = nullptr;
    int row = -1; // index among the shown rows, -1 when hidden
};

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}

// Posted to the tree to destroy edit fields retired by their own handlers.
constexpr UINT kRetireEditsMessage = WM_USER + 0x7E0;
// Pixels the mouse moves with the button held before a press becomes a drag.
constexpr int kDragDistance = 4;
constexpr unsigned kEditDelayMs = 500;
constexpr int kButtonHalf = 4;

bool StartsWithNoCase(const std::wstring& text, wchar_t c) {
    if (text.empty())
        return false;
    return QString(QChar(static_cast<char16_t>(text[0])))
               .compare(QString(QChar(static_cast<char16_t>(c))), Qt::CaseInsensitive) == 0;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    return QString::fromStdWString(a).compare(QString::fromStdWString(b), Qt::CaseInsensitive);
}
} // namespace

// The edit field over a label: losing the focus ends the edit.
class TreeViewControl::LabelEdit : public EditControl {
public:
    explicit LabelEdit(TreeViewControl* tree) : tree_(tree) {}
    ~LabelEdit() override { DestroyWindow(); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == WM_KILLFOCUS && tree_->edit_.get() == this) {
            EditControl::DefWindowProc(msg, wParam, lParam);
            tree_->EndEditLabelNow(false);
            result = 0;
            return true;
        }
        return false;
    }

private:
    TreeViewControl* tree_;
};

// Enter and Esc in the edit field end or cancel the edit before any dialog or
// frame sees them; it is installed while an edit is open, so it runs first.
class TreeViewControl::EditKeys : public MessageFilter {
public:
    explicit EditKeys(TreeViewControl* tree) : tree_(tree) {}
    bool PreTranslateMessage(Message* m) override {
        if (!m || m->message != WM_KEYDOWN || !tree_->edit_ || m->window != tree_->edit_.get())
            return false;
        if (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) {
            tree_->EndEditLabelNow(m->wParam == VK_ESCAPE);
            return true;
        }
        return false;
    }

private:
    TreeViewControl* tree_;
};

TreeViewControl::TreeViewControl()
    : root_(std::make_unique<TreeItem>()), editKeys_(std::make_unique<EditKeys>(this)) {
    root_->state = TVIS_EXPANDED;
}

TreeViewControl::~TreeViewControl() {
    RemoveMessageFilter(editKeys_.get());
    DestroyWindow();
    edit_.reset();
    retired_.clear();
    for (TreeItem* it = root_->first; it;) {
        TreeItem* next = it->next;
        Destroy(it, false);
        it = next;
    }
}

// ---- items -------------------------------------------------------------------

bool TreeViewControl::IsItem(HTREEITEM item) const {
    return item && items_.count(item) != 0;
}

HTREEITEM TreeViewControl::Parent(HTREEITEM parent) const {
    if (!parent || parent == TVI_ROOT)
        return root_.get();
    return IsItem(parent) ? parent : nullptr;
}

HTREEITEM TreeViewControl::InsertItem(const std::wstring& text, int image, int selectedImage,
                                      HTREEITEM parent, HTREEITEM insertAfter, LPARAM data) {
    TreeItem* p = Parent(parent);
    if (!p)
        return nullptr;
    TreeItem* after = nullptr; // null: at the front
    if (insertAfter == TVI_LAST || !insertAfter) {
        after = p->last;
    } else if (insertAfter == TVI_SORT) {
        after = p->last;
        for (TreeItem* c = p->first; c; c = c->next)
            if (CompareNoCase(c->text, text) > 0) {
                after = c->prev;
                break;
            }
    } else if (insertAfter != TVI_FIRST) {
        if (!IsItem(insertAfter) || insertAfter->parent != p)
            return nullptr;
        after = insertAfter;
    }
    auto* it = new TreeItem;
    it->text = text;
    it->image = image;
    it->selectedImage = selectedImage;
    it->data = data;
    it->parent = p;
    it->prev = after;
    it->next = after ? after->next : p->first;
    (it->next ? it->next->prev : p->last) = it;
    (after ? after->next : p->first) = it;
    items_.insert(it);
    RowsChanged();
    return it;
}

void TreeViewControl::Unlink(TreeItem* item) {
    TreeItem* p = item->parent;
    (item->prev ? item->prev->next : p->first) = item->next;
    (item->next ? item->next->prev : p->last) = item->prev;
    item->prev = item->next = nullptr;
}

void TreeViewControl::Destroy(TreeItem* item, bool notify) {
    for (TreeItem* c = item->first; c;) {
        TreeItem* next = c->next;
        Destroy(c, notify);
        c = next;
    }
    if (notify && IsWindow()) {
        NMTREEVIEW nm;
        nm.itemOld = Describe(item);
        Notify(TVN_DELETEITEM, &nm.hdr);
    }
    items_.erase(item);
    if (selected_ == item)
        selected_ = nullptr;
    if (dropTarget_ == item)
        dropTarget_ = nullptr;
    if (insertMark_ == item)
        insertMark_ = nullptr;
    if (press_.item == item)
        press_ = Press{};
    if (editPending_ == item)
        editPending_ = nullptr;
    delete item;
}

bool TreeViewControl::DeleteItem(HTREEITEM item) {
    if (item == TVI_ROOT) {
        DeleteAllItems();
        return true;
    }
    if (!IsItem(item))
        return false;
    for (HTREEITEM e = editItem_; e; e = e->parent == root_.get() ? nullptr : e->parent)
        if (e == item) {
            EndEditLabelNow(true);
            break;
        }
    if (!IsItem(item))
        return false;
    // Where the selection goes when it is deleted with the item.
    HTREEITEM next = nullptr;
    for (HTREEITEM s = selected_; s && s != root_.get(); s = s->parent)
        if (s == item) {
            next = item->next ? item->next : item->prev;
            if (!next && item->parent != root_.get())
                next = item->parent;
            break;
        }
    Unlink(item);
    TreeItem* parent = item->parent;
    Destroy(item, true);
    if (parent != root_.get() && IsItem(parent) && !parent->first && !parent->forceChildren)
        parent->state &= ~TVIS_EXPANDED;
    RowsChanged();
    if (next && IsItem(next))
        Select(next, TVC_UNKNOWN);
    return true;
}

void TreeViewControl::DeleteAllItems() {
    if (edit_)
        EndEditLabelNow(true);
    KillTimer(kEditTimerId);
    while (TreeItem* it = root_->first) {
        Unlink(it);
        Destroy(it, true);
    }
    selected_ = dropTarget_ = insertMark_ = nullptr;
    top_ = 0;
    RowsChanged();
}

std::wstring TreeViewControl::GetItemText(HTREEITEM item) const {
    return IsItem(item) ? item->text : std::wstring();
}

bool TreeViewControl::SetItemText(HTREEITEM item, const std::wstring& text) {
    if (!IsItem(item))
        return false;
    item->text = text;
    InvalidateItem(item);
    return true;
}

LPARAM TreeViewControl::GetItemData(HTREEITEM item) const {
    return IsItem(item) ? item->data : 0;
}

bool TreeViewControl::SetItemData(HTREEITEM item, LPARAM data) {
    if (!IsItem(item))
        return false;
    item->data = data;
    return true;
}

bool TreeViewControl::GetItemImage(HTREEITEM item, int* image, int* selectedImage) const {
    if (!IsItem(item))
        return false;
    if (image)
        *image = item->image;
    if (selectedImage)
        *selectedImage = item->selectedImage;
    return true;
}

bool TreeViewControl::SetItemImage(HTREEITEM item, int image, int selectedImage) {
    if (!IsItem(item))
        return false;
    item->image = image;
    item->selectedImage = selectedImage;
    InvalidateItem(item);
    return true;
}

UINT TreeViewControl::GetItemState(HTREEITEM item, UINT mask) const {
    return IsItem(item) ? item->state & mask : 0;
}

bool TreeViewControl::SetItemState(HTREEITEM item, UINT state, UINT mask) {
    if (!IsItem(item))
        return false;
    // The selection and the drop highlight have their own keepers.
    mask &= ~(TVIS_SELECTED | TVIS_DROPHILITED);
    const UINT old = item->state;
    item->state = (item->state & ~mask) | (state & mask);
    if ((old ^ item->state) & TVIS_EXPANDED)
        RowsChanged();
    else if (old != item->state)
        InvalidateItem(item);
    return true;
}

bool TreeViewControl::ItemHasChildren(HTREEITEM item) const {
    return IsItem(item) && (item->first || item->forceChildren);
}

bool TreeViewControl::SetItemHasChildren(HTREEITEM item, bool hasChildren) {
    if (!IsItem(item))
        return false;
    item->forceChildren = hasChildren;
    InvalidateItem(item);
    return true;
}

// ---- navigation ------------------------------------------------------------------

HTREEITEM TreeViewControl::GetRootItem() const {
    return root_->first;
}

HTREEITEM TreeViewControl::GetParentItem(HTREEITEM item) const {
    return IsItem(item) && item->parent != root_.get() ? item->parent : nullptr;
}

HTREEITEM TreeViewControl::GetChildItem(HTREEITEM item) const {
    TreeItem* p = Parent(item);
    return p ? p->first : nullptr;
}

HTREEITEM TreeViewControl::GetNextSiblingItem(HTREEITEM item) const {
    return IsItem(item) ? item->next : nullptr;
}

HTREEITEM TreeViewControl::GetPrevSiblingItem(HTREEITEM item) const {
    return IsItem(item) ? item->prev : nullptr;
}

HTREEITEM TreeViewControl::GetFirstVisibleItem() const {
    const auto& rows = Rows();
    return top_ < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(top_)] : nullptr;
}

HTREEITEM TreeViewControl::GetNextVisibleItem(HTREEITEM item) const {
    const auto& rows = Rows();
    if (!IsItem(item) || item->row < 0 || item->row + 1 >= static_cast<int>(rows.size()))
        return nullptr;
    return rows[static_cast<size_t>(item->row + 1)];
}

HTREEITEM TreeViewControl::GetPrevVisibleItem(HTREEITEM item) const {
    const auto& rows = Rows();
    if (!IsItem(item) || item->row <= 0)
        return nullptr;
    return rows[static_cast<size_t>(item->row - 1)];
}

HTREEITEM TreeViewControl::GetLastVisibleItem() const {
    const auto& rows = Rows();
    return rows.empty() ? nullptr : rows.back();
}

// ---- rows ------------------------------------------------------------------------

void TreeViewControl::RowsChanged() {
    rowsDirty_ = true;
    ClampTop();
    Invalidate(true);
}

const std::vector<TreeItem*>& TreeViewControl::Rows() const {
    if (!rowsDirty_)
        return rows_;
    rowsDirty_ = false;
    for (TreeItem* it : items_)
        it->row = -1;
    rows_.clear();
    // Pre-order walk into expanded items, without recursion.
    TreeItem* it = root_->first;
    while (it) {
        it->row = static_cast<int>(rows_.size());
        rows_.push_back(it);
        if ((it->state & TVIS_EXPANDED) && it->first) {
            it = it->first;
            continue;
        }
        while (it && !it->next)
            it = it->parent == root_.get() ? nullptr : it->parent;
        if (it)
            it = it->next;
    }
    return rows_;
}

int TreeViewControl::Depth(const TreeItem* item) const {
    int d = 0;
    for (const TreeItem* p = item->parent; p && p != root_.get(); p = p->parent)
        ++d;
    return d;
}

int TreeViewControl::LevelX(const TreeItem* item) const {
    const bool rootColumn =
        (GetStyle() & TVS_LINESATROOT) && (GetStyle() & (TVS_HASLINES | TVS_HASBUTTONS));
    return (Depth(item) + (rootColumn ? 1 : 0)) * indent_;
}

int TreeViewControl::ImageWidth() const {
    return images_ ? images_->ImageWidth() + 2 : 0;
}

int TreeViewControl::LabelWidth(const TreeItem* item) const {
    return MeasureText(item->text).cx + 6;
}

int TreeViewControl::GetItemHeight() const {
    int h = GetLineHeight() + 4;
    if (images_)
        h = std::max(h, images_->ImageHeight() + 2);
    return std::max(h, 1);
}

void TreeViewControl::SetIndent(int pixels) {
    indent_ = std::max(pixels, 2 * kButtonHalf + 4);
    Invalidate(true);
}

int TreeViewControl::GetVisibleCount() const {
    return std::max(0, GetClientRect().bottom / GetItemHeight());
}

void TreeViewControl::ClampTop() {
    const int count = static_cast<int>(Rows().size());
    const int maxTop = std::max(0, count - std::max(1, GetVisibleCount()));
    top_ = std::clamp(top_, 0, maxTop);
}

void TreeViewControl::ScrollRows(int rows) {
    const int old = top_;
    top_ += rows;
    ClampTop();
    if (top_ != old)
        Invalidate(true);
}

bool TreeViewControl::EnsureVisible(HTREEITEM item) {
    if (!IsItem(item))
        return false;
    std::vector<TreeItem*> parents;
    for (TreeItem* p = item->parent; p && p != root_.get(); p = p->parent)
        parents.push_back(p);
    auto life = LifeToken();
    for (auto it = parents.rbegin(); it != parents.rend(); ++it) {
        if (!IsItem(*it))
            return false;
        if (!((*it)->state & TVIS_EXPANDED))
            DoExpand(*it, TVE_EXPAND, TVC_UNKNOWN);
        if (!*life)
            return false;
    }
    if (!IsItem(item))
        return false;
    Rows();
    if (item->row < 0)
        return false;
    const int page = std::max(1, GetVisibleCount());
    if (item->row < top_)
        ScrollRows(item->row - top_);
    else if (item->row >= top_ + page)
        ScrollRows(item->row - (top_ + page) + 1);
    return true;
}

bool TreeViewControl::SortChildren(HTREEITEM parent, const ItemLess& less, bool recurse) {
    TreeItem* p = Parent(parent);
    if (!p || !less)
        return false;
    std::vector<TreeItem*> kids;
    for (TreeItem* c = p->first; c; c = c->next)
        kids.push_back(c);
    std::stable_sort(kids.begin(), kids.end(), less);
    p->first = p->last = nullptr;
    for (TreeItem* c : kids) {
        c->prev = p->last;
        c->next = nullptr;
        (p->last ? p->last->next : p->first) = c;
        p->last = c;
    }
    if (recurse)
        for (TreeItem* c : kids)
            SortChildren(c, less, true);
    RowsChanged();
    return true;
}

// ---- selection and expansion -------------------------------------------------------

TVITEM TreeViewControl::Describe(HTREEITEM item) const {
    TVITEM t;
    if (!IsItem(item))
        return t;
    t.hItem = item;
    t.state = item->state;
    t.lParam = item->data;
    t.pszText = item->text.c_str();
    return t;
}

LRESULT TreeViewControl::Notify(UINT code, NMHDR* hdr) {
    hdr->code = code;
    return NotifyParent(hdr);
}

bool TreeViewControl::Select(HTREEITEM item, UINT action) {
    if (item && !IsItem(item))
        return false;
    auto life = LifeToken();
    if (item == selected_) {
        if (item)
            EnsureVisible(item);
        return *life;
    }
    NMTREEVIEW nm;
    nm.action = action;
    nm.itemOld = Describe(selected_);
    nm.itemNew = Describe(item);
    if (Notify(TVN_SELCHANGING, &nm.hdr) || !*life)
        return false;
    if (item && !IsItem(item))
        return false;
    HTREEITEM old = IsItem(selected_) ? selected_ : nullptr;
    if (old) {
        old->state &= ~TVIS_SELECTED;
        InvalidateItem(old);
    }
    selected_ = item;
    if (item) {
        item->state |= TVIS_SELECTED;
        EnsureVisible(item);
        if (!*life)
            return false;
        InvalidateItem(item);
    }
    nm = NMTREEVIEW{};
    nm.action = action;
    nm.itemOld = Describe(old);
    nm.itemNew = Describe(selected_);
    Notify(TVN_SELCHANGED, &nm.hdr);
    return *life;
}

bool TreeViewControl::SelectDropTarget(HTREEITEM item) {
    if (item && !IsItem(item))
        return false;
    if (IsItem(dropTarget_)) {
        dropTarget_->state &= ~TVIS_DROPHILITED;
        InvalidateItem(dropTarget_);
    }
    dropTarget_ = item;
    if (item) {
        item->state |= TVIS_DROPHILITED;
        InvalidateItem(item);
    }
    return true;
}

bool TreeViewControl::DoExpand(HTREEITEM item, UINT code, UINT action) {
    if (!IsItem(item))
        return false;
    const bool expanded = (item->state & TVIS_EXPANDED) != 0;
    bool want = expanded;
    switch (code & TVE_TOGGLE) {
    case TVE_EXPAND:
        want = true;
        break;
    case TVE_COLLAPSE:
        want = false;
        break;
    case TVE_TOGGLE:
        want = !expanded;
        break;
    default:
        return false;
    }
    if (want == expanded)
        return true;
    if (want && !ItemHasChildren(item))
        return false;
    auto life = LifeToken();
    NMTREEVIEW nm;
    nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
    nm.itemNew = Describe(item);
    if (Notify(TVN_ITEMEXPANDING, &nm.hdr) || !*life || !IsItem(item))
        return false;
    if (want)
        item->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    else
        item->state &= ~TVIS_EXPANDED;
    RowsChanged();
    if (!want) {
        // A selection that has just been hidden passes to the collapsed item.
        for (HTREEITEM s = selected_ ? selected_->parent : nullptr; s && s != root_.get();
             s = s->parent)
            if (s == item) {
                Select(item, action);
                if (!*life)
                    return false;
                break;
            }
    }
    if (!IsItem(item))
        return false;
    nm = NMTREEVIEW{};
    nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
    nm.itemNew = Describe(item);
    Notify(TVN_ITEMEXPANDED, &nm.hdr);
    return *life;
}

// ---- geometry ------------------------------------------------------------------------

bool TreeViewControl::GetItemRect(HTREEITEM item, RECT* rect, bool textOnly) const {
    if (!rect || !IsItem(item))
        return false;
    Rows();
    if (item->row < 0)
        return false;
    const int h = GetItemHeight();
    const int top = (item->row - top_) * h;
    if (textOnly) {
        const int left = LevelX(item) + ImageWidth();
        *rect = RECT{left, top, left + LabelWidth(item), top + h};
    } else {
        *rect = RECT{0, top, GetClientRect().right, top + h};
    }
    return true;
}

HTREEITEM TreeViewControl::HitTest(POINT p, UINT* flags) const {
    UINT f = 0;
    const RECT client = GetClientRect();
    if (p.y < 0)
        f |= TVHT_ABOVE;
    if (p.y >= client.bottom)
        f |= TVHT_BELOW;
    if (p.x < 0)
        f |= TVHT_TOLEFT;
    if (p.x >= client.right)
        f |= TVHT_TORIGHT;
    HTREEITEM hit = nullptr;
    if (!f) {
        const auto& rows = Rows();
        const int h = GetItemHeight();
        const int row = top_ + p.y / h;
        if (row >= static_cast<int>(rows.size())) {
            f = TVHT_NOWHERE;
        } else {
            hit = rows[static_cast<size_t>(row)];
            const int lx = LevelX(hit);
            const int iconRight = lx + ImageWidth();
            if (p.x < lx - indent_)
                f = TVHT_ONITEMINDENT;
            else if (p.x < lx)
                f = (GetStyle() & TVS_HASBUTTONS) && ItemHasChildren(hit) &&
                            (Depth(hit) > 0 || (GetStyle() & TVS_LINESATROOT))
                        ? TVHT_ONITEMBUTTON
                        : TVHT_ONITEMINDENT;
            else if (p.x < iconRight)
                f = TVHT_ONITEMICON;
            else if (p.x < iconRight + LabelWidth(hit))
                f = TVHT_ONITEMLABEL;
            else
                f = TVHT_ONITEMRIGHT;
            f |= (p.y % h) < h / 2 ? TVHT_ONUPPERHALF : TVHT_ONLOWERHALF;
        }
    }
    if (flags)
        *flags = f;
    return hit;
}

void TreeViewControl::InvalidateItem(HTREEITEM item) {
    RECT r;
    if (IsWindow() && GetItemRect(item, &r, false))
        InvalidateRect(&r, true);
}

ImageList* TreeViewControl::SetImageList(ImageList* images, int which) {
    if (which != TVSIL_NORMAL)
        return nullptr;
    ImageList* old = images_;
    images_ = images;
    RowsChanged();
    return old;
}

ImageList* TreeViewControl::GetImageList(int which) const {
    return which == TVSIL_NORMAL ? images_ : nullptr;
}

bool TreeViewControl::SetInsertMark(HTREEITEM item, bool after) {
    if (item && !IsItem(item))
        return false;
    if (item != insertMark_ || after != insertMarkAfter_) {
        insertMark_ = item;
        insertMarkAfter_ = after;
        Invalidate(true);
    }
    return true;
}

HTREEITEM TreeViewControl::GetInsertMark(bool* after) const {
    if (after)
        *after = insertMarkAfter_;
    return insertMark_;
}

// ---- label editing ------------------------------------------------------------------------

EditControl* TreeViewControl::GetEditControl() const {
    return edit_.get();
}

EditControl* TreeViewControl::EditLabel(HTREEITEM item) {
    if (!IsItem(item) || !IsWindow())
        return nullptr;
    auto life = LifeToken();
    if (edit_) {
        EndEditLabelNow(false);
        if (!*life || !IsItem(item))
            return nullptr;
    }
    KillTimer(kEditTimerId);
    editPending_ = nullptr;
    if (!EnsureVisible(item) || !*life)
        return nullptr;
    NMTVDISPINFO di;
    di.item = Describe(item);
    if (Notify(TVN_BEGINLABELEDIT, &di.hdr) || !*life || !IsItem(item))
        return nullptr;
    RECT r;
    GetItemRect(item, &r, true);
    const RECT client = GetClientRect();
    r.right = std::max(r.right + 8, std::min(client.right, r.left + 120));
    edit_ = std::make_unique<LabelEdit>(this);
    edit_->SetFont(GetFont(), false);
    if (!edit_->Create(this, r, item->text, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                       WS_EX_CLIENTEDGE, 1)) {
        edit_.reset();
        return nullptr;
    }
    editItem_ = item;
    AddMessageFilter(editKeys_.get());
    edit_->SetFocus();
    if (!*life || !edit_)
        return nullptr;
    edit_->SetSel(0, -1);
    return edit_.get();
}

void TreeViewControl::RetireEdit() {
    if (!edit_)
        return;
    edit_->ShowWindow(false);
    retired_.push_back(std::move(edit_));
    PostMessage(kRetireEditsMessage);
}

bool TreeViewControl::EndEditLabelNow(bool cancel) {
    if (!edit_ || ending_)
        return false;
    ending_ = true;
    auto life = LifeToken();
    const std::wstring text = edit_->GetWindowText();
    HTREEITEM item = editItem_;
    editItem_ = nullptr;
    const bool hadFocus = GetFocus() == edit_.get();
    RemoveMessageFilter(editKeys_.get());
    // The field may be ending from inside its own handler: it is hidden now
    // and destroyed later.
    RetireEdit();
    ending_ = false;
    if (hadFocus) {
        SetFocus();
        if (!*life)
            return true;
    }
    if (!IsItem(item))
        return true;
    NMTVDISPINFO di;
    di.item = Describe(item);
    di.item.pszText = cancel ? nullptr : text.c_str();
    const LRESULT accepted = Notify(TVN_ENDLABELEDIT, &di.hdr);
    if (!*life)
        return true;
    if (accepted && !cancel && IsItem(item))
        SetItemText(item, text);
    return true;
}

// ---- painting --------------------------------------------------------------------------------

void TreeViewControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    const RECT client = GetClientRect();
    FillPaintRect(t, client, GetSysColor(COLOR_WINDOW));
    QPainter* p = t->Impl()->Painter();
    const auto& rows = Rows();
    const int h = GetItemHeight();
    const uint32_t style = GetStyle();
    const bool rootColumn = (style & TVS_LINESATROOT) && (style & (TVS_HASLINES | TVS_HASBUTTONS));
    const bool focused = GetFocus() == this;
    QPen dotted(Q(GetSysColor(COLOR_BTNSHADOW)));
    dotted.setStyle(Qt::DotLine);
    for (int r = top_; r < static_cast<int>(rows.size()) && (r - top_) * h < client.bottom; ++r) {
        TreeItem* it = rows[static_cast<size_t>(r)];
        const int y = (r - top_) * h;
        if (y + h <= ps.rcPaint.top || y >= ps.rcPaint.bottom)
            continue;
        const int cy = y + h / 2;
        const int lx = LevelX(it);
        const int depth = Depth(it);
        const bool column = depth > 0 || rootColumn;
        const int col = lx - indent_ / 2;
        p->save();
        if (style & TVS_HASLINES) {
            p->setPen(dotted);
            if (column) {
                p->drawLine(col, cy, lx - 1, cy);
                if (it->prev || it->parent != root_.get())
                    p->drawLine(col, y, col, cy);
                if (it->next)
                    p->drawLine(col, cy, col, y + h - 1);
            }
            for (TreeItem* a = it->parent; a && a != root_.get(); a = a->parent) {
                if (a->next && (Depth(a) > 0 || rootColumn)) {
                    const int ax = LevelX(a) - indent_ / 2;
                    p->drawLine(ax, y, ax, y + h - 1);
                }
            }
        }
        if ((style & TVS_HASBUTTONS) && column && ItemHasChildren(it)) {
            const QRect box(col - kButtonHalf, cy - kButtonHalf, 2 * kButtonHalf, 2 * kButtonHalf);
            p->fillRect(box, Q(GetSysColor(COLOR_WINDOW)));
            p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
            p->drawRect(box);
            p->setPen(Q(GetSysColor(COLOR_WINDOWTEXT)));
            p->drawLine(col - kButtonHalf + 2, cy, col + kButtonHalf - 2, cy);
            if (!(it->state & TVIS_EXPANDED))
                p->drawLine(col, cy - kButtonHalf + 2, col, cy + kButtonHalf - 2);
        }
        p->restore();
        if (images_) {
            const int index = (it->state & TVIS_SELECTED) ? it->selectedImage : it->image;
            images_->Draw(t, index, lx + 1, y + (h - images_->ImageHeight()) / 2);
        }
        if (it == editItem_)
            continue;
        const int labelLeft = lx + ImageWidth();
        const RECT label{labelLeft, y, labelLeft + LabelWidth(it), y + h};
        const bool selected = (it->state & TVIS_SELECTED) && (!dropTarget_ || dropTarget_ == it);
        COLORREF back = GetSysColor(COLOR_WINDOW), fore = GetSysColor(COLOR_WINDOWTEXT);
        if ((it->state & TVIS_DROPHILITED) || (selected && focused)) {
            back = GetSysColor(COLOR_HIGHLIGHT);
            fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
        } else if (selected && (style & TVS_SHOWSELALWAYS)) {
            back = GetSysColor(COLOR_BTNFACE);
        }
        FillPaintRect(t, RECT{label.left, label.top + 1, label.right, label.bottom - 1}, back);
        p->save();
        p->setFont(MakeQFont(GetFont()));
        p->setPen(Q(fore));
        p->drawText(QRect(label.left + 3, y, label.right - label.left - 3, h),
                    Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdWString(it->text));
        p->restore();
    }
    if (insertMark_ && insertMark_->row >= 0) {
        const int y = (insertMark_->row - top_ + (insertMarkAfter_ ? 1 : 0)) * h;
        const int left = LevelX(insertMark_);
        p->save();
        p->setPen(Qt::NoPen);
        p->setBrush(Q(GetSysColor(COLOR_WINDOWTEXT)));
        p->drawRect(QRect(left, y - 1, std::max(0, client.right - left - 2), 2));
        p->drawRect(QRect(left, y - 3, 2, 6));
        p->restore();
    }
    EndPaint(&ps);
}

// ---- mouse and keys --------------------------------------------------------------------------

LRESULT TreeViewControl::SendMouseNotify(UINT code, LPARAM lParam) {
    NMTVMOUSE nm;
    nm.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    nm.hItem = HitTest(nm.pt, &nm.hitFlags);
    return Notify(code, &nm.hdr);
}

void TreeViewControl::OnButtonDown(LPARAM lParam) {
    const bool hadFocus = GetFocus() == this;
    auto life = LifeToken();
    SetFocus(); // ends a label edit first
    if (!*life)
        return;
    KillTimer(kEditTimerId);
    editPending_ = nullptr;
    Press press;
    press.active = true;
    press.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    press.item = HitTest(press.pt, &press.flags);
    press.wasSelected = press.item && press.item == selected_;
    press.hadFocus = hadFocus;
    press_ = press;
    if (press.item && (press.flags & TVHT_ONITEMBUTTON)) {
        DoExpand(press.item, TVE_TOGGLE, TVC_BYMOUSE);
        if (!*life)
            return;
    }
    SetCapture();
}

void TreeViewControl::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!press_.active)
        return;
    if (!(wParam & MK_LBUTTON)) {
        press_.active = false;
        if (GetCapture() == this)
            ReleaseCapture();
        return;
    }
    if (!press_.item || !(press_.flags & TVHT_ONITEM))
        return;
    const int dx = GET_X_LPARAM(lParam) - press_.pt.x;
    const int dy = GET_Y_LPARAM(lParam) - press_.pt.y;
    if (std::abs(dx) <= kDragDistance && std::abs(dy) <= kDragDistance)
        return;
    const Press press = press_;
    press_ = Press{};
    if (GetCapture() == this)
        ReleaseCapture();
    if ((GetStyle() & TVS_DISABLEDRAGDROP) || !IsItem(press.item))
        return;
    NMTREEVIEW nm;
    nm.itemNew = Describe(press.item);
    nm.ptDrag = press.pt;
    Notify(TVN_BEGINDRAG, &nm.hdr);
}

void TreeViewControl::OnButtonUp(LPARAM lParam) {
    if (!press_.active)
        return;
    const Press press = press_;
    press_ = Press{};
    if (GetCapture() == this)
        ReleaseCapture();
    auto life = LifeToken();
    const LRESULT taken = SendMouseNotify(NM_CLICK, lParam);
    if (!*life || taken || !IsItem(press.item) || !(press.flags & TVHT_ONITEM))
        return;
    Select(press.item, TVC_BYMOUSE);
    if (!*life)
        return;
    if (press.wasSelected && press.hadFocus && (press.flags & TVHT_ONITEMLABEL) &&
        (GetStyle() & TVS_EDITLABELS) && selected_ == press.item) {
        editPending_ = press.item;
        SetTimer(kEditTimerId, kEditDelayMs);
    }
}

void TreeViewControl::OnDoubleClick(LPARAM lParam) {
    auto life = LifeToken();
    KillTimer(kEditTimerId);
    editPending_ = nullptr;
    press_ = Press{};
    SetFocus();
    if (!*life)
        return;
    UINT flags = 0;
    HTREEITEM item = HitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &flags);
    if (SendMouseNotify(NM_DBLCLK, lParam) || !*life)
        return;
    if (IsItem(item) && (flags & TVHT_ONITEM))
        DoExpand(item, TVE_TOGGLE, TVC_BYMOUSE);
}

void TreeViewControl::OnKeyDown(int vk) {
    auto life = LifeToken();
    NMTVKEYDOWN nk;
    nk.wVKey = vk;
    Notify(TVN_KEYDOWN, &nk.hdr);
    if (!*life)
        return;
    const auto& rows = Rows();
    if (rows.empty())
        return;
    HTREEITEM cur = IsItem(selected_) ? selected_ : nullptr;
    const int row = cur && cur->row >= 0 ? cur->row : -1;
    const int last = static_cast<int>(rows.size()) - 1;
    const int page = std::max(1, GetVisibleCount() - 1);
    int target = -1;
    switch (vk) {
    case VK_UP:
        target = row < 0 ? top_ : std::max(row - 1, 0);
        break;
    case VK_DOWN:
        target = row < 0 ? top_ : std::min(row + 1, last);
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = last;
        break;
    case VK_PRIOR:
        target = std::max((row < 0 ? top_ : row) - page, 0);
        break;
    case VK_NEXT:
        target = std::min((row < 0 ? top_ : row) + page, last);
        break;
    case VK_LEFT:
        if (cur && (cur->state & TVIS_EXPANDED) && ItemHasChildren(cur))
            DoExpand(cur, TVE_COLLAPSE, TVC_BYKEYBOARD);
        else if (cur && cur->parent != root_.get())
            Select(cur->parent, TVC_BYKEYBOARD);
        return;
    case VK_RIGHT:
        if (cur && ItemHasChildren(cur)) {
            if (!(cur->state & TVIS_EXPANDED))
                DoExpand(cur, TVE_EXPAND, TVC_BYKEYBOARD);
            else if (cur->first)
                Select(cur->first, TVC_BYKEYBOARD);
        }
        return;
    case VK_ADD:
    case VK_OEM_PLUS:
        if (cur)
            DoExpand(cur, TVE_EXPAND, TVC_BYKEYBOARD);
        return;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        if (cur)
            DoExpand(cur, TVE_COLLAPSE, TVC_BYKEYBOARD);
        return;
    case VK_BACK:
        if (cur && cur->parent != root_.get())
            Select(cur->parent, TVC_BYKEYBOARD);
        return;
    case VK_F2:
        if (cur && (GetStyle() & TVS_EDITLABELS))
            EditLabel(cur);
        return;
    default:
        return;
    }
    if (target >= 0 && target <= last)
        Select(rows[static_cast<size_t>(target)], TVC_BYKEYBOARD);
}

void TreeViewControl::OnChar(wchar_t c) {
    if (c < 0x20 || c == 0x7F || IsKeyDown(VK_CONTROL))
        return;
    const auto& rows = Rows();
    const int n = static_cast<int>(rows.size());
    if (n == 0)
        return;
    const int start = IsItem(selected_) && selected_->row >= 0 ? selected_->row : -1;
    for (int k = 1; k <= n; ++k) {
        HTREEITEM it = rows[static_cast<size_t>((start + k + n) % n)];
        if (StartsWithNoCase(it->text, c)) {
            Select(it, TVC_BYKEYBOARD);
            return;
        }
    }
}

LRESULT TreeViewControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        PlatformWindow::DefWindowProc(msg, wParam, lParam);
        RowsChanged();
        return 0;
    case WM_SIZE:
        ClampTop();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate(false);
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(lParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(lParam);
        return 0;
    case WM_CAPTURECHANGED:
        press_.active = false;
        return 0;
    case WM_RBUTTONDOWN: {
        auto life = LifeToken();
        KillTimer(kEditTimerId);
        editPending_ = nullptr;
        SetFocus();
        if (!*life)
            return 0;
        rightTaken_ = SendMouseNotify(NM_RCLICK, lParam) != 0;
        return 0;
    }
    case WM_RBUTTONUP:
        if (rightTaken_) {
            rightTaken_ = false;
            return 0;
        }
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    case WM_MOUSEWHEEL:
        ScrollRows(-GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<int>(wParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<wchar_t>(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kEditTimerId) {
            KillTimer(kEditTimerId);
            HTREEITEM item = editPending_;
            editPending_ = nullptr;
            if (IsItem(item) && item == selected_ && GetFocus() == this)
                EditLabel(item);
            return 0;
        }
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    case WM_DESTROY:
        RemoveMessageFilter(editKeys_.get());
        editItem_ = nullptr;
        KillTimer(kEditTimerId);
        return 0;
    default:
        if (msg == kRetireEditsMessage) {
            std::vector<std::unique_ptr<LabelEdit>> gone;
            gone.swap(retired_);
            gone.clear();
            return 0;
        }
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
