// The "Gerber settings" dialog driven as a user would, through
// EditGerberSettings and the settings store.
#include "cam/settings.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "platform/input_simulation.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/focus_input.h"
#include "tests/pointer_input.h"
#include "tests/screen_picture.h"
#include "tests/screen_user.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using Id = CSettings::ControlId;

const int kLengthIds[] = {Id::kLineThickness, Id::kPadTol,       Id::kMarkingTol,
                          Id::kTextTol,       Id::kMaskIncrease, Id::kPasteDecrease};
const int kUnitLabelIds[] = {Id::kLineThicknessUnit, Id::kPadTolUnit,       Id::kMarkingTolUnit,
                             Id::kTextTolUnit,       Id::kMaskIncreaseUnit, Id::kPasteDecreaseUnit};

void Click(PlatformDialog& d, int id) {
    PlatformWindow* w = d.GetDlgItem(id);
    ASSERT_NE(w, nullptr) << id;
    SimulateMouse(w, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, POINT{3, 3});
}

// A click into a control where the pointer finds it.
void ClickAt(PlatformWindow* w) {
    ASSERT_NE(w, nullptr);
    MouseAt(w, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
    MouseAt(w, WM_LBUTTONUP, POINT{3, 3});
    PumpPendingMessages();
}

std::vector<std::wstring> Lengths(PlatformDialog& d) {
    std::vector<std::wstring> out;
    for (int id : kLengthIds)
        out.push_back(d.GetDlgItemText(id));
    return out;
}

std::vector<std::wstring> Labels(PlatformDialog& d) {
    std::vector<std::wstring> out;
    for (int id : kUnitLabelIds)
        out.push_back(d.GetDlgItemText(id));
    return out;
}

class GerberSettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        g_CamSettings = CamSettings{};
    }
    void TearDown() override {
        SettingsStore::Reset();
        g_CamSettings = CamSettings{};
    }
    // Runs the command with the dialog driven by drive; answers what the
    // dialog ended with.
    int Edit(std::function<void(CSettings&)> drive) {
        int result = -1;
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* dlg = dynamic_cast<CSettings*>(&d);
            ASSERT_NE(dlg, nullptr);
            drive(*dlg);
            result = d.IsEnded() ? d.GetResult() : -1;
        });
        EditGerberSettings();
        return result;
    }
    static bool KeyHasValues() {
        SettingsKey key;
        return key.Open(kGerberSettingsKey) && !key.ValueNames().empty();
    }
    ScopedUiHooksRecorder ui_;
};

TEST_F(GerberSettingsDialog, WithoutAKeyTheDefaultsAreShown) {
    Edit([](CSettings& d) {
        EXPECT_EQ(d.GetWindowText(), L"Gerber settings");
        EXPECT_EQ(d.Template().id, 103);
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kMillimeter), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kInch), BST_UNCHECKED);
        auto* resInt = d.GetDlgItemAs<ComboBoxControl>(Id::kResInt);
        auto* resFlt = d.GetDlgItemAs<ComboBoxControl>(Id::kResFlt);
        ASSERT_EQ(resInt->GetCount(), 3);
        EXPECT_EQ(resInt->GetLBText(0), L"2");
        EXPECT_EQ(resInt->GetLBText(2), L"4");
        EXPECT_EQ(resInt->GetLBText(resInt->GetCurSel()), L"3");
        EXPECT_EQ(resFlt->GetLBText(resFlt->GetCurSel()), L"3");
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kTextFill), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kTextOutline), BST_UNCHECKED);
        EXPECT_EQ(Lengths(d), (std::vector<std::wstring>{L"0.2", L"0.025", L"0.05", L"0.05",
                                                         L"0.075", L"0.075"}));
        EXPECT_EQ(Labels(d), std::vector<std::wstring>(6, L"mm"));
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kViaCover), BST_CHECKED);
        EXPECT_EQ(d.GetDlgItemText(Id::kViaCover), L"Cover via with mask");
        // Fill region: the line thickness is not used.
        EXPECT_FALSE(d.GetDlgItem(Id::kLineThickness)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(Id::kLineThicknessLabel)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(Id::kLineThicknessUnit)->IsWindowEnabled());
        d.EndDialog(2);
    });
}

