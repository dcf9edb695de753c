// The four footprint generators driven as a user would: each generated
// footprint compared whole with its expected file, saved and reloaded
// byte-identical, and its Gerber files read cleanly by gerbv; the checks on
// leaving a field, the rejected fields that refuse OK, the recalculations and
// the unit.
#include "board/board.h"
#include "board/footprint.h"
#include "cam/gerber_export.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "dialogs/bga.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/dip.h"
#include "dialogs/qfp.h"
#include "dialogs/soic.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/paint_target.h"
#include "platform/settings_store.h"
#include "tests/cam/gerber_test_util.h"
#include "tests/screen_picture.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Id = CFootprintGenerator::ControlId;

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// The user's moves on a dialog.
void Type(PlatformDialog& d, int id, const std::wstring& text) {
    auto* edit = d.GetDlgItemAs<EditControl>(id);
    ASSERT_NE(edit, nullptr) << id;
    d.GotoDlgCtrl(edit); // selects the whole text
    SimulateTyping(edit, text);
}
// Leaves the focused field for another control and lets its check run.
void Leave(PlatformDialog& d, int next) {
    d.GotoDlgCtrl(next);
    PumpPendingMessages();
}
void Click(PlatformDialog& d, int id) {
    PlatformWindow* w = d.GetDlgItem(id);
    ASSERT_NE(w, nullptr) << id;
    SimulateMouse(w, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, POINT{3, 3});
}

class FootprintGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override {
        SettingsStore::Reset();
        PumpPendingMessages();
    }

    // Runs a generator, driven by drive; the footprint of OK, or null.
    std::unique_ptr<CFootprint> Run(PackageKind kind,
                                    const std::function<void(CFootprintGenerator&)>& drive) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* g = dynamic_cast<CFootprintGenerator*>(&d);
            ASSERT_NE(g, nullptr);
            drive(*g);
        });
        return RunFootprintGenerator(kind, nullptr);
    }

    // The footprint saved as a library of its own, named; checks that the
    // file reads back and saves again to the same bytes.
    std::string Saved(std::unique_ptr<CFootprint> footprint, const std::wstring& name) {
        footprint->SetText(name);
        CRoot root;
        root.SetRootTag(L"FootprintLib");
        root.AddChild(footprint.release());
        const std::wstring path = m_dir.W() + L"/" + name + L".footprint";
        EXPECT_TRUE(CXmlFile(&root).Save(path.c_str()));
        const std::string bytes = ReadBytes(WideToUtf8(path));
        CRoot again;
        EXPECT_TRUE(CXmlFile(&again).Load(path.c_str()));
        const std::wstring second = m_dir.W() + L"/" + name + L".again.footprint";
        EXPECT_TRUE(CXmlFile(&again).Save(second.c_str()));
        EXPECT_EQ(ReadBytes(WideToUtf8(second)), bytes) << "saved again";
        return bytes;
    }

    // Places the footprint of a saved library on a board and writes every
    // Gerber file of it; gerbv must read each cleanly.
    void ExpectGerbvReadsFootprint(const std::string& library, const std::string& name) {
        const size_t open = library.find("<FootprintLib>\r\n");
        const size_t close = library.rfind("</FootprintLib>");
        ASSERT_NE(open, std::string::npos);
        const std::string element = library.substr(open + 16, close - open - 16);
        const std::string project =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Project>\r\n"
            "  <Board Outline=\"LIN-40,-40 LIN40,-40 LIN40,40 LIN-40,40\">" +
            name + "\r\n    <Layer>TOP</Layer>\r\n    <Layer>BOT</Layer>\r\n    <Mounting>\r\n" +
            element + "    </Mounting>\r\n  </Board>\r\n</Project>\r\n";
        const std::wstring path = m_dir.W() + L"/" + Utf8ToWide(name) + L".circuit";
        ASSERT_TRUE(WriteWholeFile(path, project));
        CRoot root;
        root.SetRootTag(L"Project");
        ASSERT_TRUE(CXmlFile(&root).Load(path.c_str()));
        BuildBoardNetsInTree(&root);
        ASSERT_EQ(root.GetChildren().size(), 1u);
        auto* board = static_cast<CBoard*>(root.GetChildren()[0]);
        LayerSelectEntry layers[kBoardLayerCount];
        LayerSelectEntry outline;
        SelectAllGerberLayers(board, layers, outline);
        const std::wstring prefix = m_dir.W() + L"/" + Utf8ToWide(name);
        ASSERT_TRUE(WriteGerberFiles(prefix, board, layers, outline, CamSettings{}));
        const std::string outlineFile = WideToUtf8(GerberFileName(prefix, board, -1));
        int withFeatures = 0;
        for (int layer = 0; layer < kBoardLayerCount; ++layer) {
            const std::string file = WideToUtf8(GerberFileName(prefix, board, layer));
            if (!FileExists(Utf8ToWide(file)))
                continue;
            if (ReadBytes(file).find("%ADD") == std::string::npos) {
                // A layer the footprint leaves empty: gerbv guesses at an
                // old-style file but must still read it.
                const GerbvResult r = RunGerbv({file, outlineFile}, 254, m_dir.path + "/e.png");
                EXPECT_EQ(r.status, 0) << file << "\n" << r.output;
                EXPECT_FALSE(GerbvReportsError(r.output, {"Most likely found a RS-274D file",
                                                          "Missing apertures/drill sizes"}))
                    << file << "\n"
                    << r.output;
                continue;
            }
            ++withFeatures;
            ExpectGerbvReads(file, outlineFile, 80, 80, m_dir.path);
        }
        // Copper, silkscreen, mask and paste at least.
        EXPECT_GE(withFeatures, 4) << name;
    }

    ScratchDir m_dir;
    ScopedUiHooksRecorder m_ui;
};

