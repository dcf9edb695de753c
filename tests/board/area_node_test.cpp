// Outline nodes: the outline text read and written, list links kept current,
// arc geometry, and the transforms about the origin.
#include "board/area_node.h"
#include "core/vorpel_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Owned {
    CAreaNode* head = nullptr;
    explicit Owned(const std::wstring& text) : head(ParseAreaOutline(text, &g_pActiveView)) {}
    ~Owned() { DeleteAreaOutline(head); }
};

// Every node's first and last links name the outline's ends.
void ExpectLinksCurrent(const CAreaNode* head) {
    if (!head)
        return;
    const CAreaNode* last = head;
    while (last->m_next)
        last = last->m_next;
    for (const CAreaNode* n = head; n; n = n->m_next) {
        EXPECT_EQ(n->m_first, head);
        EXPECT_EQ(n->m_last, last);
        if (n->m_next) {
            EXPECT_EQ(n->m_next->m_prev, n);
        }
    }
    EXPECT_EQ(head->m_prev, nullptr);
}

struct TextCase {
    const wchar_t* text;
    const wchar_t* written; // what the outline writes back
    int count;
};

const TextCase kTextCases[] = {
    {L"LIN0,0 LIN100,0 LIN100,50 LIN0,50", L"LIN0,0 LIN100,0 LIN100,50 LIN0,50", 4},
    {L"LIN1,2  XYZ LIN3,4 ", L"LIN1,2 LIN3,4", 2},
    {L"LIN5", L"LIN5,0", 1},
    {L"ARC1,2", L"ARC1,2,0", 1},
    {L"lin1,2", L"", 0},
    {L"", L"", 0},
    {L"LINE1,2", L"LIN0,0", 1},
    {L"LIN12.3456,0.000012345", L"LIN12.346,1.2345e-05", 1},
    {L"LIN123456,-0.5", L"LIN1.2346e+05,-0.5", 1},
    {L"LIN0,0 LIN20,0 ARC20,10,2.5 LIN0,10", L"LIN0,0 LIN20,0 ARC20,10,2.5 LIN0,10", 4},
    {L"LIN-1,-1 CRV1,-1,2,0,2,1 LIN-1,1", L"LIN-1,-1 CRV1,-1,2,0,2,1 LIN-1,1", 3},
    {L"LIN+1,-2e1", L"LIN1,-20", 1},
    // A number that is not finite (also as a float) ends the outline there.
    {L"LINnan,0 LIN60,inf", L"", 0},
    {L"LIN0,0 LIN60,inf LIN1,1", L"LIN0,0", 1},
    {L"LIN0,0 ARC1,1,-INF LIN2,2", L"LIN0,0", 1},
    {L"LIN0,0 CRV1,1,2,2,3,1e39 LIN2,2", L"LIN0,0", 1},
    {L"LIN0,0 LIN5,5,nan", L"LIN0,0 LIN5,5", 2},
};

} // namespace

TEST(AreaOutlineText, ReadsAndWritesTheTokens) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
        Owned o(c.text);
        EXPECT_EQ(CountAreaNodes(o.head), c.count);
        EXPECT_EQ(AreaOutlineToString(o.head), c.written);
        ExpectLinksCurrent(o.head);
    }
}

TEST(AreaOutlineText, LastArcChordRunsToTheFirstNode) {
    Owned o(L"LIN0,0 LIN0,2 ARC2,2,1");
    auto* arc = static_cast<CAreaArc*>(o.head->m_last);
    ASSERT_EQ(arc->GetKind(), AREA_ARC);
    // Chord (2,2) -> (0,0): half chord sqrt(2), so r = (2 / 1 + 1) / 2.
    EXPECT_NEAR(arc->m_radius, 1.5f, 1e-5f);
    EXPECT_NEAR(std::hypot(arc->m_cx - 0, arc->m_cy - 0), 1.5f, 1e-5f);
    EXPECT_NEAR(std::hypot(arc->m_cx - 2, arc->m_cy - 2), 1.5f, 1e-5f);
}

TEST(AreaArc, GeometryOfTheDocumentedExample) {
    CAreaNode* head = nullptr;
    auto* arc = new CAreaArc(&g_pActiveView, 0, 0);
    arc->m_deviation = 1;
    AppendAreaNode(head, arc);
    AppendAreaNode(head, new CAreaSegment(&g_pActiveView, 0, 2));
    arc->UpdateGeometry();
    EXPECT_NEAR(arc->m_chordAngle, 0, 1e-6);
    EXPECT_NEAR(arc->m_cx, 0, 1e-6);
    EXPECT_NEAR(arc->m_cy, 1, 1e-6);
    EXPECT_NEAR(arc->m_radius, 1, 1e-6);
    EXPECT_NEAR(arc->m_midX, 1, 1e-6);
    EXPECT_NEAR(arc->m_midY, 1, 1e-6);
    EXPECT_NEAR(arc->m_startAngle, -90, 1e-4);
    EXPECT_NEAR(arc->m_endAngle, 90, 1e-4);
    DeleteAreaOutline(head);
}

