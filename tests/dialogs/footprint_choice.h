// The footprint browser answered as a user answers it: the first library
// file clicked, the named footprint in its tree, OK.
#pragma once

#include "dialogs/load_footprint.h"
#include "platform/list_box_control.h"
#include "platform/ui_hooks.h"
#include "tests/dialogs/dialog_driver.h"

#include <gtest/gtest.h>

#include <string>

inline ::testing::AssertionResult ChooseFootprintInBrowser(PlatformDialog& d,
                                                           const std::wstring& name) {
    auto* files = d.GetDlgItemAs<ListBoxControl>(CLoadFootprint::kFileList);
    auto* tree = d.GetDlgItemAs<TreeViewControl>(CLoadFootprint::kTree);
    if (!dynamic_cast<CLoadFootprint*>(&d) || !files || !tree)
        return ::testing::AssertionFailure() << "not the footprint browser";
    RECT r{};
    if (!files->GetItemRect(0, &r))
        return ::testing::AssertionFailure() << "no library file listed";
    dialog_driver::Click(files, POINT{5, (r.top + r.bottom) / 2});
    if (!dialog_driver::ClickTreeItem(tree, dialog_driver::FindTreeItem(tree, name)))
        return ::testing::AssertionFailure() << "no footprint " << WideToUtf8(name);
    dialog_driver::ClickButton(d, IDOK);
    return ::testing::AssertionSuccess();
}
