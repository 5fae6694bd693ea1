#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/skin_markup.h"
#include "ui/skin_resources.h"

namespace {

using SkinUI::CSkinMarkup;

TEST(SkinMarkup, EveryErrorTextWithItsLocation) {
    const struct {
        const wchar_t* xml;
        const wchar_t* error;
        const wchar_t* location;
    } cases[] = {
        {L"", L"Expected start tag", L""},
        {L"   \r\n ", L"Expected start tag", L""},
        {L"hello <a/>", L"Expected start tag", L"hello <a/>"},
        {L"<a/> tail", L"Expected start tag", L"tail"},
        {L"< a/>", L"Error parsing element name", L" a/>"},
        {L"<a></>", L"Unmatched closing tag", L"</>"},
        {L"<a x=\"1\" / >", L"Expected start-tag closing", L"/ >"},
        {L"<a x=\"1\"", L"Expected start-tag closing", L""},
        {L"<a><b></b>", L"Expected end-tag start", L""},
        {L"<a>text", L"Expected end-tag start", L""},
        {L"<a></b>", L"Unmatched closing tag", L"</b>"},
        {L"<a><b></a></b>", L"Unmatched closing tag", L"</a></b>"},
        {L"<a></a  x>", L"Unmatched closing tag", L"</a  x>"},
        {L"</a>", L"Unmatched closing tag", L"</a>"},
        {L"<a =\"1\"/>", L"Error while parsing attributes", L"=\"1\"/>"},
        {L"<a x/>", L"Error while parsing attributes", L"/>"},
        {L"<a x=1/>", L"Expected attribute value", L"1/>"},
        {L"<a x='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<a x=\"1/>", L"Error while parsing attribute string", L"1/>"},
    };
    for (const auto& c : cases) {
        CSkinMarkup markup;
        EXPECT_FALSE(markup.Load(c.xml)) << c.xml;
        EXPECT_FALSE(markup.IsValid());
        EXPECT_FALSE(markup.GetRoot().IsValid());
        EXPECT_EQ(markup.LastErrorMessage(), c.error) << c.xml;
        EXPECT_EQ(markup.LastErrorLocation(), c.location) << c.xml;
    }
}

TEST(SkinMarkup, ErrorLocationHoldsAtMost49Characters) {
    CSkinMarkup markup;
    const std::wstring tail(200, L'z');
    EXPECT_FALSE(markup.Load(L"<a x=" + tail));
    EXPECT_EQ(markup.LastErrorLocation(), tail.substr(0, 49));
}

TEST(SkinMarkup, TreeAttributesEntitiesAndSkippedParts) {
    CSkinMarkup markup;
    ASSERT_TRUE(
        markup.Load(L"<?xml version=\"1.0\"?>\n<!-- note -->\n"
                    L"<Window size = \"600,400\" t=\"a &amp; b &lt;c&gt; &quot;d&quot; "
                    L"&apos;e&apos; &x; &amp\">"
                    L"<!-- inside --><?pi x?>"
                    L"<A k=\"  two  spaces \" />hello &amp; bye<B_1:x/></Window>"));
    const auto root = markup.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_EQ(root.GetName(), L"Window");
    EXPECT_EQ(root.GetAttributeValue(L"size"), L"600,400");
    EXPECT_EQ(root.GetAttributeValue(L"t"), L"a & b <c> \"d\" 'e' &x; &amp");
    EXPECT_EQ(root.GetAttributeValueNoCase(L"SIZE"), L"600,400");
    EXPECT_EQ(root.GetAttributeValue(L"SIZE", L"none"), L"none");
    EXPECT_EQ(root.GetText(), L"hello & bye");
    const auto a = root.GetChild();
    EXPECT_EQ(a.GetName(), L"A");
    EXPECT_EQ(a.GetAttributeValue(L"k"), L"  two  spaces ");
    EXPECT_EQ(a.GetParent().GetName(), L"Window");
    const auto b = a.GetSibling();
    EXPECT_EQ(b.GetName(), L"B_1:x");
    EXPECT_FALSE(b.GetSibling().IsValid());
    EXPECT_FALSE(b.HasChildren());
}

TEST(SkinMarkup, OnlyTheFirst64AttributesAreKept) {
    std::wstring xml = L"<a";
    for (int i = 0; i < 100; ++i)
        xml += L" n" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    xml += L"/>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(xml));
    const auto root = markup.GetRoot();
    EXPECT_EQ(root.GetAttributeCount(), 64u);
    EXPECT_EQ(root.GetAttributeValue(L"n63"), L"63");
    EXPECT_FALSE(root.HasAttribute(L"n64"));
}

TEST(SkinMarkup, DeepNestingAndHugeValuesStayIterative) {
    const int depth = 10000;
    std::wstring open, close;
    for (int i = 0; i < depth; ++i) {
        open += L"<e>";
        close += L"</e>";
    }
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(open + close));
    EXPECT_EQ(markup.ElementCount(), static_cast<size_t>(depth));
    EXPECT_FALSE(markup.Load(open));
    EXPECT_EQ(markup.LastErrorMessage(), L"Expected end-tag start");

    const std::wstring value(4 * 1024 * 1024, L'v');
    ASSERT_TRUE(markup.Load(L"<a x=\"" + value + L"\"/>"));
    EXPECT_EQ(markup.GetRoot().GetAttributeValue(L"x").size(), value.size());
    EXPECT_FALSE(markup.Load(L"<a x=\"" + value));
    EXPECT_EQ(markup.LastErrorMessage(), L"Error while parsing attribute string");
}

TEST(SkinMarkup, DecodesByteOrderMarksAndUtf8) {
    const std::string utf8 = "\xEF\xBB\xBF<a t=\"\xE5\xA1\x94\xE6\xB2\x83\"/>";
    std::vector<uint8_t> le = {0xFF, 0xFE}, be = {0xFE, 0xFF};
    for (wchar_t c : std::wstring(L"<a t=\"\u5854\u6C83\"/>")) {
        le.push_back(static_cast<uint8_t>(c));
        le.push_back(static_cast<uint8_t>(c >> 8));
        be.push_back(static_cast<uint8_t>(c >> 8));
        be.push_back(static_cast<uint8_t>(c));
    }
    const std::vector<std::vector<uint8_t>> inputs = {
        std::vector<uint8_t>(utf8.begin(), utf8.end()), le, be};
    for (const auto& bytes : inputs) {
        CSkinMarkup markup;
        ASSERT_TRUE(markup.LoadFromBytes(bytes.data(), bytes.size()));
        EXPECT_EQ(markup.GetRoot().GetAttributeValue(L"t"), L"\u5854\u6C83");
    }
    // Invalid UTF-8 and NUL bytes never crash.
    const std::string bad = std::string("<a t=\"\xC3\x28\xFF\"/>\0<b>", 16);
    CSkinMarkup markup;
    EXPECT_TRUE(markup.LoadFromBytes(reinterpret_cast<const uint8_t*>(bad.data()), bad.size()));
}

TEST(SkinMarkup, SkinNameStartingWithAngleIsTheText) {
    SkinUI::CSkinResources resources;  // no archive, empty resource path
    CSkinMarkup markup;
    EXPECT_TRUE(markup.LoadFromSkin(resources, L"<Window/>"));
    EXPECT_FALSE(markup.LoadFromSkin(resources, L"surely-missing-skin.xml"));
    EXPECT_EQ(markup.LastErrorMessage(), L"Error opening file");
}

}  // namespace
