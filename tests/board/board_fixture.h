// A test stand-in for an editor view showing one board: an undo history, a
// board layer index found for that board, and counters of repaints. The
// model reaches it through g_pActiveView and the model-service hooks.
#pragma once

#include "board/board_layer_index.h"
#include "core/model_services.h"
#include "core/root.h"
#include "core/undo_list.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tests/core/test_view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

class TestBoardView : public CTestView {
public:
    CUndoList& undo = GetUndoList();
    CBoardLayerIndex index;
    CTreeNode* board = nullptr; // the board whose index this view keeps
    bool indexOpen = true;      // false: no board view shows the board
};

class BoardFixture : public ::testing::Test {
protected:
    void SetUp() override {
        s_view = &m_view;
        g_pActiveView = &m_view;
        SetBoardLayerIndexFinder([](CTreeNode* board) -> CBoardLayerIndex* {
            if (!s_view || !s_view->indexOpen || s_view->board != board)
                return nullptr;
            return &s_view->index;
        });
        std::string dir = "/tmp/vorpel-board-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = dir;
    }
    void TearDown() override {
        m_view.undo.Clear();
        g_pActiveView = nullptr;
        s_view = nullptr;
        SetBoardLayerIndexFinder(nullptr);
        DiscardOrphanUndoRecords();
        std::string cleanup = "rm -rf '" + m_dir + "'";
        (void)std::system(cleanup.c_str());
    }

    // Loads a document from text (the root takes the file's root element).
    bool LoadText(CRoot& root, const std::string& xml) {
        std::wstring path = Utf8ToWide(m_dir) + L"/in_" + std::to_wstring(++m_files) + L".xml";
        if (!WriteWholeFile(path, xml))
            return false;
        CXmlFile file(&root);
        return file.Load(path.c_str());
    }
    // The document as the writer saves it.
    std::string SaveText(CRoot& root) {
        std::wstring path = Utf8ToWide(m_dir) + L"/out_" + std::to_wstring(++m_files) + L".xml";
        CXmlFile file(&root);
        EXPECT_TRUE(file.Save(path.c_str()));
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        return bytes;
    }

    static inline TestBoardView* s_view = nullptr;
    TestBoardView m_view;
    std::string m_dir;
    int m_files = 0;
};

inline std::string XmlDoc(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n" + body;
}