// ---- the generated footprints, whole -------------------------------------------

const char* kSoic8 = R"(<?xml version="1.0" encoding="UTF-8" ?>
<FootprintLib>
  <Footprint Grid="0.635,2.8" Unit="2">SOIC New Footprint
    <Padstack>
      <PadLayer Shape="OBLONG" Size="0.65,1.8"/>
      <Pad Num="1" XY="-1.905,-2.8"/>
      <Pad Num="2" XY="-0.635,-2.8"/>
      <Pad Num="3" XY="0.635,-2.8"/>
      <Pad Num="4" XY="1.905,-2.8"/>
      <Pad Num="5" XY="1.905,2.8"/>
      <Pad Num="6" XY="0.635,2.8"/>
      <Pad Num="7" XY="-0.635,2.8"/>
      <Pad Num="8" XY="-1.905,2.8"/>
    </Padstack>
    <Marking Layer="SST">POLY-3.175,-3.7,-3.175,-1.9,-3.81,-1.9,-3.81,1.9,-3.175,1.9,-3.175,3.7W0.2</Marking>
    <Marking Layer="OLT">RC-2.54,-4.2,2.54,4.2W0</Marking>
  </Footprint>
</FootprintLib>
)";

const char* kQfp8x8 = R"(<?xml version="1.0" encoding="UTF-8" ?>
<FootprintLib>
  <Footprint Grid="0.4,0.4">QFP New Footprint
    <Padstack>
      <PadLayer Shape="OBLONG" Size="0.45,1.6"/>
      <Pad Num="1" XY="-2.8,-4.4"/>
      <Pad Num="2" XY="-2,-4.4"/>
      <Pad Num="3" XY="-1.2,-4.4"/>
      <Pad Num="4" XY="-0.4,-4.4"/>
      <Pad Num="5" XY="0.4,-4.4"/>
      <Pad Num="6" XY="1.2,-4.4"/>
      <Pad Num="7" XY="2,-4.4"/>
      <Pad Num="8" XY="2.8,-4.4"/>
      <Pad Num="17" XY="2.8,4.4"/>
      <Pad Num="18" XY="2,4.4"/>
      <Pad Num="19" XY="1.2,4.4"/>
      <Pad Num="20" XY="0.4,4.4"/>
      <Pad Num="21" XY="-0.4,4.4"/>
      <Pad Num="22" XY="-1.2,4.4"/>
      <Pad Num="23" XY="-2,4.4"/>
      <Pad Num="24" XY="-2.8,4.4"/>
    </Padstack>
    <Padstack>
      <PadLayer Shape="OBLONG" Size="1.6,0.45"/>
      <Pad Num="9" XY="4.4,-2.8"/>
      <Pad Num="10" XY="4.4,-2"/>
      <Pad Num="11" XY="4.4,-1.2"/>
      <Pad Num="12" XY="4.4,-0.4"/>
      <Pad Num="13" XY="4.4,0.4"/>
      <Pad Num="14" XY="4.4,1.2"/>
      <Pad Num="15" XY="4.4,2"/>
      <Pad Num="16" XY="4.4,2.8"/>
      <Pad Num="25" XY="-4.4,2.8"/>
      <Pad Num="26" XY="-4.4,2"/>
      <Pad Num="27" XY="-4.4,1.2"/>
      <Pad Num="28" XY="-4.4,0.4"/>
      <Pad Num="29" XY="-4.4,-0.4"/>
      <Pad Num="30" XY="-4.4,-1.2"/>
      <Pad Num="31" XY="-4.4,-2"/>
      <Pad Num="32" XY="-4.4,-2.8"/>
    </Padstack>
    <Marking Layer="SST">L5.65,-2,6.65,-2W0.2 L0.4,5.65,0.4,6.65W0.2 L-5.65,-1.2,-6.65,-1.2W0.2 CIRCF-5.4,-5.4,-4.4,-4.4W0.2
    POLY3.6,-4.4,4.4,-4.4,4.4,-3.6W0.2 POLY4.4,3.6,4.4,4.4,3.6,4.4W0.2 POLY-3.6,4.4,-4.4,4.4,-4.4,3.6W0.2
    </Marking>
    <Marking Layer="OLT">RC-5.7,-5.7,5.7,5.7W0</Marking>
  </Footprint>