TEST_F(GerberSettingsDialog, EveryControlWithItsText) {
    const std::pair<int, const wchar_t*> texts[] = {
        {Id::kInch, L"Inch"},
        {Id::kMillimeter, L"Millimeter"},
        {Id::kTextFill, L"Fill region (G36/G37 commands)"},
        {Id::kTextOutline, L"Outline (G01-D01/D02 commands)"},
        {Id::kLineThicknessLabel, L"Line thickness:"},
        {Id::kViaOpen, L"Left via open"},
        {Id::kViaPadstack, L"Use via padstack"},
        {1, L"OK"},
        {2, L"Cancel"},
    };
    std::vector<std::wstring> all;
    for (const DialogItem& item : CSettings::Resource().items)
        all.push_back(item.text);
    for (const wchar_t* t :
         {L"Gerber units", L"Output resolution", L".", L"Text drawing",
          L"Curves approximation tolerance", L"Pads:", L"Footprint marking:", L"Text:",
          L"Solder mask && paste default settings", L"Increase mask size:", L"Decrease paste size:",
          L"Cover via with mask"})
        EXPECT_NE(std::find(all.begin(), all.end(), t), all.end()) << WideToUtf8(t);
    Edit([&](CSettings& d) {
        for (const auto& [id, text] : texts)
            EXPECT_EQ(d.GetDlgItemText(id), text) << id;
        d.EndDialog(2);
    });
}

TEST_F(GerberSettingsDialog, SwitchingUnitsShowsMilAndBack) {
    Edit([](CSettings& d) {
        Click(d, Id::kInch);
        EXPECT_EQ(Lengths(d), (std::vector<std::wstring>{L"7.87", L"0.984", L"1.97", L"1.97",
                                                         L"2.95", L"2.95"}));
        EXPECT_EQ(Labels(d), std::vector<std::wstring>(6, L"mil"));
        Click(d, Id::kMillimeter);
        EXPECT_EQ(Lengths(d), (std::vector<std::wstring>{L"0.2", L"0.025", L"0.05", L"0.05",
                                                         L"0.075", L"0.075"}));
        EXPECT_EQ(Labels(d), std::vector<std::wstring>(6, L"mm"));
        d.EndDialog(2);
    });
}

// Values the user did not edit survive unit switches unrounded; an edited
// one is taken as typed.
TEST_F(GerberSettingsDialog, UnitSwitchesDoNotRoundUneditedValues) {
    EXPECT_EQ(Edit([](CSettings& d) {
                  for (int i = 0; i < 3; ++i) {
                      Click(d, Id::kInch);
                      Click(d, Id::kMillimeter);
                  }
                  EXPECT_FLOAT_EQ(d.m_smIncr, 0.075f);
                  Click(d, Id::kInch);
                  d.SetDlgItemText(Id::kMaskIncrease, L"3");
                  Click(d, Id::kMillimeter);
                  EXPECT_EQ(d.GetDlgItemText(Id::kMaskIncrease), L"0.0762");
                  EXPECT_EQ(d.GetDlgItemText(Id::kPasteDecrease), L"0.075");
                  Click(d, 1);
              }),
              1);
    EXPECT_FLOAT_EQ(g_CamSettings.smIncr, static_cast<float>(3 * 0.0254));
    EXPECT_FLOAT_EQ(g_CamSettings.spDecr, 0.075f);
    EXPECT_FLOAT_EQ(g_CamSettings.lineThck, 0.2f);
}

TEST_F(GerberSettingsDialog, ClickingTheSelectedUnitChangesNothing) {
    Edit([](CSettings& d) {
        float before = d.m_padTol;
        Click(d, Id::kMillimeter);
        Click(d, Id::kMillimeter);
        EXPECT_EQ(d.m_padTol, before);
        EXPECT_EQ(d.m_unit, 1);
        EXPECT_EQ(Lengths(d), (std::vector<std::wstring>{L"0.2", L"0.025", L"0.05", L"0.05",
                                                         L"0.075", L"0.075"}));
        d.EndDialog(2);
    });
}

