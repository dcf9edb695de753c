#include "platform/edit_control.h"

#include "platform/window_impl.h"

#include <QLineEdit>

namespace {
QLineEdit* Line(WindowImpl* impl) {
    return impl ? static_cast<QLineEdit*>(impl->widget) : nullptr;
}
constexpr int kDefaultLimit = 30000;
} // namespace

void EditControl::CreateNativeWidget(WindowImpl& impl) {
    QWidget* parentWidget =
        GetParent() && GetParent()->Impl() ? GetParent()->Impl()->widget : nullptr;
    auto* le = MakeHostWidget<QLineEdit>(impl, parentWidget);
    impl.native = true;
    le->setFrame((GetExStyle() & WS_EX_CLIENTEDGE) != 0);
    le->setMaxLength(kDefaultLimit);
    le->setReadOnly((GetStyle() & ES_READONLY) != 0);
    if (GetStyle() & ES_CENTER)
        le->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    le->setText(QString::fromStdWString(StoredText()));
    QObject::connect(le, &QLineEdit::textChanged, le, [this] {
        if (IsWindow())
            NotifyParentCommand(EN_CHANGE);
    });
}

void EditControl::GetSel(int* start, int* end) {
    SendMessage(EM_GETSEL, PtrToWParam(start), PtrToLParam(end));
}

LRESULT EditControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    QLineEdit* le = Line(Impl());
    if (!le)
        return 0;
    switch (msg) {
    case WM_SETTEXT: {
        const wchar_t* t = LParamToPtr<const wchar_t>(lParam);
        le->setText(QString::fromStdWString(t ? t : L""));
        return 1;
    }
    case WM_GETTEXTLENGTH:
        return le->text().toStdWString().size();
    case WM_GETTEXT: {
        std::wstring t = le->text().toStdWString();
        wchar_t* buf = LParamToPtr<wchar_t>(lParam);
        if (!buf || wParam == 0)
            return 0;
        size_t n = std::min<size_t>(static_cast<size_t>(wParam) - 1, t.size());
        std::copy(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n), buf);
        buf[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case EM_SETSEL: {
        int start = static_cast<int>(static_cast<int64_t>(wParam));
        int end = static_cast<int>(lParam);
        int len = static_cast<int>(le->text().size());
        if (start < 0) {
            le->deselect();
            return 0;
        }
        if (end < 0 || end > len)
            end = len;
        start = std::min(start, len);
        if (start == end) {
            le->deselect();
            le->setCursorPosition(start);
        } else {
            le->setSelection(std::min(start, end), std::abs(end - start));
        }
        return 0;
    }
    case EM_GETSEL: {
        int start = le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
        int end = le->hasSelectedText() ? le->selectionEnd() : start;
        if (int* s = WParamToPtr<int>(wParam))
            *s = start;
        if (int* e = LParamToPtr<int>(lParam))
            *e = end;
        return static_cast<LRESULT>(MAKELPARAM(start, end));
    }
    case EM_LIMITTEXT:
        le->setMaxLength(wParam ? static_cast<int>(wParam) : kDefaultLimit);
        return 0;
    case EM_GETLIMITTEXT:
        return le->maxLength();
    case EM_REPLACESEL: {
        const wchar_t* t = LParamToPtr<const wchar_t>(lParam);
        le->insert(QString::fromStdWString(t ? t : L""));
        return 0;
    }
    case EM_SETREADONLY:
        le->setReadOnly(wParam != 0);
        return 1;
    case EM_SCROLLCARET:
        // The field keeps its caret in view by itself.
        return 1;
    case WM_SETFOCUS:
        NotifyParentCommand(EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        NotifyParentCommand(EN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus();
        if (IsWindow())
            ForwardToNative(msg, wParam, lParam);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