</FootprintLib>
)";

TEST_F(FootprintGeneratorTest, SoicWithItsDefaults) {
    auto footprint = Run(PackageKind::Soic, [](CFootprintGenerator& d) {
        EXPECT_EQ(d.GetWindowText(), L"New SOIC");
        EXPECT_EQ(d.Template().id, 392);
        // Shown in mil, the generator's own unit.
        EXPECT_EQ(d.GetDlgItemAs<ComboBoxControl>(Id::kUnit)->GetCurSel(), kUnitMil);
        EXPECT_EQ(d.GetDlgItemText(Id::kPins), L"8");
        EXPECT_EQ(d.GetDlgItemText(Id::kPitch), L"50.0");
        EXPECT_EQ(d.GetDlgItemText(Id::kPadWidth), L"25.6");
        EXPECT_EQ(d.GetDlgItemText(Id::kCenter), L"220.5");
        Click(d, IDOK);
    });
    ASSERT_TRUE(footprint);
    const std::string saved = Saved(std::move(footprint), L"SOIC New Footprint");
    EXPECT_EQ(saved, CrLf(kSoic8));
    ExpectGerbvReadsFootprint(saved, "soic8");
    EXPECT_TRUE(m_ui.messageBoxes.empty());
}

TEST_F(FootprintGeneratorTest, QfpEightByEightAndItsPicture) {
    auto footprint = Run(PackageKind::Qfp, [](CFootprintGenerator& d) {
        EXPECT_EQ(d.GetWindowText(), L"New QFP");
        EXPECT_EQ(d.GetDlgItemText(Id::kOffsetX), L"4.400");
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(d, L"generator-qfp"));
        auto image = screen_picture::Grab(d);
        ASSERT_NE(image, nullptr);
        EXPECT_TRUE(
            image->SavePng(PathJoin(screen_picture::PictureFolder(), L"generator-qfp.png")));
        // The picture is drawn: its copper pads are there.
        const RECT pic = d.GetDlgItem(Id::kPicture)->GetRectInParent();
        int copper = 0;
        for (int y = pic.top; y < pic.bottom; ++y)
            for (int x = pic.left; x < pic.right; ++x)
                copper += image->PixelAt(x, y) == 0xFFC87533u;
        EXPECT_GT(copper, 200);
        Click(d, IDOK);
    });
    ASSERT_TRUE(footprint);
    const std::string saved = Saved(std::move(footprint), L"QFP New Footprint");
    EXPECT_EQ(saved, CrLf(kQfp8x8));
    ExpectGerbvReadsFootprint(saved, "qfp8");
}