TEST_F(GerberSettingsDialog, TextModeEnablesTheLineThickness) {
    Edit([](CSettings& d) {
        Click(d, Id::kTextOutline);
        EXPECT_EQ(d.m_textMode, 1);
        EXPECT_TRUE(d.GetDlgItem(Id::kLineThickness)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(Id::kLineThicknessLabel)->IsWindowEnabled());
        Click(d, Id::kTextFill);
        EXPECT_FALSE(d.GetDlgItem(Id::kLineThickness)->IsWindowEnabled());
        Click(d, 1);
    });
    EXPECT_EQ(g_CamSettings.textDrawingMode, 0);
}

TEST_F(GerberSettingsDialog, PadsFieldReading) {
    struct Case {
        std::wstring typed;
        bool accepted;
        float value;
    };
    const Case cases[] = {
        {L"abc", false, 0.025f},
        {L" 0.03 ", true, 0.03f},
        {L"0.03mm", false, 0.025f},
        {L"", false, 0.025f},
        // A tolerance must be above 0.
        {L"0", false, 0.025f},
        {L"-0.01", false, 0.025f},
    };
    for (const Case& c : cases) {
        ui_.Clear();
        Edit([&](CSettings& d) {
            d.SetDlgItemText(Id::kPadTol, c.typed);
            d.GotoDlgCtrl(Id::kInch);
            Click(d, Id::kTextFill); // reads every control back
            EXPECT_EQ(d.m_padTol, c.value) << WideToUtf8(c.typed);
            if (c.accepted) {
                EXPECT_TRUE(ui_.beeps.empty()) << WideToUtf8(c.typed);
            } else {
                EXPECT_EQ(ui_.beeps, (std::vector<unsigned>{kSimpleBeep})) << WideToUtf8(c.typed);
                EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(Id::kPadTol));
            }
            d.EndDialog(2);
        });
    }
}

TEST_F(GerberSettingsDialog, ZeroIsAcceptedWhereAllowed) {
    EXPECT_EQ(Edit([](CSettings& d) {
                  Click(d, Id::kTextOutline);
                  d.SetDlgItemText(Id::kLineThickness, L"0");
                  d.SetDlgItemText(Id::kMaskIncrease, L"0");
                  d.SetDlgItemText(Id::kPasteDecrease, L"-0.02");
                  Click(d, 1);
              }),
              1);
    EXPECT_TRUE(ui_.beeps.empty());
    EXPECT_EQ(g_CamSettings.lineThck, 0.0f);
    EXPECT_EQ(g_CamSettings.smIncr, 0.0f);
    EXPECT_EQ(g_CamSettings.spDecr, -0.02f);
}

TEST_F(GerberSettingsDialog, OutOfRangeValuesCannotBeConfirmed) {
    struct Case {
        int id;
        const wchar_t* typed;
    };
    const Case cases[] = {
        {Id::kPadTol, L"0"},
        {Id::kMarkingTol, L"-0.05"},
        {Id::kTextTol, L"0.000"},
        {Id::kLineThickness, L"-0.1"},
    };
    for (const Case& c : cases) {
        ui_.Clear();
        int result = Edit([&](CSettings& d) {
            d.SetDlgItemText(c.id, c.typed);
            Click(d, 1);
            EXPECT_FALSE(d.IsEnded()) << c.id;
            EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(c.id));
            EXPECT_EQ(ui_.beeps.size(), 1u);
            // Enter does not confirm either; a valid value then does.
            d.SetDlgItemText(c.id, c.typed);
            SimulateKey(d.GetDlgItem(c.id), true, VK_RETURN);
            EXPECT_FALSE(d.IsEnded());
            d.SetDlgItemText(c.id, L"0.04");
            Click(d, 1);
        });
        EXPECT_EQ(result, 1);
    }
    EXPECT_EQ(g_CamSettings.padTol, 0.04f);
    EXPECT_EQ(g_CamSettings.lineThck, 0.04f);
    // Cancel still closes with such a value, storing nothing.
    SettingsStore::Reset();
    g_CamSettings = CamSettings{};
    EXPECT_EQ(Edit([](CSettings& d) {
                  d.SetDlgItemText(Id::kPadTol, L"0");
                  Click(d, 2);
              }),
              2);
    EXPECT_FALSE(KeyHasValues());
    EXPECT_EQ(g_CamSettings, CamSettings{});
}

