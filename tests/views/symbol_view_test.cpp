#include "tests/views/symbol_view_fixture.h"

TEST_F(SymbolViewTest, Explore) {
    LoadDemo();
    const std::string original = Save();
    printf("%s\n", original.c_str());
    Open(L"RES");
    ASSERT_NE(view, nullptr);
    Tool(ID_SYM_PLACE_PIN);
    Click(AtGrid(2, 3));
    Key(VK_ESCAPE);
    printf("%s\n", Save().c_str());
    Undo();
    EXPECT_EQ(Save(), original);
}
