#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "ui/label_ui.h"
#include "ui/skin_builder.h"
#include "ui/skin_resources.h"
#include "ui/tab_layout_ui.h"
#include "ui/ui_manager.h"

namespace {

using namespace SkinUI;

// The main window answers its animation element; a plain label stands in for
// the animation control here, which only matters for its rectangle.
struct AnimationStandIn : IDialogBuilderCallback {
    std::unique_ptr<CControlUI> CreateControl(const std::wstring& name) override {
        if (name == L"SequenceLabel") return std::make_unique<CLabelUI>();
        return nullptr;
    }
};

// One skin of the installer's own resource, built into a hidden native window
// (so the Window element's settings apply) and laid out over its size.
struct RealSkin {
    CUIManager manager;
    HWND window = nullptr;
    SIZE size{0, 0};

    RealSkin(const CSkinResources& resources, const std::wstring& file) : manager(resources) {
        window = CreateWindowExW(0, L"STATIC", L"skin", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        manager.SetPaintWindow(window);
        AnimationStandIn callback;
        CSkinBuilder builder(resources);
        manager.AttachRoot(builder.Create(file, &callback, &manager));
        size = manager.Settings().initSize;
        manager.Layout(RECT{0, 0, size.cx, size.cy});
    }
    ~RealSkin() {
        manager.SetPaintWindow(nullptr);
        if (window) DestroyWindow(window);
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

LONG Width(const RECT& rc) { return rc.right - rc.left; }
LONG Height(const RECT& rc) { return rc.bottom - rc.top; }

class SkinReal : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        resources = new CSkinResources();
        opened = resources->OpenResourceArchive(GetModuleHandleW(nullptr));
    }
    static void TearDownTestSuite() {
        delete resources;
        resources = nullptr;
    }
    static CSkinResources* resources;
    static bool opened;
};
CSkinResources* SkinReal::resources = nullptr;
bool SkinReal::opened = false;

TEST_F(SkinReal, ArchiveHoldsTheFiftySixEntries) {
    ASSERT_TRUE(opened);
    ASSERT_TRUE(resources->Archive());
    EXPECT_TRUE(resources->Archive()->Complete());
    EXPECT_EQ(resources->Archive()->Entries().size(), 56u);
    EXPECT_TRUE(resources->FindEntry(L"res\\mainWnd\\installBtnAnimate\\011.png"));
    EXPECT_FALSE(resources->FindEntry(L"res\\mainWnd\\installBtnAnimate\\012.png"));
    EXPECT_FALSE(resources->FindEntry(L"res\\common\\closebtn4.png"));
    // Every picture of the archive decodes.
    CPictureCache cache(*resources);
    for (const auto& e : resources->Archive()->Entries()) {
        if (e.name.size() > 4 && e.name.compare(e.name.size() - 4, 4, L".png") == 0) {
            EXPECT_TRUE(cache.GetOrAdd(e.name)) << std::string(e.name.begin(), e.name.end());
        }
    }
}

TEST_F(SkinReal, MainWindowKeyRectangles) {
    ASSERT_TRUE(opened);
    RealSkin skin(*resources, L"MainWnd.xml");
    ASSERT_TRUE(skin.manager.GetRoot());
    EXPECT_EQ(skin.size.cx, 600);
    EXPECT_EQ(skin.size.cy, 400);
    EXPECT_EQ(skin.manager.Settings().caption.bottom, 35);
    ASSERT_TRUE(skin.manager.GetWindowAttribute(L"shadowcolor"));
    EXPECT_EQ(*skin.manager.GetWindowAttribute(L"shadowcolor"), L"#26003B76");

    // The root fills the window whatever its own width and height say.
    EXPECT_TRUE(IsRect(skin.Pos(L"winCtn"), 0, 0, 600, 400));
    // Title row 45 high: the title tab, the title buttons at its right end.
    EXPECT_TRUE(IsRect(skin.Pos(L"titleTabLt"), 10, 0, 210, 45));
    EXPECT_TRUE(IsRect(skin.Pos(L"titleGrpCtn"), 514, 12, 586, 36));
    EXPECT_TRUE(IsRect(skin.Pos(L"minbtn"), 514, 12, 538, 36));
    EXPECT_TRUE(IsRect(skin.Pos(L"closebtn"), 562, 12, 586, 36));
    // The client tab fills the rest between 1-pixel spacers.
    EXPECT_TRUE(IsRect(skin.Pos(L"mainTabLt"), 1, 45, 599, 400));
    // Page 0: the install button 200 x 46, centred.
    EXPECT_TRUE(IsRect(skin.Pos(L"defaultInstallBtn"), 200, 213, 400, 259));
    // 20 high in its 18-pixel row, from the row's top.
    EXPECT_TRUE(IsRect(skin.Pos(L"customeBtn"), 489, 361, 589, 381));

    auto* tab = static_cast<CTabLayoutUI*>(skin.manager.FindControl(L"mainTabLt"));
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->GetCurSel(), 0);
    auto* titleTab = static_cast<CTabLayoutUI*>(skin.manager.FindControl(L"titleTabLt"));
    EXPECT_EQ(titleTab->GetCurSel(), 0);