// An unreadable field stops the reading there: the fields after it are not
// read. OK does not close over it; the field shows the value it keeps, which
// a second OK confirms with the rest.
TEST_F(GerberSettingsDialog, AnUnreadableFieldKeepsItsValueAndHoldsOk) {
    EXPECT_EQ(Edit([](CSettings& d) {
                  d.SetDlgItemText(Id::kMarkingTol, L"abc");
                  d.SetDlgItemText(Id::kTextTol, L"0.09"); // after it: not read
                  Click(d, Id::kViaPadstack);              // not read either
                  Click(d, 1);
                  EXPECT_FALSE(d.IsEnded());
                  EXPECT_EQ(d.m_textTol, 0.05f);
                  EXPECT_EQ(d.m_via, 0);
                  EXPECT_EQ(d.GetDlgItemText(Id::kMarkingTol), L"0.05");
                  EXPECT_EQ(d.GetDlgItemText(Id::kTextTol), L"0.09");
                  Click(d, 1);
              }),
              1);
    EXPECT_EQ(ui_.beeps.size(), 1u);
    EXPECT_EQ(g_CamSettings.markingTol, 0.05f);
    EXPECT_EQ(g_CamSettings.textTol, 0.09f);
    EXPECT_EQ(g_CamSettings.coverViaWithMask, 2);
}

// Keys as the user gives them: a refused entry and Enter beep, the dialog
// stays open and the field shows the value kept; Esc then leaves the
// stored settings as they were.
TEST_F(GerberSettingsDialog, ARefusedEntryIsShownAsRefusedAndNothingIsStored) {
    const std::pair<int, const wchar_t*> refused[] = {
        {Id::kPadTol, L"abc"},        {Id::kMaskIncrease, L"-1"}, {Id::kTextTol, L"0"},
        {Id::kPasteDecrease, L"1,5"}, {Id::kMarkingTol, L""},
    };
    EXPECT_EQ(Edit([&](CSettings& d) {
                  ASSERT_TRUE(dialog_driver::ShownOnScreen(d));
                  for (const auto& [id, typed] : refused) {
                      SCOPED_TRACE(WideToUtf8(typed));
                      const std::wstring kept = d.GetDlgItemText(id);
                      ClickAt(d.GetDlgItem(id));
                      PressKeyAtFocus('A', MK_CONTROL);
                      if (*typed)
                          TypeAtFocus(typed);
                      else
                          PressKeyAtFocus(VK_DELETE);
                      ASSERT_EQ(d.GetDlgItemText(id), typed);
                      PressKeyAtFocus(VK_RETURN);
                      EXPECT_FALSE(d.IsEnded());
                      EXPECT_EQ(ui_.beeps, (std::vector<unsigned>{kSimpleBeep}));
                      EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(id));
                      EXPECT_EQ(d.GetDlgItemText(id), kept);
                      ui_.Clear();
                  }
                  PressKeyAtFocus(VK_ESCAPE);
              }),
              2);
    EXPECT_FALSE(KeyHasValues());
    EXPECT_EQ(g_CamSettings, CamSettings{});
}

