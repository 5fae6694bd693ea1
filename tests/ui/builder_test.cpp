#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/fixture_archive.h"
#include "tests/ui/fixed_measure.h"
#include "ui/button_ui.h"
#include "ui/container_ui.h"
#include "ui/label_ui.h"
#include "ui/option_ui.h"
#include "ui/skin_builder.h"
#include "ui/skin_resources.h"
#include "ui/ui_manager.h"

namespace {

using namespace SkinUI;

// Answers "Fancy" with a label whose class word is still "Label".
struct FancyCallback : IDialogBuilderCallback {
    std::vector<std::wstring> asked;
    std::unique_ptr<CControlUI> CreateControl(const std::wstring& name) override {
        asked.push_back(name);
        if (name == L"Fancy") return std::make_unique<CLabelUI>();
        return nullptr;
    }
};

int CountControls(CControlUI* control) {
    if (!control) return 0;
    int n = 1;
    if (auto* c = static_cast<CContainerUI*>(control->GetInterface(L"IContainer"))) {
        for (int i = 0; i < c->GetCount(); ++i) n += CountControls(c->GetItemAt(i));
    }
    return n;
}

TEST(SkinBuilder, VocabularyClassWordsAndInterfaces) {
    const struct {
        const wchar_t* element;
        const wchar_t* word;
        bool container;
    } cases[] = {
        {L"Control", L"Control", false},
        {L"verticallayout", L"VerticalLayout", true},
        {L"VBox", L"VerticalLayout", true},
        {L"HBOX", L"HorizontalLayout", true},
        {L"HorizontalLayout", L"HorizontalLayout", true},
        {L"TabLayout", L"TabLayout", true},
        {L"Label", L"Label", false},
        {L"Button", L"Button", false},
        {L"Option", L"Option", false},
        {L"checkbox", L"CheckBox", false},
        {L"Edit", L"Edit", false},
        {L"Progress", L"Progress", false},
    };
    for (const auto& c : cases) {
        auto control = CreateBuiltinControl(c.element);
        ASSERT_TRUE(control) << c.element;
        EXPECT_STREQ(control->GetClass(), c.word);
        EXPECT_EQ(control->GetInterface(L"IContainer") != nullptr, c.container) << c.element;
        EXPECT_EQ(control->GetInterface(c.word), control.get());
    }
    EXPECT_FALSE(CreateBuiltinControl(L"SequenceLabel"));
    EXPECT_FALSE(CreateBuiltinControl(L"Window"));
}

TEST(SkinBuilder, BuildsResourcesDefaultsAndAttributesInOrder) {
    CSkinResources resources;
    CUIManager manager(resources);
    FancyCallback callback;
    CSkinBuilder builder(resources);
    auto root = builder.Create(
        L"<Window size=\"10,10\">"
        L"<FONT ID=\"2\" NAME=\"微软雅黑\" SIZE=\"18\" UNDERLINE=\"TRUE\"/>"
        L"<Default name=\"Button\" value=\"width=&quot;50&quot; text=&quot;dflt&quot;\"/>"
        L"<MultiLanguage id=\"104\" value=\"磁盘空间不足\"/>"
        L"<VerticalLayout name=\"root\">"
        L"<Button name=\"b1\"/><Button name=\"b2\" width=\"70\" text=\"own\"/>"
        L"<Label name=\"later\" text=\"one\" text=\"two\"/>"
        L"<Unknown name=\"skipped\"><Label name=\"inside\"/></Unknown>"
        L"<Fancy name=\"fancy\" font=\"2\"/>"
        L"<CheckBox name=\"cb\" selected=\"true\" group=\"g\"/>"
        L"</VerticalLayout></Window>",
        &callback, &manager);
    ASSERT_TRUE(root);
    EXPECT_EQ(builder.FirstBuilt(), root.get());
    manager.AttachRoot(std::move(root));

    auto* b1 = static_cast<CButtonUI*>(manager.FindControl(L"b1"));
    auto* b2 = static_cast<CButtonUI*>(manager.FindControl(L"b2"));
    ASSERT_TRUE(b1 && b2);
    EXPECT_EQ(b1->GetFixedWidth(), 50);
    EXPECT_EQ(b1->GetText(), L"dflt");
    EXPECT_EQ(b2->GetFixedWidth(), 70);
    EXPECT_EQ(b2->GetText(), L"own");
    EXPECT_EQ(manager.FindControl(L"later")->GetText(), L"two");
    EXPECT_FALSE(manager.FindControl(L"skipped"));
    EXPECT_FALSE(manager.FindControl(L"inside"));
    EXPECT_EQ(callback.asked, (std::vector<std::wstring>{L"Unknown", L"Fancy"}));
    auto* fancy = static_cast<CLabelUI*>(manager.FindControl(L"fancy"));
    ASSERT_TRUE(fancy);
    EXPECT_EQ(fancy->GetFont(), 2);
    EXPECT_TRUE(manager.GetFontInfo(2)->underline);
    EXPECT_EQ(manager.GetFontInfo(2)->size, 18);
    ASSERT_TRUE(manager.GetMultiLanguageString(104));
    EXPECT_EQ(*manager.GetMultiLanguageString(104), L"磁盘空间不足");
    auto* cb = static_cast<CCheckBoxUI*>(manager.FindControl(L"cb"));
    EXPECT_TRUE(cb->IsSelected());
    EXPECT_TRUE(cb->GetGroup().empty());
    // Without a native window the Window element's attributes are not applied.
    EXPECT_EQ(manager.Settings().initSize.cx, 0);
}

TEST(SkinBuilder, NonContainerParentStopsTheSiblingsAndCoverAttaches) {
    CSkinResources resources;
    CUIManager manager(resources);
    CSkinBuilder builder(resources);
    manager.AttachRoot(builder.Create(
        L"<Window><VerticalLayout>"
        L"<Label name=\"host\"><Control name=\"c1\" cover=\"true\"/><Control name=\"c2\"/>"
        L"<Control name=\"c3\"/></Label>"
        L"<Control name=\"after\"/></VerticalLayout></Window>",
        nullptr, &manager));
    CControlUI* host = manager.FindControl(L"host");
    ASSERT_TRUE(host);
    ASSERT_TRUE(host->GetCover());
    EXPECT_EQ(host->GetCover()->GetName(), L"c1");
    EXPECT_EQ(manager.FindControl(L"c1"), host->GetCover());
    EXPECT_FALSE(manager.FindControl(L"c2"));
    EXPECT_FALSE(manager.FindControl(L"c3"));
    EXPECT_TRUE(manager.FindControl(L"after"));
}

TEST(SkinBuilder, FirstNameInTreeOrderWins) {
    CSkinResources resources;
    CUIManager manager(resources);
    CSkinBuilder builder(resources);
    manager.AttachRoot(builder.Create(
        L"<Window><VerticalLayout name=\"dup\" width=\"1\"><Control name=\"dup\" width=\"2\"/>"
        L"</VerticalLayout></Window>",
        nullptr, &manager));
    ASSERT_TRUE(manager.FindControl(L"dup"));
    EXPECT_EQ(manager.FindControl(L"dup")->GetFixedWidth(), 1);
}

TEST(SkinBuilder, BadSkinsFailOrStayBounded) {
    CSkinResources resources;
    CUIManager manager(resources);
    CSkinBuilder builder(resources);
    EXPECT_FALSE(builder.Create(L"<Window><VerticalLayout></Window>", nullptr, &manager));
    EXPECT_EQ(builder.LastErrorMessage(), L"Unmatched closing tag");
    EXPECT_FALSE(builder.Create(L"<Window></Window>", nullptr, &manager));
    EXPECT_FALSE(builder.Create(L"<Window><Label/><Label/></Window>", nullptr, &manager) ==
                 nullptr);

    // 10,000 nested layouts: the builder keeps the first kMaxDepth levels.
    std::wstring deep = L"<Window>";
    for (int i = 0; i < 10000; ++i) deep += L"<VerticalLayout>";
    for (int i = 0; i < 10000; ++i) deep += L"</VerticalLayout>";
    deep += L"</Window>";
    auto root = builder.Create(deep, nullptr, &manager);
    ASSERT_TRUE(root);
    EXPECT_EQ(CountControls(root.get()), CSkinBuilder::kMaxDepth + 1);

    // A skin that includes itself many times ends.
    CSkinResources loose;
    CSkinBuilder includer(loose);
    auto included = includer.Create(
        L"<Window><VerticalLayout><Include "
        L"source=\"&lt;Window&gt;&lt;Control/&gt;&lt;/Window&gt;\" "
        L"count=\"100000000\"/></VerticalLayout></Window>",
        nullptr, &manager);
    ASSERT_TRUE(included);
    EXPECT_EQ(CountControls(included.get()), 1 + CSkinBuilder::kMaxIncludes);
}

TEST(SkinBuilder, ReadsSkinsFromTheArchive) {
    const std::vector<uint8_t> bytes = TestSupport::FixtureArchiveBytes();
    CSkinResources resources;
    resources.OpenMemoryArchive(bytes.data(), bytes.size());
    CUIManager manager(resources);
    TestSupport::FixedMeasure measure;
    manager.SetTextMeasure(&measure);
    CSkinBuilder builder(resources);
    auto root = builder.Create(L"MainWnd.xml", nullptr, &manager);
    ASSERT_TRUE(root) << builder.LastErrorMessage();
    manager.AttachRoot(std::move(root));
    manager.Layout(RECT{0, 0, 300, 200});
    EXPECT_EQ(manager.FindControl(L"title")->GetText(), L"塔沃PDF编辑器");
    const RECT close = manager.FindControl(L"closebtn")->GetPos();
    EXPECT_EQ(close.top, 30);
    EXPECT_EQ(close.right - close.left, 24);

    EXPECT_FALSE(builder.Create(L"missing.xml", nullptr, &manager));
    EXPECT_EQ(builder.LastErrorMessage(), L"Could not find ziped file");
    EXPECT_FALSE(builder.Create(L"big.xml", nullptr, &manager));
    EXPECT_EQ(builder.LastErrorMessage(), L"File too large");
}

}  // namespace
