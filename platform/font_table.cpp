#include "platform/font_table.h"

#include <QFontDatabase>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <map>

namespace {

struct Substitute {
    const wchar_t* windowsFace;
    const wchar_t* freeFaces[3]; // first installed one wins
};

// The one substitution table of the program.
const Substitute kSubstitutes[] = {
    {L"Tahoma", {L"DejaVu Sans", L"Liberation Sans", nullptr}},
    {L"Arial", {L"Liberation Sans", L"DejaVu Sans", nullptr}},
    {L"Arial Unicode MS", {L"DejaVu Sans", L"Liberation Sans", nullptr}},
    {L"Microsoft Sans Serif", {L"DejaVu Sans", L"Liberation Sans", nullptr}},
    {L"MS Shell Dlg", {L"DejaVu Sans", L"Liberation Sans", nullptr}},
    {L"Segoe UI", {L"DejaVu Sans", L"Liberation Sans", nullptr}},
    {L"Verdana", {L"DejaVu Sans", L"Liberation Sans", nullptr}},
    {L"Times New Roman", {L"Liberation Serif", L"DejaVu Serif", nullptr}},
    {L"Courier New", {L"Liberation Mono", L"DejaVu Sans Mono", nullptr}},
};

bool Installed(const std::wstring& family) {
    static std::map<std::wstring, bool> cache;
    auto it = cache.find(family);
    if (it != cache.end())
        return it->second;
    const QStringList families = QFontDatabase::families();
    bool found = families.contains(QString::fromStdWString(family), Qt::CaseInsensitive);
    cache.emplace(family, found);
    return found;
}

} // namespace

std::wstring ResolveFontFamily(const std::wstring& faceName) {
    if (faceName.empty())
        return L"";
    for (const Substitute& s : kSubstitutes) {
        if (QString::fromWCharArray(s.windowsFace)
                .compare(QString::fromStdWString(faceName), Qt::CaseInsensitive) != 0)
            continue;
        if (Installed(faceName))
            return faceName;
        for (const wchar_t* f : s.freeFaces)
            if (f && Installed(f))
                return f;
        return L"";
    }
    return Installed(faceName) ? faceName : L"";
}

bool IsFontFamilyAvailable(const std::wstring& faceName) {
    return !ResolveFontFamily(faceName).empty();
}

std::vector<std::wstring> ListFontFamilies() {
    std::vector<std::wstring> out;
    for (const QString& f : QFontDatabase::families())
        out.push_back(f.toStdWString());
    for (const Substitute& s : kSubstitutes)
        if (IsFontFamilyAvailable(s.windowsFace) &&
            std::find(out.begin(), out.end(), s.windowsFace) == out.end())
            out.push_back(s.windowsFace);
    std::sort(out.begin(), out.end());
    return out;
}