TEST_F(GerberSettingsDialog, ConfirmingWithInchStoresUnit0AndMillimetres) {
    EXPECT_EQ(Edit([](CSettings& d) {
                  Click(d, Id::kInch);
                  d.GetDlgItemAs<ComboBoxControl>(Id::kResInt)->SetCurSel(0);
                  d.GetDlgItemAs<ComboBoxControl>(Id::kResFlt)->SetCurSel(2);
                  d.SetDlgItemText(Id::kPadTol, L"1");
                  Click(d, Id::kViaOpen);
                  Click(d, 1);
              }),
              1);
    SettingsStore::Flush();
    SettingsStore::Reload();
    SettingsKey key;
    ASSERT_TRUE(key.Open(kGerberSettingsKey));
    uint32_t n = 99;
    EXPECT_EQ(key.QueryNumber(L"Unit", &n), SettingsResult::Ok);
    EXPECT_EQ(n, 0u);
    key.QueryNumber(L"Res_Int", &n);
    EXPECT_EQ(n, 2u);
    key.QueryNumber(L"Res_Flt", &n);
    EXPECT_EQ(n, 4u);
    key.QueryNumber(L"CoverViaWithMask", &n);
    EXPECT_EQ(n, 1u);
    float f = 0;
    EXPECT_EQ(key.QueryFloat(L"PadTol", &f), SettingsResult::Ok);
    EXPECT_FLOAT_EQ(f, 0.0254f);
    // Shown as 7.87 mil but not edited: stored back unrounded.
    key.QueryFloat(L"LineThck", &f);
    EXPECT_FLOAT_EQ(f, 0.2f);
    key.QueryFloat(L"SM_Incr", &f);
    EXPECT_FLOAT_EQ(f, 0.075f);
    EXPECT_EQ(g_CamSettings.unit, 0);
    EXPECT_FLOAT_EQ(g_CamSettings.padTol, 0.0254f);

    // Opening again shows the stored inch settings in mil.
    Edit([](CSettings& d) {
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kInch), BST_CHECKED);
        EXPECT_EQ(d.GetDlgItemText(Id::kPadTol), L"1");
        EXPECT_EQ(Labels(d), std::vector<std::wstring>(6, L"mil"));
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kViaOpen), BST_CHECKED);
        d.EndDialog(2);
    });
}

TEST_F(GerberSettingsDialog, CancelStoresNothing) {
    EXPECT_EQ(Edit([](CSettings& d) {
                  Click(d, Id::kInch);
                  d.SetDlgItemText(Id::kPadTol, L"2");
                  SimulateKey(d.GetDlgItem(Id::kPadTol), true, VK_ESCAPE);
              }),
              2);
    EXPECT_FALSE(KeyHasValues());
    EXPECT_EQ(g_CamSettings, CamSettings{});
}

TEST_F(GerberSettingsDialog, TheKeyIsReadWhenTheDialogOpens) {
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kGerberSettingsKey));
        key.SetNumber(L"TextDrawingMode", 1);
        key.SetFloat(L"LineThck", 0.125f);
        key.SetFloat(L"TextTol", 0.0f); // out of range: the default instead
    }
    Edit([](CSettings& d) {
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kTextOutline), BST_CHECKED);
        EXPECT_TRUE(d.GetDlgItem(Id::kLineThickness)->IsWindowEnabled());
        EXPECT_EQ(d.GetDlgItemText(Id::kLineThickness), L"0.125");
        EXPECT_EQ(d.GetDlgItemText(Id::kTextTol), L"0.05");
        d.EndDialog(2);
    });
    EXPECT_EQ(g_CamSettings.textDrawingMode, 1);
}

// Offscreen nobody answers and the dialog cancels; on a display the user's
// Esc does.
TEST_F(GerberSettingsDialog, NoHookOffscreenCancels) {
    {
        ScopedKeyPresser user("Escape");
        EditGerberSettings();
    }
    EXPECT_FALSE(KeyHasValues());
}

// On the screen the dialog shows what a full repaint shows.
TEST_F(GerberSettingsDialog, OnTheScreenAsRepainted) {
    Edit([](CSettings& d) {
        screen_picture::CheckAndWrite(d, L"gerber-settings");
        d.EndDialog(2);
    });
}

} // namespace
