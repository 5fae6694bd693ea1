#include <gtest/gtest.h>
#include <windows.h>

#include "ui/attribute_values.h"
#include "ui/control_ui.h"
#include "ui/image_attribute.h"
#include "ui/label_ui.h"
#include "ui/skin_resources.h"
#include "ui/ui_manager.h"

namespace {

using namespace SkinUI;

TEST(SkinAttribute, IntegerListsReadOneCharacterApart) {
    const struct {
        const wchar_t* text;
        long a, b, c, d;
    } cases[] = {
        {L"1,2,3,4", 1, 2, 3, 4},
        {L"1;2x3 4", 1, 2, 3, 4},
        {L" 5,-6,+7,8", 5, -6, 7, 8},
        {L"1,,3,4", 1, 0, 3, 4},    // the second number reads ",3" and finds no digits
        {L"1, 2,3,4", 1, 2, 3, 4},  // leading blank allowed in a number
        {L"10,20", 10, 20, 0, 0},
        {L"", 0, 0, 0, 0},
        {L"abc", 0, 0, 0, 0},
        {L"99999999999,1,2,3", 2147483647, 1, 2, 3},
    };
    for (const auto& c : cases) {
        const RECT rc = ParseRect(c.text);
        EXPECT_EQ(rc.left, c.a) << c.text;
        EXPECT_EQ(rc.top, c.b) << c.text;
        EXPECT_EQ(rc.right, c.c) << c.text;
        EXPECT_EQ(rc.bottom, c.d) << c.text;
    }
}

TEST(SkinAttribute, ColoursAndBooleans) {
    EXPECT_EQ(ParseColour(L"#FF1675FE"), 0xFF1675FEu);
    EXPECT_EQ(ParseColour(L"0xFF282A43"), 0xFF282A43u);
    EXPECT_EQ(ParseColour(L"FF8991AF"), 0xFF8991AFu);
    EXPECT_EQ(ParseColour(L"#00000000"), 0u);
    EXPECT_EQ(ParseColour(L"  #FF000001"), 0u);  // leading blank only for bkcolor
    EXPECT_EQ(ParseColour(L"  #FF000001", true), 0xFF000001u);
    EXPECT_TRUE(ParseBool(L"true"));
    EXPECT_FALSE(ParseBool(L"TRUE"));
    EXPECT_FALSE(ParseBool(L"1"));
    EXPECT_TRUE(ParseBoolNoCase(L"TRUE"));
}

TEST(SkinAttribute, ImageStringsAndTheirBlankRule) {
    const auto plain = ParseImageString(L"res\\mainWnd\\bg1.png");
    EXPECT_EQ(plain.file, L"res\\mainWnd\\bg1.png");
    EXPECT_FALSE(plain.hasDest);

    const auto blank = ParseImageString(L"file='a.png' dest='0,2,15,16'");
    EXPECT_EQ(blank.file, L"a.png");
    ASSERT_TRUE(blank.hasDest);
    EXPECT_EQ(blank.dest.right - blank.dest.left, 15);
    EXPECT_EQ(blank.dest.bottom - blank.dest.top, 14);

    const struct {
        const wchar_t* text;
        bool hasDest;
    } separators[] = {
        {L"file='a.png',dest='0,2,15,16'", false},    {L"file='a.png'\tdest='0,2,15,16'", false},
        {L"file='a.png'\r\ndest='0,2,15,16'", false}, {L"file='a.png'  dest='0,2,15,16'", true},
        {L"file = 'a.png' dest= '0,2,15,16' ", true},
    };
    for (const auto& s : separators) {
        const auto drawing = ParseImageString(s.text);
        EXPECT_EQ(drawing.file, L"a.png") << s.text;
        EXPECT_EQ(drawing.hasDest, s.hasDest) << s.text;
    }

    const auto full = ParseImageString(
        L"file='res\\mainWnd\\installPrg1.png' corner='2,2,2,2' mask='#FF0000' fade='255' "
        L"hole='false' xtiled='TRUE' ytiled='false' source='1,2,3,4' fade=''");
    EXPECT_EQ(full.corner.left, 2);
    EXPECT_EQ(full.corner.bottom, 2);
    EXPECT_EQ(full.mask, 0xFF0000u);
    EXPECT_EQ(full.fade, 255);  // the empty value is ignored
    EXPECT_FALSE(full.hole);
    EXPECT_TRUE(full.xtiled);
    EXPECT_TRUE(full.hasSource);
    EXPECT_EQ(full.source.right, 3);

    // Malformed strings stop where they break and keep what came before.
    EXPECT_EQ(ParseImageString(L"file='a.png' dest=").file, L"a.png");
    EXPECT_EQ(ParseImageString(L"file='a.png").file, L"");
    EXPECT_EQ(ParseImageString(L"file=\"a.png\"").file, L"");
}

TEST(SkinAttribute, ImageAttributeParsesOnceAndRemembersFailure) {
    CImageAttribute image(L"file='x.png' fade='128'");
    EXPECT_EQ(image.Drawing().fade, 128);
    image.MarkLoadFailed();
    image.Set(L"file='x.png' fade='128'");
    EXPECT_TRUE(image.LoadFailed());  // same string: not retried
    image.Set(L"y.png");
    EXPECT_FALSE(image.LoadFailed());
    EXPECT_EQ(image.Drawing().file, L"y.png");
}

TEST(SkinAttribute, CommonPropertiesOfControls) {
    CControlUI control;
    control.SetAttribute(L"pos", L"0,0,10,0");
    control.SetAttribute(L"width", L"10");
    EXPECT_EQ(control.GetFixedWidth(), 10);
    EXPECT_EQ(control.GetFixedHeight(), 0);
    control.SetAttribute(L"pos", L"5,6,205,56");
    EXPECT_EQ(control.GetFixedXY().x, 5);
    EXPECT_EQ(control.GetFixedXY().y, 6);
    EXPECT_EQ(control.GetFixedWidth(), 200);
    EXPECT_EQ(control.GetFixedHeight(), 50);
    control.SetAttribute(L"pos", L"50,0,10,0");
    EXPECT_EQ(control.GetFixedWidth(), 0);  // inverted: no fixed width

    control.SetAttribute(L"bordersize", L"2");
    EXPECT_EQ(control.GetBorderSize().left, 2);
    EXPECT_EQ(control.GetBorderSize().bottom, 2);
    control.SetAttribute(L"bordersize", L"1,2,3,4");
    EXPECT_EQ(control.GetBorderSize().top, 2);
    EXPECT_EQ(control.GetBorderSize().right, 3);

    control.SetAttribute(L"minwidth", L"30");
    control.SetAttribute(L"maxwidth", L"20");
    EXPECT_EQ(control.GetMaxWidth(), 30);  // a maximum below the minimum counts as it
    EXPECT_EQ(control.GetMaxHeight(), 9999);

    control.SetAttribute(L"bkcolor", L" #FFF5FAFE");
    EXPECT_EQ(control.GetBkColor(), 0xFFF5FAFEu);
    control.SetAttribute(L"visible", L"TRUE");
    EXPECT_FALSE(control.IsVisible());
    control.SetAttribute(L"width", L"999999999");
    EXPECT_EQ(control.GetFixedWidth(), kMaxExtent);

    control.SetAttribute(L"hotborercolor", L"#FF5A9DFD");
    control.SetAttribute(L"hotborercolor", L"#FF000000");
    ASSERT_TRUE(control.GetCustomAttribute(L"hotborercolor"));
    EXPECT_EQ(*control.GetCustomAttribute(L"hotborercolor"), L"#FF5A9DFD");
    EXPECT_FALSE(control.GetCustomAttribute(L"Hotborercolor"));  // names keep their case
}

TEST(SkinAttribute, LabelAlignmentRules) {
    CLabelUI label;
    EXPECT_EQ(label.GetTextStyle(), kTextVCenter | kTextSingleLine);
    label.SetAttribute(L"valign", L"center");
    EXPECT_EQ(label.GetTextStyle(), kTextVCenter | kTextSingleLine);
    label.SetAttribute(L"valign", L"top");
    EXPECT_EQ(label.GetTextStyle() & (kTextVCenter | kTextBottom), 0u);
    label.SetAttribute(L"align", L"right");
    EXPECT_EQ(label.GetTextStyle() & 3u, static_cast<unsigned>(kTextRight));
    label.SetAttribute(L"align", L"center");
    EXPECT_EQ(label.GetTextStyle() & 3u, static_cast<unsigned>(kTextCenter));
    label.SetAttribute(L"multiline", L"true");
    EXPECT_TRUE(label.IsMultiLine());
    EXPECT_TRUE(label.GetTextStyle() & kTextWordBreak);
    label.SetAttribute(L"endellipsis", L"true");
    EXPECT_TRUE(label.GetTextStyle() & kTextEndEllipsis);
}

TEST(SkinAttribute, WindowAttributesResizeARealWindow) {
    CSkinResources resources;
    CUIManager manager(resources);
    HWND window = CreateWindowExW(0, L"STATIC", L"skin", WS_POPUP, 40, 50, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    manager.SetPaintWindow(window);
    manager.SetWindowAttribute(L"size", L"600,400");
    manager.SetWindowAttribute(L"caption", L"0,0,0,35");
    manager.SetWindowAttribute(L"showshadow", L"true");
    manager.SetWindowAttribute(L"showshadow", L"false");
    manager.SetWindowAttribute(L"roundcorner", L"1,0");
    RECT rc{};
    GetWindowRect(window, &rc);
    EXPECT_EQ(rc.right - rc.left, 600);
    EXPECT_EQ(rc.bottom - rc.top, 400);
    EXPECT_EQ(rc.left, 40);
    EXPECT_EQ(rc.top, 50);
    EXPECT_EQ(manager.Settings().caption.bottom, 35);
    EXPECT_EQ(manager.Settings().roundCorner.cx, 1);
    ASSERT_TRUE(manager.GetWindowAttribute(L"showshadow"));
    EXPECT_EQ(*manager.GetWindowAttribute(L"showshadow"), L"true");
    EXPECT_FALSE(manager.GetWindowAttribute(L"shadowsize"));
    DestroyWindow(window);
}

TEST(SkinAttribute, FontsFallBackToTheDefault) {
    CSkinResources resources;
    CUIManager manager(resources);
    ASSERT_TRUE(manager.GetFontInfo(-1));  // the system's GUI font before any skin font
    ASSERT_TRUE(manager.AddFont(0, L"微软雅黑", 14, false, false, false, true));
    ASSERT_TRUE(manager.AddFont(3, L"微软雅黑", 12, true, true, false, false));
    EXPECT_EQ(manager.GetFontInfo(-1), manager.GetFontInfo(0));
    EXPECT_EQ(manager.GetFontInfo(42), manager.GetFontInfo(0));
    EXPECT_EQ(manager.GetFontInfo(3)->size, 12);
    EXPECT_TRUE(manager.GetFontInfo(3)->bold);
    EXPECT_TRUE(manager.GetFontInfo(3)->underline);
    EXPECT_GT(manager.GetFontInfo(0)->textHeight, 0);
    EXPECT_TRUE(manager.AddFont(5, std::wstring(80, L'x'), 30, false, false, false, false));
    EXPECT_EQ(manager.GetFontInfo(5)->faceName.size(), 31u);
}

}  // namespace