const char* kBga3x21 = R"(<?xml version="1.0" encoding="UTF-8" ?>
<FootprintLib>
  <Footprint Grid="1,1">BGA New Footprint
    <Padstack>
      <PadLayer Size="0.45,0.45"/>
      <PadLayer Layer="SMT" Size="0.45,0.45"/>
      <Pad Num="A1" XY="-1,10"/>
      <Pad Num="A2" XY="0,10"/>
      <Pad Num="A3" XY="1,10"/>
      <Pad Num="B1" XY="-1,9"/>
      <Pad Num="B2" XY="0,9"/>
      <Pad Num="B3" XY="1,9"/>
      <Pad Num="C1" XY="-1,8"/>
      <Pad Num="C2" XY="0,8"/>
      <Pad Num="C3" XY="1,8"/>
      <Pad Num="D1" XY="-1,7"/>
      <Pad Num="D2" XY="0,7"/>
      <Pad Num="D3" XY="1,7"/>
      <Pad Num="E1" XY="-1,6"/>
      <Pad Num="E2" XY="0,6"/>
      <Pad Num="E3" XY="1,6"/>
      <Pad Num="F1" XY="-1,5"/>
      <Pad Num="F2" XY="0,5"/>
      <Pad Num="F3" XY="1,5"/>
      <Pad Num="G1" XY="-1,4"/>
      <Pad Num="G2" XY="0,4"/>
      <Pad Num="G3" XY="1,4"/>
      <Pad Num="H1" XY="-1,3"/>
      <Pad Num="H2" XY="0,3"/>
      <Pad Num="H3" XY="1,3"/>
      <Pad Num="J1" XY="-1,2"/>
      <Pad Num="J2" XY="0,2"/>
      <Pad Num="J3" XY="1,2"/>
      <Pad Num="K1" XY="-1,1"/>
      <Pad Num="K2" XY="0,1"/>
      <Pad Num="K3" XY="1,1"/>
      <Pad Num="L1" XY="-1,0"/>
      <Pad Num="L2"/>
      <Pad Num="L3" XY="1,0"/>
      <Pad Num="M1" XY="-1,-1"/>
      <Pad Num="M2" XY="0,-1"/>
      <Pad Num="M3" XY="1,-1"/>
      <Pad Num="N1" XY="-1,-2"/>
      <Pad Num="N2" XY="0,-2"/>
      <Pad Num="N3" XY="1,-2"/>
      <Pad Num="P1" XY="-1,-3"/>
      <Pad Num="P2" XY="0,-3"/>
      <Pad Num="P3" XY="1,-3"/>
      <Pad Num="R1" XY="-1,-4"/>
      <Pad Num="R2" XY="0,-4"/>
      <Pad Num="R3" XY="1,-4"/>
      <Pad Num="T1" XY="-1,-5"/>
      <Pad Num="T2" XY="0,-5"/>
      <Pad Num="T3" XY="1,-5"/>
      <Pad Num="U1" XY="-1,-6"/>
      <Pad Num="U2" XY="0,-6"/>
      <Pad Num="U3" XY="1,-6"/>
      <Pad Num="V1" XY="-1,-7"/>
      <Pad Num="V2" XY="0,-7"/>
      <Pad Num="V3" XY="1,-7"/>
      <Pad Num="W1" XY="-1,-8"/>
      <Pad Num="W2" XY="0,-8"/>
      <Pad Num="W3" XY="1,-8"/>
      <Pad Num="Y1" XY="-1,-9"/>
      <Pad Num="Y2" XY="0,-9"/>
      <Pad Num="Y3" XY="1,-9"/>
      <Pad Num="AA1" XY="-1,-10"/>
      <Pad Num="AA2" XY="0,-10"/>
      <Pad Num="AA3" XY="1,-10"/>
    </Padstack>
    <Marking Layer="SST">CIRCF-3,12,-2,11W0.2 POLY-2,-8,-2,-11,1,-11W0.2 POLY-1,-11,2,-11,2,-8W0.2 POLY2,8,2,11,-1,11W0.2
    </Marking>
    <Marking Layer="OLT">RC-2,-11,2,11W0</Marking>
  </Footprint>
