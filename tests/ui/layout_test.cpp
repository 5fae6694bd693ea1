#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/fixed_measure.h"
#include "ui/button_ui.h"
#include "ui/horizontal_layout_ui.h"
#include "ui/label_ui.h"
#include "ui/progress_ui.h"
#include "ui/skin_builder.h"
#include "ui/skin_resources.h"
#include "ui/tab_layout_ui.h"
#include "ui/ui_manager.h"
#include "ui/vertical_layout_ui.h"

namespace {

using namespace SkinUI;

// Builds XML text into a manager with fixed text metrics and lays it out.
struct Built {
    CSkinResources resources;
    TestSupport::FixedMeasure measure;
    CUIManager manager{resources};
    CControlUI* root = nullptr;

    explicit Built(const std::wstring& xml, RECT client = RECT{0, 0, 600, 400}) {
        manager.SetTextMeasure(&measure);
        CSkinBuilder builder(resources);
        root = manager.AttachRoot(builder.Create(xml, nullptr, &manager));
        manager.Layout(client);
    }
    RECT Pos(const wchar_t* name) const {
        CControlUI* c = manager.FindControl(name);
        return c ? c->GetPos() : RECT{-1, -1, -1, -1};
    }
};

::testing::AssertionResult IsRect(const RECT& rc, LONG l, LONG t, LONG r, LONG b) {
    if (rc.left == l && rc.top == t && rc.right == r && rc.bottom == b) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom
           << ") instead of (" << l << "," << t << "," << r << "," << b << ")";
}

TEST(SkinLayout, VerticalSharesTheFreeHeight) {
    const struct {
        const wchar_t* childPadding;
        LONG share;
    } cases[] = {{L"0", 40}, {L"5", 35}};
    for (const auto& c : cases) {
        Built b(std::wstring(L"<Window><VerticalLayout childpadding=\"") + c.childPadding +
                    L"\"><Control name=\"a\" height=\"20\"/><Control name=\"b\"/>"
                    L"<Control name=\"c\"/></VerticalLayout></Window>",
                RECT{0, 0, 50, 100});
        const LONG gap = c.share == 40 ? 0 : 5;
        EXPECT_TRUE(IsRect(b.Pos(L"a"), 0, 0, 50, 20));
        EXPECT_TRUE(IsRect(b.Pos(L"b"), 0, 20 + gap, 50, 20 + gap + c.share));
        EXPECT_TRUE(IsRect(b.Pos(L"c"), 0, 20 + 2 * gap + c.share, 50, 100));
    }
}

TEST(SkinLayout, VerticalLastAdjustableTakesTheRemainderAndLimitsHold) {
    Built b(
        L"<Window><VerticalLayout inset=\"5,10,5,10\" childalign=\"center\">"
        L"<Control name=\"a\"/><Control name=\"b\" width=\"30\" padding=\"0,3,0,2\" height=\"10\"/>"
        L"<Control name=\"c\" maxheight=\"20\"/><Control name=\"d\"/>"
        L"<Control name=\"hidden\" visible=\"false\" height=\"50\"/>"
        L"<Control name=\"e\" minheight=\"30\" height=\"5\"/></VerticalLayout></Window>",
        RECT{0, 0, 100, 101});
    // Inner height 81: wishes 10+3+2 and 30 leave 36 for a, c, d (12 each), d takes the rest.
    EXPECT_TRUE(IsRect(b.Pos(L"a"), 5, 10, 95, 22));
    EXPECT_TRUE(IsRect(b.Pos(L"b"), 35, 25, 65, 35));  // centred without regard to padding
    EXPECT_TRUE(IsRect(b.Pos(L"c"), 5, 37, 95, 49));
    EXPECT_TRUE(IsRect(b.Pos(L"d"), 5, 49, 95, 61));
    EXPECT_TRUE(IsRect(b.Pos(L"e"), 5, 61, 95, 91));
    EXPECT_TRUE(IsRect(b.Pos(L"hidden"), 0, 0, 0, 0));
}

TEST(SkinLayout, HorizontalKeepsFixedSizesAtTheTop) {
    Built b(
        L"<Window><VerticalLayout><HorizontalLayout name=\"row\" height=\"45\">"
        L"<Control name=\"l\"/><Button name=\"btn\" width=\"24\" height=\"24\"/>"
        L"<Label name=\"lbl\" text=\"abc\"/><Control name=\"s\" width=\"10\"/>"
        L"</HorizontalLayout>"
        L"<HorizontalLayout name=\"row2\" height=\"45\" childvalign=\"vcenter\">"
        L"<Button name=\"mid\" width=\"24\" height=\"24\"/></HorizontalLayout>"
        L"<HorizontalLayout height=\"45\"><VerticalLayout width=\"24\"><Control/>"
        L"<Button name=\"centred\" height=\"24\"/><Control/></VerticalLayout>"
        L"</HorizontalLayout></VerticalLayout></Window>",
        RECT{0, 0, 200, 300});
    // Free width 200 - 24 - 10 = 166 shared by the spacer and the label without width.
    EXPECT_TRUE(IsRect(b.Pos(L"l"), 0, 0, 83, 45));
    EXPECT_TRUE(IsRect(b.Pos(L"btn"), 83, 0, 107, 24));
    EXPECT_TRUE(IsRect(b.Pos(L"lbl"), 107, 0, 190, 45));
    EXPECT_TRUE(IsRect(b.Pos(L"s"), 190, 0, 200, 45));
    EXPECT_TRUE(IsRect(b.Pos(L"mid"), 0, 45 + 10, 24, 45 + 34));
    EXPECT_TRUE(IsRect(b.Pos(L"centred"), 0, 90 + 10, 24, 90 + 34));
}

TEST(SkinLayout, LabelEstimatesFromItsText) {
    Built b(
        L"<Window><VerticalLayout>"
        L"<Label name=\"one\" text=\"abcd\" textpadding=\"1,2,3,4\"/>"
        L"<Label name=\"wrap\" multiline=\"true\" text=\"abcdefghijklmnopqrst\" />"
        L"<Button name=\"btn\"/><Progress name=\"bar\"/><Control name=\"rest\"/>"
        L"</VerticalLayout></Window>",
        RECT{0, 0, 70, 300});
    // Single line: text height 16 + 8 + padding 6.
    EXPECT_TRUE(IsRect(b.Pos(L"one"), 0, 0, 70, 30));
    // 20 characters wrap at 10 per line within 70 pixels: two lines.
    EXPECT_TRUE(IsRect(b.Pos(L"wrap"), 0, 30, 70, 62));
    EXPECT_TRUE(IsRect(b.Pos(L"btn"), 0, 62, 70, 86));
    EXPECT_TRUE(IsRect(b.Pos(L"bar"), 0, 86, 70, 98));
    auto* one = static_cast<CLabelUI*>(b.manager.FindControl(L"one"));
    EXPECT_EQ(one->EstimateSize(SIZE{500, 500}).cx, 4 * 7 + 4);
    one->SetText(L"abcdefgh");
    EXPECT_EQ(one->EstimateSize(SIZE{500, 500}).cx, 8 * 7 + 4);
}

TEST(SkinLayout, TabPlacesOnlyTheCurrentPageAndNotifies) {
    Built b(
        L"<Window><TabLayout name=\"tab\" inset=\"2,2,2,2\">"
        L"<Control name=\"p0\" padding=\"3,4,0,0\"/>"
        L"<VerticalLayout name=\"p1\" width=\"50\" height=\"40\"/>"
        L"<Control name=\"p2\"/></TabLayout></Window>",
        RECT{0, 0, 100, 80});
    auto* tab = static_cast<CTabLayoutUI*>(b.manager.FindControl(L"tab"));
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_TRUE(IsRect(b.Pos(L"p0"), 5, 6, 98, 78));
    EXPECT_FALSE(b.manager.FindControl(L"p1")->IsVisible());
    EXPECT_FALSE(b.manager.FindControl(L"p2")->IsVisible());

    struct Recorder : INotifyUI {
        std::vector<TNotify> seen;
        void Notify(TNotify& n) override { seen.push_back(n); }
    } recorder;
    b.manager.AddNotifier(&recorder);
    EXPECT_FALSE(tab->SelectItem(3));
    EXPECT_FALSE(tab->SelectItem(-1));
    EXPECT_TRUE(tab->SelectItem(0));
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_TRUE(tab->SelectItem(1));
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(recorder.seen[0].type, L"tabselect");
    EXPECT_EQ(recorder.seen[0].sender, tab);
    EXPECT_EQ(recorder.seen[0].wParam, 1u);
    EXPECT_EQ(recorder.seen[0].lParam, 0);
    EXPECT_TRUE(b.manager.IsLayoutNeeded());
    b.manager.Layout(RECT{0, 0, 100, 80});
    EXPECT_TRUE(IsRect(b.Pos(L"p1"), 2, 2, 52, 42));
    EXPECT_FALSE(b.manager.FindControl(L"p0")->IsVisible());
    b.manager.RemoveNotifier(&recorder);
}

TEST(SkinLayout, SelectedIdAndProgressFill) {
    Built b(
        L"<Window><TabLayout name=\"tab\" selectedid=\"2\"><Control/><Control/>"
        L"<Progress name=\"bar\" value=\"37\" width=\"520\" height=\"8\"/></TabLayout></Window>",
        RECT{0, 0, 600, 400});
    auto* tab = static_cast<CTabLayoutUI*>(b.manager.FindControl(L"tab"));
    EXPECT_EQ(tab->GetCurSel(), 2);
    auto* bar = static_cast<CProgressUI*>(b.manager.FindControl(L"bar"));
    EXPECT_TRUE(IsRect(bar->GetPos(), 0, 0, 520, 8));
    const RECT fill = bar->FillRect(bar->GetPos());
    EXPECT_EQ(fill.right - fill.left, 192);
    bar->SetMaxValue(0);  // min >= max: max counts as min + 1, value held at it
    EXPECT_EQ(bar->FillRect(bar->GetPos()).right, 520);
}

TEST(SkinLayout, RealTextMetricsGrowAWrappedLabel) {
    CSkinResources resources;
    CUIManager manager(resources);
    CSkinBuilder builder(resources);
    manager.AttachRoot(builder.Create(
        L"<Window><Font id=\"0\" name=\"微软雅黑\" size=\"16\" default=\"true\"/><VerticalLayout>"
        L"<Label name=\"single\" text=\"当前网络环境较差\"/>"
        L"<Label name=\"multi\" multiline=\"true\" "
        L"text=\"当前网络环境较差，请在网络通畅时进行重试 "
        L"当前网络环境较差，请在网络通畅时进行重试\"/>"
        L"</VerticalLayout></Window>",
        nullptr, &manager));
    manager.Layout(RECT{0, 0, 120, 600});
    const RECT single = manager.FindControl(L"single")->GetPos();
    const RECT multi = manager.FindControl(L"multi")->GetPos();
    const int line = manager.GetFontInfo(0)->textHeight;
    EXPECT_EQ(single.bottom - single.top, line + 8);
    EXPECT_GE(multi.bottom - multi.top, 3 * line);
}

}  // namespace
