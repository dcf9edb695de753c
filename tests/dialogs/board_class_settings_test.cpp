#include "board/board.h"
#include "board/board_properties.h"
#include "board/drill.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "dialogs/board_class_settings.h"
#include "platform/settings_store.h"
#include "tests/board/board_fixture.h"

#include <gtest/gtest.h>

#include <bit>
#include <memory>

namespace {

class BoardClassSettingsTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        SettingsStore::Reset();
    }
    void TearDown() override {
        SettingsStore::Reset();
        BoardFixture::TearDown();
    }
    static void SetClass(uint32_t c) {
        SettingsKey key;
        ASSERT_TRUE(key.Create(BoardClassSettings::kKeyPath));
        key.SetNumber(L"BoardClass", c);
    }
};

struct ClassCase {
    uint32_t storedClass;
    float width, viaRouting, viaPlane, viaDrill;
};

// An empty subkey gives each class its built-in values; a class outside the
// three reads as class 0.
TEST_F(BoardClassSettingsTest, NewPropertiesFollowTheCurrentClass) {
    const ClassCase cases[] = {
        {0, 0.25f, 1.3f, 1.7f, 0.7f},
        {1, 0.15f, 1.0f, 1.4f, 0.5f},
        {2, 0.10f, 0.6f, 0.9f, 0.3f},
        {7, 0.25f, 1.3f, 1.7f, 0.7f},
    };
    for (const ClassCase& c : cases) {
        SettingsStore::Reset();
        SetClass(c.storedClass);
        std::unique_ptr<CBoardProperties> p(CreateDefaultBoardProperties());
        SCOPED_TRACE(c.storedClass);
        EXPECT_EQ(p->m_defaultVia, L"");
        EXPECT_FLOAT_EQ(p->m_conductorWidth, c.width);
        EXPECT_FLOAT_EQ(p->m_conductorSpacing, c.width);
        EXPECT_FLOAT_EQ(p->m_isolationWidth, 0.3f);
        EXPECT_FLOAT_EQ(p->m_spokeWidth, 0.3f);
        ASSERT_EQ(p->GetChildren().size(), 2u);
        auto* via = static_cast<CPadstack*>(p->GetChildren()[0]);
        ASSERT_EQ(via->GetType(), NodeType::Padstack);
        EXPECT_EQ(via->GetName(), L"Via 1");
        EXPECT_TRUE(via->m_noThermal);
        const int layers[] = {0, 1, 2, 3, 26, 27};
        const float sizes[] = {c.viaRouting, c.viaRouting, c.viaRouting, c.viaPlane, 0, 0};
        ASSERT_EQ(via->GetChildren().size(), 7u);
        for (int i = 0; i < 6; ++i) {
            auto* pad = static_cast<CPadLayer*>(via->GetChildren()[static_cast<size_t>(i)]);
            ASSERT_EQ(pad->GetType(), NodeType::PadLayer);
            EXPECT_EQ(pad->m_layer, layers[i]);
            EXPECT_EQ(pad->m_shape, kPadShapeRound);
            EXPECT_FLOAT_EQ(pad->m_width, sizes[i]);
            EXPECT_FLOAT_EQ(pad->m_height, sizes[i]);
        }
        auto* drill = static_cast<CDrill*>(via->GetChildren()[6]);
        ASSERT_EQ(drill->GetType(), NodeType::Drill);
        EXPECT_EQ(drill->m_drillType, kDrillRound);
        EXPECT_FLOAT_EQ(drill->m_diam, c.viaDrill);
        EXPECT_EQ(drill->m_slotWidth, 0);
        EXPECT_EQ(drill->m_slotHeight, 0);
        auto* thermal = static_cast<CThermalRelief*>(p->GetChildren()[1]);
        ASSERT_EQ(thermal->GetType(), NodeType::ThermalRelief);
        EXPECT_FLOAT_EQ(thermal->m_isolation, 0.3f);
        EXPECT_FLOAT_EQ(thermal->m_spoke, 0.3f);
    }
}

