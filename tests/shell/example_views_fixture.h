// The left pane's set-up with the editor views registered, and the example
// project's board and its sheet "Main" at hand: the tests that open pages
// from the trees start here.
#pragma once

#include "tests/shell/tree_fixture.h"
#include "views/editor_views.h"

class ExampleViewsTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        RegisterEditorViews();
        board = Child(&Root(0), NodeType::Board);
        ASSERT_NE(board, nullptr);
        sheet = Child(board, NodeType::Sheet, L"Main");
        ASSERT_NE(sheet, nullptr);
    }

    CTreeNode* board = nullptr;
    CTreeNode* sheet = nullptr;
};