</FootprintLib>
)";
const char* kBga2x2NoMask = R"(<?xml version="1.0" encoding="UTF-8" ?>
<FootprintLib>
  <Footprint Grid="0.5,0.5">BGA 2 x 2
    <Padstack>
      <PadLayer Size="0.45,0.45"/>
      <Pad Num="A1" XY="-0.5,0.5"/>
      <Pad Num="A2" XY="0.5,0.5"/>
      <Pad Num="B1" XY="-0.5,-0.5"/>
      <Pad Num="B2" XY="0.5,-0.5"/>
    </Padstack>
    <Marking Layer="SST">CIRCF-2.5,2.5,-1.5,1.5W0.2 POLY-1.5,1.5,-1.5,-1.5,1.5,-1.5W0.2 POLY-1.5,-1.5,1.5,-1.5,1.5,1.5W0.2 POLY1.5,-1.5,1.5,1.5,-1.5,1.5W0.2
    </Marking>
    <Marking Layer="OLT">RC-1.5,-1.5,1.5,1.5W0</Marking>
  </Footprint>
</FootprintLib>
)";
const char* kDip24 = R"(<?xml version="1.0" encoding="UTF-8" ?>
<FootprintLib>
  <Footprint Grid="1.27,7.62" Unit="2">DIP New Footprint
    <Padstack>
      <PadLayer Size="1.5,1.5"/>
      <PadLayer Layer="BOT" Size="1.5,1.5"/>
      <PadLayer Layer="INR" Size="1.5,1.5"/>
      <PadLayer Layer="PLN" Size="1.8,1.8"/>
      <Drill Diam="0.8"/>
      <Pad Num="1" XY="-13.97,-7.62"/>
      <Pad Num="2" XY="-11.43,-7.62"/>
      <Pad Num="3" XY="-8.89,-7.62"/>
      <Pad Num="4" XY="-6.35,-7.62"/>
      <Pad Num="5" XY="-3.81,-7.62"/>
      <Pad Num="6" XY="-1.27,-7.62"/>
      <Pad Num="7" XY="1.27,-7.62"/>
      <Pad Num="8" XY="3.81,-7.62"/>
      <Pad Num="9" XY="6.35,-7.62"/>
      <Pad Num="10" XY="8.89,-7.62"/>
      <Pad Num="11" XY="11.43,-7.62"/>
      <Pad Num="12" XY="13.97,-7.62"/>
      <Pad Num="13" XY="13.97,7.62"/>
      <Pad Num="14" XY="11.43,7.62"/>
      <Pad Num="15" XY="8.89,7.62"/>
      <Pad Num="16" XY="6.35,7.62"/>
      <Pad Num="17" XY="3.81,7.62"/>
      <Pad Num="18" XY="1.27,7.62"/>
      <Pad Num="19" XY="-1.27,7.62"/>
      <Pad Num="20" XY="-3.81,7.62"/>
      <Pad Num="21" XY="-6.35,7.62"/>
      <Pad Num="22" XY="-8.89,7.62"/>
      <Pad Num="23" XY="-11.43,7.62"/>
      <Pad Num="24" XY="-13.97,7.62"/>
    </Padstack>
    <Marking Layer="SST">L8.89,-8.89,8.89,-10.89W0.2 L-3.81,8.89,-3.81,10.89W0.2 POLY-16.51,-8.89,-16.51,-6.35,-17.78,-6.35,-17.78,6.35,-16.51,6.35,-16.51,8.89W0.2
    </Marking>
    <Marking Layer="OLT">RC-15.24,-8.89,15.24,8.89W0</Marking>
  </Footprint>
</FootprintLib>
)";