// Lengths are stored as the bits of their float; a value of the wrong type
// or a non-finite one keeps the class default, the others are taken.
TEST_F(BoardClassSettingsTest, StoredValuesAndDamagedOnes) {
    SetClass(1);
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(BoardClassSettings::ClassKeyPath(1)));
        key.SetNumber(L"ConductorWidth", std::bit_cast<uint32_t>(0.2f));
        key.SetString(L"ViaDrill", L"0.4");
        key.SetNumber(L"ViaPlane", 0x7FC00000u); // NaN
        key.SetNumber(L"IsolationWidth", std::bit_cast<uint32_t>(0.5f));
    }
    std::unique_ptr<CBoardProperties> p(CreateDefaultBoardProperties());
    EXPECT_FLOAT_EQ(p->m_conductorWidth, 0.2f);
    EXPECT_FLOAT_EQ(p->m_conductorSpacing, 0.15f);
    EXPECT_FLOAT_EQ(p->m_isolationWidth, 0.5f);
    auto* via = static_cast<CPadstack*>(p->GetChildren()[0]);
    EXPECT_FLOAT_EQ(static_cast<CPadLayer*>(via->GetChildren()[3])->m_width, 1.4f);
    EXPECT_FLOAT_EQ(static_cast<CDrill*>(via->GetChildren()[6])->m_diam, 0.5f);
    EXPECT_FLOAT_EQ(static_cast<CThermalRelief*>(p->GetChildren()[1])->m_isolation, 0.5f);
    // An isolation must clear copper: a stored 0 keeps the default; a spoke
    // may be 0.
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(BoardClassSettings::ClassKeyPath(1)));
        key.SetNumber(L"IsolationWidth", std::bit_cast<uint32_t>(0.0f));
        key.SetNumber(L"SpokeWidth", std::bit_cast<uint32_t>(0.0f));
    }
    std::unique_ptr<CBoardProperties> zero(CreateDefaultBoardProperties());
    EXPECT_FLOAT_EQ(zero->m_isolationWidth, 0.3f);
    EXPECT_FLOAT_EQ(zero->m_spokeWidth, 0.0f);

    BoardClassValues written = BoardClassSettings::Defaults(2);
    written.viaDrill = 0.35f;
    BoardClassSettings::WriteClass(2, written);
    SettingsStore::Flush();
    SettingsStore::Reload();
    SettingsKey key;
    ASSERT_TRUE(key.Open(BoardClassSettings::ClassKeyPath(2)));
    uint32_t bits = 0;
    ASSERT_EQ(key.QueryNumber(L"ViaDrill", &bits), SettingsResult::Ok);
    EXPECT_EQ(bits, std::bit_cast<uint32_t>(0.35f));
    EXPECT_EQ(BoardClassSettings::ReadUnit(), 1);
    BoardClassSettings::WriteUnit(2);
    EXPECT_EQ(BoardClassSettings::ReadUnit(), 2);
}

// The node built for a new board saves as the board's design-rule element.
TEST_F(BoardClassSettingsTest, SavedDesignRuleNode) {
    SetClass(2);
    CRoot root;
    ASSERT_TRUE(LoadText(root, XmlDoc("<Project><Board>B</Board></Project>")));
    CTreeNode* board = root.GetChildren()[0];
    board->AddChild(CreateDefaultBoardProperties());
    const std::string saved = SaveText(root);
    CRoot again;
    ASSERT_TRUE(LoadText(again, saved));
    EXPECT_EQ(SaveText(again), saved);
    EXPECT_NE(saved.find("Via 1"), std::string::npos);
    EXPECT_NE(saved.find("0.6"), std::string::npos);
    EXPECT_NE(saved.find("0.9"), std::string::npos);
}

} // namespace
