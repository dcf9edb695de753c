#include "platform/ui_hooks.h"
#include "tests/screen_user.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

namespace {

TEST(UiHooks, RecorderSeesTheBoxAndGivesScriptedAnswers) {
    ScopedUiHooksRecorder ui;
    ui.Answer({IDNO, IDCANCEL});
    EXPECT_EQ(ShowMessageBox(L"Project was changed; save changes?", L"Vorpel",
                             MB_YESNOCANCEL | MB_ICONQUESTION),
              IDNO);
    EXPECT_EQ(ShowMessageBox(L"Page was changed; save changes?", L"Vorpel", MB_YESNO), IDCANCEL);
    // Once the script is used up the default button answers.
    EXPECT_EQ(ShowMessageBox(L"No grid defined", L"Vorpel", MB_ICONSTOP), IDOK);

    ASSERT_EQ(ui.messageBoxes.size(), 3u);
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].text, L"Project was changed; save changes?");
    EXPECT_EQ(ui.messageBoxes[0].Buttons(), MB_YESNOCANCEL);
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONQUESTION);
    EXPECT_EQ(ui.messageBoxes[0].answer, IDNO);
    EXPECT_EQ(ui.messageBoxes[1].Buttons(), MB_YESNO);
    EXPECT_EQ(ui.messageBoxes[2].Icon(), MB_ICONERROR);
    EXPECT_EQ(ui.messageBoxes[2].answer, IDOK);
    EXPECT_EQ(ui.PendingAnswers(), 0u);
}

TEST(UiHooks, BeepsAndStatusTextsAreRecorded) {
    ScopedUiHooksRecorder ui;
    MessageBeep();
    MessageBeep(MB_ICONWARNING);
    SetStatusText(1, L"Net: N1");
    SetStatusText(0, L"Ready");
    EXPECT_EQ(ui.beeps, (std::vector<unsigned>{kSimpleBeep, MB_ICONWARNING}));
    ASSERT_EQ(ui.statusTexts.size(), 2u);
    EXPECT_EQ(ui.statusTexts[0], (std::pair<int, std::wstring>{1, L"Net: N1"}));
    EXPECT_EQ(ui.statusTexts[1], (std::pair<int, std::wstring>{0, L"Ready"}));
}

TEST(UiHooks, RecordersNestAndRestoreTheHooksBefore) {
    ScopedUiHooksRecorder outer;
    {
        ScopedUiHooksRecorder inner;
        ShowMessageBox(L"inner", L"Vorpel");
        EXPECT_EQ(inner.messageBoxes.size(), 1u);
    }
    ShowMessageBox(L"outer", L"Gerber");
    ASSERT_EQ(outer.messageBoxes.size(), 1u);
    EXPECT_EQ(outer.messageBoxes[0].text, L"outer");
    EXPECT_EQ(outer.messageBoxes[0].caption, L"Gerber");
}

TEST(UiHooks, DefaultButtons) {
    struct Case {
        unsigned style;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON3, IDYES}, // no third button: the first
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_OK | MB_DEFBUTTON2, IDOK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultMessageBoxAnswer(c.style), c.answer) << std::hex << c.style;
}

// Without hooks on the offscreen platform nobody can answer: the box is
// written to stderr and the default button answers, and nothing blocks. On a
// display the box waits for the user, whose Enter picks the default button.
TEST(UiHooks, WithoutHooksTheDefaultButtonAnswers) {
    UiHooks previous = SetUiHooks(UiHooks{});
    ScopedKeyPresser user("Return");
    EXPECT_EQ(ShowMessageBox(L"Project was changed; save changes?", L"Vorpel",
                             MB_YESNOCANCEL | MB_DEFBUTTON3),
              IDCANCEL);
    MessageBeep();
    SetStatusText(0, L"Ready");
    SetUiHooks(std::move(previous));
}

} // namespace
