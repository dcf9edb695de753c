// Helpers for the tests of the Options sheet and the settings dialogs: user
// input on controls, and the settings file read back as its own text.
#pragma once

#include "core/default_settings.h"
#include "platform/combo_box_control.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/file.h"
#include "platform/input_simulation.h"
#include "platform/list_box_control.h"
#include "platform/property_sheet.h"
#include "platform/settings_store.h"
#include "platform/tab_control.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace options_test {

inline void Click(PlatformWindow* w, POINT at = POINT{3, 3}) {
    ASSERT_NE(w, nullptr);
    SimulateMouse(w, WM_LBUTTONDOWN, at, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, at);
}

inline void ClickItem(PlatformDialog& d, int id) {
    Click(d.GetDlgItem(id));
}

inline void ClickTab(PropertySheet& sheet, int index) {
    TabControl* tab = sheet.GetTabControl();
    ASSERT_NE(tab, nullptr);
    RECT rc;
    ASSERT_TRUE(tab->GetItemRect(index, &rc));
    Click(tab, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

// Replaces a field's text by typing, as a user who selected it all.
inline void Type(PlatformDialog& d, int id, const std::wstring& text) {
    PlatformWindow* edit = d.GetDlgItem(id);
    ASSERT_NE(edit, nullptr);
    d.GotoDlgCtrl(edit);
    if (text.empty()) {
        SimulateKey(edit, true, VK_DELETE);
        SimulateKey(edit, false, VK_DELETE);
    } else {
        SimulateTyping(edit, text);
    }
    ASSERT_EQ(edit->GetWindowText(), text);
}

// Opens a drop-down list and clicks one of its entries.
inline void PickComboEntry(PlatformDialog& d, int id, int entry) {
    auto* combo = d.GetDlgItemAs<ComboBoxControl>(id);
    ASSERT_NE(combo, nullptr);
    Click(combo);
    PlatformWindow* drop = combo->GetDropDownWindow();
    ASSERT_NE(drop, nullptr);
    Click(drop, POINT{10, entry * combo->GetItemHeight() + 2});
    ASSERT_EQ(combo->GetCurSel(), entry);
}

inline std::vector<std::wstring> ComboTexts(PlatformDialog& d, int id) {
    std::vector<std::wstring> out;
    if (auto* combo = d.GetDlgItemAs<ComboBoxControl>(id))
        for (int i = 0; i < combo->GetCount(); ++i)
            out.push_back(combo->GetLBText(i));
    return out;
}

inline std::wstring ComboText(PlatformDialog& d, int id) {
    auto* combo = d.GetDlgItemAs<ComboBoxControl>(id);
    return combo ? combo->GetLBText(combo->GetCurSel()) : L"";
}

// Clicks a list entry (double: a double click on it).
inline void ClickListEntry(PlatformDialog& d, int id, int entry, bool doubleClick = false) {
    auto* list = d.GetDlgItemAs<ListBoxControl>(id);
    ASSERT_NE(list, nullptr);
    list->EnsureVisible(entry);
    RECT rc;
    ASSERT_TRUE(list->GetItemRect(entry, &rc));
    POINT at{rc.left + 5, (rc.top + rc.bottom) / 2};
    Click(list, at);
    if (doubleClick) {
        SimulateMouse(list, WM_LBUTTONDBLCLK, at, MK_LBUTTON);
        SimulateMouse(list, WM_LBUTTONUP, at);
    }
}

// The lines of one key's section of the settings file as written, without
// the header: what a settings writer really left behind.
inline std::vector<std::string> StoredSection(const std::wstring& keyPath) {
    EXPECT_TRUE(SettingsStore::Flush());
    std::string bytes;
    std::vector<std::string> lines;
    if (!ReadWholeFile(SettingsStore::FilePath(), bytes))
        return lines;
    const std::string header = "[" + WideToUtf8(keyPath) + "]";
    bool inside = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line[0] == '[') {
            inside = line == header;
            continue;
        }
        if (inside && !line.empty())
            lines.push_back(line);
    }
    return lines;
}

inline std::string NumberLine(const std::string& name, uint32_t value) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", value);
    return "\"" + name + "\"=dword:" + hex;
}

// A length as its stored float bits.
inline std::string LengthLine(const std::string& name, float mm) {
    return NumberLine(name, std::bit_cast<uint32_t>(mm));
}

inline std::string TextLine(const std::string& name, const std::string& text) {
    return "\"" + name + "\"=sz:\"" + text + "\"";
}

inline const std::wstring kDefaultSettingsKey = L"Software\\Vorpel\\DefaultSettings";
inline const std::wstring kBoardSettingsKey = L"Software\\Vorpel\\BoardSettings";

} // namespace options_test
