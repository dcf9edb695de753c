// The font picker's size limit and record, and the folder browser's answer,
// each answered by its hook.
#include "platform/folder_dialog.h"
#include "platform/font_dialog.h"
#include "tests/screen_user.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FontDialog, TheChosenSizeIsKeptWithinTheLimit) {
    struct Case {
        int chosenPoints;
        int sizeMin, sizeMax;
        int32_t height; // of the record afterwards
        int pointSize;  // tenths of a point
    };
    const Case cases[] = {
        {12, 1, 72, -16, 120}, // within: as chosen
        {30, 2, 2, -3, 20},    // above: the maximum
        {1, 5, 9, -7, 50},     // below: the minimum
        {9, 9, 9, -12, 90},
    };
    for (const Case& c : cases) {
        ChooseFontHook old = SetChooseFontHook([&](ChooseFontRequest& r) {
            EXPECT_EQ(r.logFont->lfFaceName, L"Arial Unicode MS");
            EXPECT_EQ(r.logFont->lfHeight, 13);
            r.logFont->lfFaceName = L"Tahoma";
            r.logFont->lfHeight = -(c.chosenPoints * 4 / 3);
            r.logFont->lfWeight = 700;
            return true;
        });
        LogFont font;
        font.lfFaceName = L"Arial Unicode MS";
        font.lfHeight = 13;
        font.lfCharSet = 1;
        ChooseFontRequest request;
        request.logFont = &font;
        request.flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
        request.sizeMin = c.sizeMin;
        request.sizeMax = c.sizeMax;
        EXPECT_TRUE(ChooseFont(&request));
        EXPECT_EQ(font.lfFaceName, L"Tahoma");
        EXPECT_EQ(font.lfHeight, c.height) << c.chosenPoints;
        EXPECT_EQ(request.pointSize, c.pointSize) << c.chosenPoints;
        EXPECT_EQ(font.lfWeight, 700);
        EXPECT_EQ(font.lfCharSet, 1);
        SetChooseFontHook(std::move(old));
    }
    // Cancel leaves the record as it was, whatever the hook touched.
    ChooseFontHook old = SetChooseFontHook([](ChooseFontRequest& r) {
        r.logFont->lfFaceName = L"Changed";
        return false;
    });
    LogFont font;
    font.lfFaceName = L"Arial";
    ChooseFontRequest request;
    request.logFont = &font;
    EXPECT_FALSE(ChooseFont(&request));
    EXPECT_EQ(font.lfFaceName, L"Arial");
    SetChooseFontHook(std::move(old));
    EXPECT_FALSE(ChooseFont(nullptr));
}

TEST(FolderDialog, OnlyAFullPathIsAChoice) {
    std::wstring answer;
    bool confirm = true;
    FolderDialogHook old = SetFolderDialogHook([&](FolderDialogRequest& r) {
        EXPECT_EQ(r.folder, L"/home/user/Documents/Vorpel/Project/");
        r.folder = answer;
        return confirm;
    });
    FolderDialogRequest request;
    auto ask = [&](const std::wstring& chosen, bool ok) {
        answer = chosen;
        confirm = ok;
        request.folder = L"/home/user/Documents/Vorpel/Project/";
        return BrowseForFolder(&request);
    };
    EXPECT_TRUE(ask(L"/srv/libs", true));
    EXPECT_EQ(request.folder, L"/srv/libs");
    EXPECT_FALSE(ask(L"relative/libs", true));
    EXPECT_FALSE(ask(L"", true));
    EXPECT_FALSE(ask(L"/srv/libs", false));
    EXPECT_EQ(request.folder, L"/home/user/Documents/Vorpel/Project/");
    SetFolderDialogHook(std::move(old));
    // The offscreen platform has nobody to ask; on a display the user
    // cancels with Esc.
    ScopedKeyPresser user("Escape");
    EXPECT_FALSE(BrowseForFolder(&request));
}

} // namespace