TEST_F(FootprintGeneratorTest, BgaOfTwentyOneRowsCrossesToTwoLetters) {
    auto footprint = Run(PackageKind::Bga, [](CFootprintGenerator& d) {
        EXPECT_EQ(d.GetWindowText(), L"New BGA");
        EXPECT_EQ(d.IsDlgButtonChecked(Id::kMaskDefined), BST_CHECKED);
        Type(d, Id::kPinsH, L"3");
        Leave(d, Id::kPinsV);
        EXPECT_EQ(d.GetDlgItemText(Id::kBodyWidth), L"4.000");
        Type(d, Id::kPinsV, L"21");
        Leave(d, Id::kPitch);
        EXPECT_EQ(d.GetDlgItemText(Id::kBodyLength), L"22.000");
        Click(d, IDOK);
    });
    ASSERT_TRUE(footprint);
    const std::string saved = Saved(std::move(footprint), L"BGA New Footprint");
    EXPECT_EQ(saved, CrLf(kBga3x21));
    ExpectGerbvReadsFootprint(saved, "bga21");
}

TEST_F(FootprintGeneratorTest, BgaWithoutMaskDefinedOpenings) {
    auto footprint = Run(PackageKind::Bga, [](CFootprintGenerator& d) {
        Type(d, Id::kPinsH, L"2");
        Type(d, Id::kPinsV, L"2");
        Leave(d, Id::kPitch);
        Click(d, Id::kMaskDefined);
        EXPECT_FALSE(d.GetDlgItem(Id::kMask)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(Id::kMaskLabel)->IsWindowEnabled());
        Click(d, IDOK);
    });
    ASSERT_TRUE(footprint);
    const std::string saved = Saved(std::move(footprint), L"BGA 2 x 2");
    EXPECT_EQ(saved, CrLf(kBga2x2NoMask));
    ExpectGerbvReadsFootprint(saved, "bga4");
}

TEST_F(FootprintGeneratorTest, DipOfTwentyFourPinsTakesTheWideBody) {
    auto footprint = Run(PackageKind::Dip, [](CFootprintGenerator& d) {
        EXPECT_EQ(d.GetWindowText(), L"New DIP");
        EXPECT_EQ(d.GetDlgItemText(Id::kCenter), L"300.0");
        Type(d, Id::kPins, L"22");
        Leave(d, Id::kPitch);
        EXPECT_EQ(d.GetDlgItemText(Id::kCenter), L"300.0");
        Type(d, Id::kPins, L"24");
        Leave(d, Id::kPitch);
        EXPECT_EQ(d.GetDlgItemText(Id::kCenter), L"600.0");
        Click(d, IDOK);
    });
    ASSERT_TRUE(footprint);
    const std::string saved = Saved(std::move(footprint), L"DIP New Footprint");
    EXPECT_EQ(saved, CrLf(kDip24));
    ExpectGerbvReadsFootprint(saved, "dip24");
}

// ---- checks, rejected fields, recalculations, the unit ----------------------------