TEST(AreaOutline, DifferenceTolerance) {
    Owned a(L"LIN0,0 ARC1,0,0.5 CRV1,1,2,2,3,3");
    Owned same(L"LIN0.00005,0 ARC1,0,0.50005 CRV1,1,2,2,3,3.00005");
    Owned moved(L"LIN0.0002,0 ARC1,0,0.5 CRV1,1,2,2,3,3");
    Owned bent(L"LIN0,0 ARC1,0,0.5 CRV1,1,2,2.0002,3,3");
    Owned shorter(L"LIN0,0 ARC1,0,0.5");
    EXPECT_FALSE(AreAreaOutlinesDifferent(a.head, same.head));
    EXPECT_TRUE(AreAreaOutlinesDifferent(a.head, moved.head));
    EXPECT_TRUE(AreAreaOutlinesDifferent(a.head, bent.head));
    EXPECT_TRUE(AreAreaOutlinesDifferent(a.head, shorter.head));
    EXPECT_TRUE(AreAreaOutlinesDifferent(shorter.head, a.head));
    EXPECT_FALSE(AreAreaOutlinesDifferent(nullptr, nullptr));
}

TEST(AreaOutline, UnlinkKeepsEveryLinkCurrent) {
    Owned one(L"LIN1,1");
    EXPECT_EQ(one.head->Unlink(), nullptr);

    Owned o(L"LIN0,0 LIN1,0 LIN1,1 LIN0,1");
    CAreaNode* first = o.head;
    CAreaNode* second = first->Unlink();
    o.head = second;
    ExpectLinksCurrent(o.head);
    EXPECT_EQ(CountAreaNodes(o.head), 3);
    delete first;

    CAreaNode* last = o.head->m_last;
    EXPECT_EQ(last->Unlink(), nullptr);
    ExpectLinksCurrent(o.head);
    EXPECT_EQ(o.head->m_last->m_x, 1);
    delete last;
}

TEST(AreaOutline, InsertBeforeFirstAndAfterLast) {
    Owned o(L"LIN1,0 LIN2,0");
    auto* front = new CAreaSegment(&g_pActiveView, 0, 0);
    o.head->InsertBefore(front);
    o.head = front;
    auto* back = new CAreaSegment(&g_pActiveView, 3, 0);
    o.head->m_last->InsertAfter(back);
    auto* middle = new CAreaSegment(&g_pActiveView, 1.5f, 0);
    o.head->m_next->InsertAfter(middle);
    ExpectLinksCurrent(o.head);
    EXPECT_EQ(AreaOutlineToString(o.head), L"LIN0,0 LIN1,0 LIN1.5,0 LIN2,0 LIN3,0");
    auto* prepended = new CAreaSegment(&g_pActiveView, -1, 0);
    PrependAreaNode(o.head, prepended);
    ExpectLinksCurrent(o.head);
    EXPECT_EQ(o.head, prepended);
}

TEST(AreaOutline, CloneAndCopyKeepIdentity) {
    Owned o(L"LIN0,0 ARC4,0,1 CRV4,4,5,5,6,6");
    CAreaNode* copy = CloneAreaOutline(o.head->m_next);
    EXPECT_FALSE(AreAreaOutlinesDifferent(o.head, copy));
    ExpectLinksCurrent(copy);
    // Restoring a changed node from a copy keeps the node itself.
    CAreaNode* arc = o.head->m_next;
    CAreaNode* saved = arc->Clone();
    arc->m_x = 9;
    static_cast<CAreaArc*>(arc)->m_deviation = -3;
    arc->CopyFrom(saved);
    EXPECT_EQ(o.head->m_next, arc);
    EXPECT_FALSE(AreAreaOutlinesDifferent(o.head, copy));
    delete saved;
    DeleteAreaOutline(copy);
}

TEST(AreaOutline, MirrorAndRotateAboutTheOrigin) {
    Owned o(L"LIN1,2 ARC3,2,0.5 CRV3,4,5,6,7,8");
    MirrorAreaOutlineHorizontally(o.head);
    EXPECT_EQ(AreaOutlineToString(o.head), L"LIN-1,2 ARC-3,2,-0.5 CRV-3,4,-5,6,-7,8");
    MirrorAreaOutlineVertically(o.head);
    EXPECT_EQ(AreaOutlineToString(o.head), L"LIN-1,-2 ARC-3,-2,0.5 CRV-3,-4,-5,-6,-7,-8");
    RotateAreaOutline90(o.head, false);
    EXPECT_EQ(AreaOutlineToString(o.head), L"LIN-2,1 ARC-2,3,0.5 CRV-4,3,-6,5,-8,7");
    RotateAreaOutline90(o.head, true);
    EXPECT_EQ(AreaOutlineToString(o.head), L"LIN-1,-2 ARC-3,-2,0.5 CRV-3,-4,-5,-6,-7,-8");
}