    // Page 1: directory row.
    ASSERT_TRUE(tab->SelectItem(1, false));
    ASSERT_TRUE(titleTab->SelectItem(1, false));
    skin.manager.Layout(RECT{0, 0, 600, 400});
    EXPECT_TRUE(IsRect(skin.Pos(L"backBtn"), 10, 11, 74, 41));
    EXPECT_TRUE(
        IsRect(skin.Pos(L"installDirEdit"), 1 + 52 + 70 + 6, 177, 1 + 52 + 70 + 6 + 340, 213));
    EXPECT_EQ(Width(skin.Pos(L"chDirBtn")), 81);
    EXPECT_EQ(Height(skin.Pos(L"chDirBtn")), 36);
    EXPECT_TRUE(IsRect(skin.Pos(L"customeInstallBtn"), 200, 300, 400, 346));

    // Page 2: the animation 160 x 160 and the bar 520 x 8, both centred.
    ASSERT_TRUE(tab->SelectItem(2, false));
    skin.manager.Layout(RECT{0, 0, 600, 400});
    EXPECT_TRUE(IsRect(skin.Pos(L"progressAnLb"), 220, 98, 380, 258));
    EXPECT_TRUE(IsRect(skin.Pos(L"progressLb"), 120, 300, 480, 324));
    EXPECT_TRUE(IsRect(skin.Pos(L"installPrg"), 40, 344, 560, 352));

    // Page 3: the open button.
    ASSERT_TRUE(tab->SelectItem(3, false));
    skin.manager.Layout(RECT{0, 0, 600, 400});
    EXPECT_TRUE(IsRect(skin.Pos(L"openProduceBtn"), 200, 294, 400, 340));
}

TEST_F(SkinReal, ExitTipButtonsAndLabel) {
    ASSERT_TRUE(opened);
    RealSkin skin(*resources, L"ExitTipWnd.xml");
    ASSERT_TRUE(skin.manager.GetRoot());
    EXPECT_EQ(skin.size.cx, 360);
    EXPECT_EQ(skin.size.cy, 180);
    EXPECT_TRUE(IsRect(skin.Pos(L"closebtn"), 324, 8, 348, 32));
    EXPECT_TRUE(IsRect(skin.Pos(L"okBtn"), 175, 128, 251, 160));
    EXPECT_TRUE(IsRect(skin.Pos(L"cancelBtn"), 263, 128, 339, 160));
    const auto* ok = skin.manager.FindControl(L"okBtn");
    EXPECT_EQ(ok->GetText(), L"是");
    ASSERT_TRUE(ok->GetCustomAttribute(L"hotborercolor"));
    EXPECT_EQ(ok->GetBorderSize().left, 1);
    EXPECT_EQ(skin.manager.FindControl(L"cancelBtn")->GetBkColor(), 0xFF1675FEu);
}

TEST_F(SkinReal, DialogsPlaceTheirButtonsAndLabels) {
    ASSERT_TRUE(opened);
    const struct {
        const wchar_t* file;
        LONG width;
        LONG okWidth;  // 0: no such button
        LONG cancelWidth;
        bool texts;  // has textLbl and captionLbl
    } cases[] = {
        {L"MessageBox1Wnd.xml", 360, 0, 0, true},
        {L"MessageBox2Wnd.xml", 360, 0, 0, true},
        {L"NetworkTipWnd.xml", 360, 76, 76, false},
        {L"InstalledPathTipWnd.xml", 400, 110, 100, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
        RealSkin skin(*resources, c.file);
        ASSERT_TRUE(skin.manager.GetRoot());
        EXPECT_EQ(skin.size.cx, c.width);
        EXPECT_EQ(skin.size.cy, 180);
        EXPECT_EQ(skin.manager.Settings().caption.bottom, 30);
        const RECT close = skin.Pos(L"closebtn");
        EXPECT_EQ(Width(close), 24);
        EXPECT_EQ(Height(close), 24);
        EXPECT_GE(close.top, 0);
        EXPECT_LE(close.bottom, 30);
        EXPECT_GT(close.left, c.width / 2);
        EXPECT_LE(close.right, c.width - 8);
        if (c.okWidth) {
            const RECT ok = skin.Pos(L"okBtn");
            const RECT cancel = skin.Pos(L"cancelBtn");
            EXPECT_EQ(Width(ok), c.okWidth);
            EXPECT_EQ(Height(ok), 32);
            EXPECT_EQ(Width(cancel), c.cancelWidth);
            EXPECT_EQ(Height(cancel), 32);
            EXPECT_EQ(ok.top, cancel.top);
            EXPECT_GT(ok.top, 30);
            EXPECT_LE(ok.bottom, 180);
            EXPECT_LE(ok.right, c.width);
        }
        if (c.texts) {
            const RECT text = skin.Pos(L"textLbl");
            const RECT caption = skin.Pos(L"captionLbl");
            EXPECT_GE(text.top, 30);
            EXPECT_GT(Height(text), 100);
            EXPECT_GT(Width(text), 300);
            EXPECT_LT(caption.top, 30);
            EXPECT_GT(Width(caption), 0);
            EXPECT_EQ(skin.manager.FindControl(L"textLbl")->GetText(), L"TEXT");
        }
    }
}

}  // namespace