TEST_F(FootprintGeneratorTest, ChecksRunOnceWhenAFieldIsLeftAndAgainOnOk) {
    auto footprint = Run(PackageKind::Soic, [this](CFootprintGenerator& d) {
        // While the message is shown the focus wanders to another field and
        // back: the check does not start again.
        UiHooks hooks = GetUiHooks();
        auto answer = hooks.messageBox;
        hooks.messageBox = [&d, answer](const MessageBoxRequest& r) {
            d.GotoDlgCtrl(Id::kCenter);
            PumpPendingMessages();
            return answer(r);
        };
        UiHooks before = SetUiHooks(hooks);
        Type(d, Id::kPins, L"7");
        Leave(d, Id::kPitch);
        SetUiHooks(before);
        ASSERT_EQ(m_ui.messageBoxes.size(), 1u);
        EXPECT_EQ(m_ui.messageBoxes[0].text, L"Pin count must be even");
        EXPECT_EQ(m_ui.messageBoxes[0].caption, L"Vorpel");
        EXPECT_EQ(m_ui.messageBoxes[0].Icon(), MB_ICONERROR);
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(Id::kPins));
        // OK runs the check again and stays open.
        Click(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        ASSERT_EQ(m_ui.messageBoxes.size(), 2u);
        Type(d, Id::kPins, L"20");
        // Pad as wide as the pitch (mil): message on leaving the pad width.
        Type(d, Id::kPadWidth, L"50");
        Leave(d, Id::kPadLength);
        EXPECT_EQ(m_ui.messageBoxes.back().text, L"Pad is wider than pitch");
        // Typing back the text first shown reads it again (it no longer
        // stands for the member, which holds 50 mil now).
        Type(d, Id::kPadWidth, L"25.6");
        Type(d, Id::kPadLength, L"300");
        Leave(d, Id::kCenter);
        EXPECT_EQ(m_ui.messageBoxes.back().text, L"Pad is longer than center-to-center distance");
        m_ui.Clear();
        Click(d, IDOK); // pins pass, the pad length does not
        EXPECT_FALSE(d.IsEnded());
        ASSERT_EQ(m_ui.messageBoxes.size(), 1u);
        EXPECT_EQ(m_ui.messageBoxes[0].text, L"Pad is longer than center-to-center distance");
        Type(d, Id::kPadLength, L"70.9");
        Click(d, IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    ASSERT_TRUE(footprint);
    const std::string saved = Saved(std::move(footprint), L"SOIC20");
    // Twenty pins: tick marks at pads 10 and 20, a pad width beyond the pads'
    // outer ends (2.8 + 0.90043 + 0.65024 from the centre line).
    EXPECT_NE(saved.find("<Marking Layer=\"SST\">L5.715,-4.3507,5.715,-5.3507W0.2 "
                         "L-5.715,4.3507,-5.715,5.3507W0.2 POLY"),
              std::string::npos)
        << saved;
}

TEST_F(FootprintGeneratorTest, RejectedFieldsRefuseOkAndPinCountsAreBounded) {
    struct Case {
        PackageKind kind;
        int id;
        std::wstring bad;
        std::wstring good;
    };
    const Case cases[] = {
        {PackageKind::Soic, Id::kPins, L"eight", L"8"},
        {PackageKind::Soic, Id::kPins, L"2002", L"2000"},
        {PackageKind::Dip, Id::kPins, L"-2", L"2"},
        {PackageKind::Qfp, Id::kPinsH, L"1001", L"1000"},
        {PackageKind::Bga, Id::kPinsV, L"101", L"100"},
        {PackageKind::Bga, Id::kPitch, L"1,0", L"1.0"},
    };
    for (const Case& c : cases) {
        m_ui.Clear();
        auto footprint = Run(c.kind, [&](CFootprintGenerator& d) {
            const std::wstring before = d.GetDlgItemText(c.id);
            Type(d, c.id, c.bad);
            Click(d, IDOK);
            EXPECT_FALSE(d.IsEnded()) << c.bad;
            EXPECT_EQ(m_ui.beeps.size(), 1u) << c.bad;
            EXPECT_TRUE(m_ui.messageBoxes.empty()) << c.bad;
            EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(c.id)) << c.bad;
            EXPECT_EQ(d.GetFootprint(), nullptr);
            EXPECT_EQ(d.GetDlgItemText(c.id), before) << "the value kept is shown again";
            // Leaving the field is refused the same way.
            Type(d, c.id, c.bad);
            Leave(d, IDOK);
            EXPECT_EQ(m_ui.beeps.size(), 2u) << c.bad;
            EXPECT_EQ(d.GetDlgItemText(c.id), before) << c.bad;
            Type(d, c.id, c.good);
            Click(d, IDOK);
            EXPECT_TRUE(d.IsEnded()) << c.good;
        });
        EXPECT_TRUE(footprint) << c.good;
    }
}

TEST_F(FootprintGeneratorTest, TheUnitChangesTheTextsNotTheMillimetres) {
    auto footprint = Run(PackageKind::Qfp, [](CFootprintGenerator& d) {
        auto* combo = d.GetDlgItemAs<ComboBoxControl>(Id::kUnit);
        ASSERT_EQ(combo->GetCount(), 4);
        EXPECT_EQ(combo->GetLBText(3), L"\u03bcm");
        const std::pair<int, std::wstring> shown[] = {
            {kUnitInch, L"0.031"}, {kUnitMil, L"31.5"}, {kUnitMicrometre, L"800"}};
        for (const auto& [unit, pitch] : shown) {
            combo->SetCurSel(unit);
            d.SendMessage(WM_COMMAND, MAKEWPARAM(Id::kUnit, CBN_SELCHANGE), PtrToLParam(combo));
            EXPECT_EQ(d.GetDlgItemText(Id::kPitch), pitch);
        }
        Click(d, IDOK);
    });
    ASSERT_TRUE(footprint);
    // Only the unit attribute differs from the millimetre footprint.
    std::string expected = CrLf(kQfp8x8);
    const std::string grid = "Grid=\"0.4,0.4\"";
    expected.insert(expected.find(grid) + grid.size(), " Unit=\"3\"");
    EXPECT_EQ(Saved(std::move(footprint), L"QFP New Footprint"), expected);

    // The unit last stored with the board settings opens the generators.
    BoardClassSettings::WriteUnit(kUnitInch);
    Run(PackageKind::Soic, [](CFootprintGenerator& d) {
        EXPECT_EQ(d.m_unit, kUnitInch);
        EXPECT_EQ(d.GetDlgItemText(Id::kPitch), L"0.050");
        d.EndDialog(IDCANCEL);
    });
}

TEST_F(FootprintGeneratorTest, OffsetsAndBodySizeFollowTheCountsAndThePitch) {
    Run(PackageKind::Qfp, [](CFootprintGenerator& d) {
        Type(d, Id::kPinsH, L"10");
        Leave(d, Id::kPinsV);
        EXPECT_EQ(d.GetDlgItemText(Id::kOffsetX), L"5.200"); // 11 x 0.8 / 2 + 0.8
        EXPECT_EQ(d.GetDlgItemText(Id::kOffsetY), L"4.400");
        Type(d, Id::kPadLength, L"2");
        Leave(d, Id::kOffsetX); // the length alone changes no offset
        EXPECT_EQ(d.GetDlgItemText(Id::kOffsetX), L"5.200");
        Type(d, Id::kPitch, L"0.5");
        Leave(d, Id::kPadWidth);
        EXPECT_EQ(d.GetDlgItemText(Id::kOffsetX), L"3.750"); // 11 x 0.5 / 2 + 1
        EXPECT_EQ(d.GetDlgItemText(Id::kOffsetY), L"3.250");
        d.EndDialog(IDCANCEL);
    });
    Run(PackageKind::Bga, [this](CFootprintGenerator& d) {
        Type(d, Id::kPitch, L"0.8");
        Leave(d, Id::kBall);
        EXPECT_EQ(d.GetDlgItemText(Id::kBodyWidth), L"9.000"); // 8.8 to the half mm
        Type(d, Id::kPinsV, L"12");
        Leave(d, Id::kBall);
        EXPECT_EQ(d.GetDlgItemText(Id::kBodyLength), L"10.500"); // 10.4
        Type(d, Id::kBall, L"0.8");
        Leave(d, Id::kBodyWidth);
        EXPECT_EQ(m_ui.messageBoxes.back().text, L"Pad is wider than pitch");
        d.EndDialog(IDCANCEL);
    });
}

TEST(BgaRowNames, SkipLettersAndRunToTwoLetters) {
    const std::pair<uint32_t, const wchar_t*> names[] = {
        {0, L"A"},   {7, L"H"},    {8, L"J"},    {12, L"N"},   {13, L"P"},  {14, L"R"},
        {15, L"T"},  {18, L"W"},   {19, L"Y"},   {20, L"AA"},  {39, L"AY"}, {40, L"BA"},
        {59, L"BY"}, {419, L"YY"}, {420, L"ZA"}, {439, L"ZY"}, {440, L""},
    };
    for (const auto& [row, name] : names)
        EXPECT_EQ(BgaRowName(row), name) << row;
}

// Each generator on the screen, its picture drawn once the fields are
// filled in: what the screen shows equals a full repaint.
TEST_F(FootprintGeneratorTest, EveryGeneratorOnTheScreenAsRepainted) {
    const std::pair<PackageKind, const wchar_t*> kinds[] = {{PackageKind::Soic, L"generator-soic"},
                                                            {PackageKind::Qfp, L"generator-qfp"},
                                                            {PackageKind::Bga, L"generator-bga"},
                                                            {PackageKind::Dip, L"generator-dip"}};
    for (const auto& [kind, name] : kinds) {
        Run(kind, [&, name = name](CFootprintGenerator& d) {
            screen_picture::CheckAndWrite(d, name);
            d.EndDialog(IDCANCEL);
        });
    }
}

} // namespace
