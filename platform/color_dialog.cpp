#include "platform/color_dialog.h"

#include "platform/window_impl.h"

#include <QColorDialog>

#include <array>

namespace {
ChooseColorHook g_hook;
std::array<COLORREF, 16> g_custom = [] {
    std::array<COLORREF, 16> a{};
    a.fill(0xFFFFFF);
    return a;
}();

QColor ToQColor(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
COLORREF FromQColor(const QColor& q) {
    return MakeColorRef(static_cast<unsigned>(q.red()), static_cast<unsigned>(q.green()),
                        static_cast<unsigned>(q.blue()));
}
} // namespace

COLORREF* ProcessCustomColors() {
    return g_custom.data();
}

void SetChooseColorHook(ChooseColorHook hook) {
    g_hook = std::move(hook);
}

bool ChooseColor(ChooseColorRequest* request) {
    if (!request)
        return false;
    if (g_hook)
        return g_hook(*request);
    if (request->customColors)
        for (int i = 0; i < 16; ++i)
            QColorDialog::setCustomColor(i, ToQColor(request->customColors[i]));
    QColor initial = (request->flags & CC_RGBINIT) ? ToQColor(request->rgbResult) : QColor(0, 0, 0);
    QWidget* parent =
        request->owner && request->owner->Impl() ? request->owner->Impl()->widget : nullptr;
    QColor chosen;
    {
        ToolkitModalScope giveBack;
        chosen = QColorDialog::getColor(initial, parent);
    }
    if (request->customColors)
        for (int i = 0; i < 16; ++i)
            request->customColors[i] = FromQColor(QColorDialog::customColor(i));
    if (!chosen.isValid())
        return false;
    request->rgbResult = FromQColor(chosen);
    return true;
}
