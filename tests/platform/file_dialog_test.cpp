// The open and save dialogs answered by the hook tests install.
#include "platform/file_dialog.h"
#include "platform/text.h"
#include "tests/screen_user.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

struct FileHookGuard {
    explicit FileHookGuard(FileDialogHook h) : previous(SetFileDialogHook(std::move(h))) {}
    ~FileHookGuard() { SetFileDialogHook(std::move(previous)); }
    FileDialogHook previous;
};

std::wstring Scratch(const std::wstring& name) {
    const char* home = std::getenv("VORPEL_CONFIG_HOME");
    std::string dir = home ? home : "/tmp";
    return std::wstring(dir.begin(), dir.end()) + L"/" + name;
}

FileDialogRequest GerberRequest() {
    FileDialogRequest r;
    r.filters = {{L"Gerber Files (*.gbr)", L"*.gbr"}, {L"All Files (*.*)", L"*.*"}};
    r.fileName = L"demo";
    r.initialDir = L"/tmp/out";
    r.overwritePrompt = true;
    return r;
}

TEST(FileDialog, SaveHookSeesTheRequestAndItsAnswerComesBack) {
    FileDialogKind kind = FileDialogKind::Open;
    FileDialogRequest seen;
    FileHookGuard guard([&](FileDialogKind k, FileDialogRequest& r) {
        kind = k;
        seen = r;
        r.fileName = L"/tmp/out/x.gbr";
        r.filterIndex = 1;
        return true;
    });
    FileDialogRequest r = GerberRequest();
    ASSERT_TRUE(GetSaveFileName(&r));
    EXPECT_EQ(kind, FileDialogKind::Save);
    ASSERT_EQ(seen.filters.size(), 2u);
    EXPECT_EQ(seen.filters[0].first, L"Gerber Files (*.gbr)");
    EXPECT_EQ(seen.filters[0].second, L"*.gbr");
    EXPECT_EQ(seen.filters[1].second, L"*.*");
    EXPECT_EQ(seen.fileName, L"demo");
    EXPECT_EQ(seen.initialDir, L"/tmp/out");
    EXPECT_TRUE(seen.overwritePrompt);
    EXPECT_EQ(r.fileName, L"/tmp/out/x.gbr");
}

TEST(FileDialog, CancelAndEmptyAnswersFail) {
    FileHookGuard cancel([](FileDialogKind, FileDialogRequest&) { return false; });
    FileDialogRequest r = GerberRequest();
    EXPECT_FALSE(GetSaveFileName(&r));
    FileHookGuard empty([](FileDialogKind, FileDialogRequest& req) {
        req.fileName.clear();
        return true;
    });
    EXPECT_FALSE(GetOpenFileName(&r));
}

TEST(FileDialog, DefaultExtensionIsAddedToNamesWithoutOne) {
    struct Case {
        const wchar_t* answer;
        const wchar_t* ext;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"/tmp/a/board", L"gbr", L"/tmp/a/board.gbr"},
        {L"/tmp/a/board.txt", L"gbr", L"/tmp/a/board.txt"},
        {L"/tmp/a.b/board", L"gbr", L"/tmp/a.b/board.gbr"},
        {L"/tmp/a/.hidden", L"ini", L"/tmp/a/.hidden.ini"},
        {L"/tmp/a/board", L"", L"/tmp/a/board"},
    };
    for (const Case& c : cases) {
        FileHookGuard guard([&](FileDialogKind, FileDialogRequest& r) {
            r.fileName = c.answer;
            return true;
        });
        FileDialogRequest r;
        r.defaultExt = c.ext;
        ASSERT_TRUE(GetSaveFileName(&r));
        EXPECT_EQ(r.fileName, c.expected) << c.answer;
    }
}

TEST(FileDialog, ReplacingAnExistingFileIsAskedFirst) {
    std::wstring existing = Scratch(L"existing.gbr");
    { std::ofstream(WideToUtf8(existing)) << "x"; }
    FileHookGuard guard([&](FileDialogKind, FileDialogRequest& r) {
        r.fileName = existing;
        return true;
    });
    ScopedUiHooksRecorder ui;
    ui.Answer({IDNO, IDYES});
    FileDialogRequest r = GerberRequest();
    EXPECT_FALSE(GetSaveFileName(&r));
    r = GerberRequest();
    EXPECT_TRUE(GetSaveFileName(&r));
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[0].Buttons(), MB_YESNO);
    EXPECT_NE(ui.messageBoxes[0].text.find(L"existing.gbr"), std::wstring::npos);
    // No question without the flag, or for a new file.
    r = GerberRequest();
    r.overwritePrompt = false;
    EXPECT_TRUE(GetSaveFileName(&r));
    EXPECT_EQ(ui.messageBoxes.size(), 2u);
    std::remove(WideToUtf8(existing).c_str());
    r = GerberRequest();
    EXPECT_TRUE(GetSaveFileName(&r));
    EXPECT_EQ(ui.messageBoxes.size(), 2u);
}

TEST(FileDialog, OpenOfAMissingFileThatMustExistFails) {
    FileHookGuard guard([](FileDialogKind k, FileDialogRequest& r) {
        EXPECT_EQ(k, FileDialogKind::Open);
        r.fileName = L"/nonexistent/palette.ini";
        return true;
    });
    FileDialogRequest r;
    r.fileMustExist = true;
    EXPECT_FALSE(GetOpenFileName(&r));
    r.fileMustExist = false;
    EXPECT_TRUE(GetOpenFileName(&r));
}

// On a display the dialog waits for the user, who cancels it with Esc.
TEST(FileDialog, WithoutAHookOffscreenNothingBlocks) {
    FileHookGuard none(nullptr);
    ScopedKeyPresser user("Escape");
    FileDialogRequest r = GerberRequest();
    EXPECT_FALSE(GetSaveFileName(&r));
    EXPECT_FALSE(GetOpenFileName(&r));
    EXPECT_EQ(r.fileName, L"demo");
}

} // namespace
