#include "platform/font_dialog.h"

#include "platform/font_table.h"
#include "platform/text.h"
#include "platform/window_impl.h"

#include <QFontDialog>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
ChooseFontHook g_hook;

// The em height in pixels at 96 dots per inch and back, rounded to the
// nearest as a multiply-then-divide of the platform would.
int PointsToHeight(int points) {
    return -((std::abs(points) * 96 + 36) / 72);
}
int HeightToPoints(int height) {
    return (std::abs(height) * 72 + 48) / 96;
}

// Applies the size limit to a chosen record.
void LimitSize(ChooseFontRequest& r) {
    if (!r.logFont)
        return;
    int points = HeightToPoints(r.logFont->lfHeight);
    if (r.flags & CF_LIMITSIZE) {
        int low = std::min(r.sizeMin, r.sizeMax);
        int high = std::max(r.sizeMin, r.sizeMax);
        int limited = std::clamp(points, low, high);
        if (limited != points) {
            points = limited;
            r.logFont->lfHeight = PointsToHeight(points);
        }
    }
    r.pointSize = points * 10;
}
} // namespace

ChooseFontHook SetChooseFontHook(ChooseFontHook hook) {
    ChooseFontHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

bool ChooseFont(ChooseFontRequest* r) {
    if (!r || !r->logFont)
        return false;
    if (g_hook) {
        LogFont before = *r->logFont;
        if (!g_hook(*r)) {
            *r->logFont = before;
            return false;
        }
        LimitSize(*r);
        return true;
    }
    QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        std::fprintf(stderr, "font dialog: nobody to answer it here; cancelled\n");
        return false;
    }
    LogFont& lf = *r->logFont;
    QFont initial;
    if (r->flags & CF_INITTOLOGFONTSTRUCT) {
        std::wstring family = ResolveFontFamily(lf.lfFaceName);
        initial.setFamily(QString::fromStdWString(family.empty() ? lf.lfFaceName : family));
        int points = HeightToPoints(lf.lfHeight);
        if (points > 0)
            initial.setPointSize(points);
        initial.setWeight(static_cast<QFont::Weight>(std::clamp(lf.lfWeight / 10 * 10, 100, 900)));
        initial.setItalic(lf.lfItalic != 0);
        initial.setUnderline(lf.lfUnderline != 0);
        initial.setStrikeOut(lf.lfStrikeOut != 0);
    }
    QWidget* parent = r->owner && r->owner->Impl() ? r->owner->Impl()->widget->window() : nullptr;
    bool ok = false;
    QFont chosen;
    {
        ToolkitModalScope giveBack;
        chosen = QFontDialog::getFont(&ok, initial, parent);
    }
    if (!ok)
        return false;
    std::wstring face = chosen.family().toStdWString();
    if (face.size() > LogFont::kMaxFaceName)
        face.resize(LogFont::kMaxFaceName);
    lf.lfFaceName = face;
    lf.lfHeight = PointsToHeight(std::max(1, chosen.pointSize()));
    lf.lfWeight = static_cast<int32_t>(chosen.weight());
    lf.lfItalic = chosen.italic() ? 1 : 0;
    lf.lfUnderline = chosen.underline() ? 1 : 0;
    lf.lfStrikeOut = chosen.strikeOut() ? 1 : 0;
    LimitSize(*r);
    return true;
}
