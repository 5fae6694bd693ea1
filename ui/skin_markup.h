#pragma once
// CSkinMarkup: the XML subset of skin files, parsed in one pass over the whole
// text into a flat array of element records. Names, values and texts are views
// into the document's own text buffer (entities are decoded in place), so a
// document costs a small constant per element over its text. The parser has
// no recursion: nesting depth costs memory, never stack.
//
// Accepted: "<?...?>" and "<!...->" anywhere (skipped); elements with names of
// letters, digits, "_" and ":"; attributes name="value" (double quotes only)
// with the five predefined entities decoded; "/>" or a closing tag of the same
// name. Anything else stops the parse with one error text (see the k*Error
// constants) and the first 49 characters of the text at the error.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {

class CSkinResources;
class CSkinMarkup;

inline constexpr wchar_t kExpectedStartTag[] = L"Expected start tag";
inline constexpr wchar_t kErrorElementName[] = L"Error parsing element name";
inline constexpr wchar_t kExpectedStartTagClosing[] = L"Expected start-tag closing";
inline constexpr wchar_t kExpectedEndTagStart[] = L"Expected end-tag start";
inline constexpr wchar_t kUnmatchedClosingTag[] = L"Unmatched closing tag";
inline constexpr wchar_t kErrorAttributes[] = L"Error while parsing attributes";
inline constexpr wchar_t kExpectedAttributeValue[] = L"Expected attribute value";
inline constexpr wchar_t kErrorAttributeString[] = L"Error while parsing attribute string";

// One element of a parsed document; a light handle (document + index) that is
// invalid when it designates nothing.
class CMarkupNode {
  public:
    CMarkupNode() = default;
    bool IsValid() const { return m_doc != nullptr && m_index >= 0; }
    CMarkupNode GetParent() const;
    CMarkupNode GetChild() const;    // first child
    CMarkupNode GetSibling() const;  // next sibling
    bool HasChildren() const { return GetChild().IsValid(); }
    std::wstring_view GetName() const;
    std::wstring_view GetText() const;
    // Only the first kMaxAttributes attributes of an element are kept.
    size_t GetAttributeCount() const;
    std::wstring_view GetAttributeName(size_t i) const;
    std::wstring_view GetAttributeValue(size_t i) const;
    // Value of the first attribute of that name (exact, or without regard to
    // case), or `fallback` when there is none.
    std::wstring_view GetAttributeValue(std::wstring_view name,
                                        std::wstring_view fallback = {}) const;
    std::wstring_view GetAttributeValueNoCase(std::wstring_view name,
                                              std::wstring_view fallback = {}) const;
    bool HasAttribute(std::wstring_view name) const;

  private:
    friend class CSkinMarkup;
    CMarkupNode(const CSkinMarkup* doc, int index) : m_doc(doc), m_index(index) {}
    const CSkinMarkup* m_doc = nullptr;
    int m_index = -1;
};

class CSkinMarkup {
  public:
    enum class Encoding { Utf8, Unicode, Ansi };
    static constexpr size_t kMaxAttributes = 64;
    static constexpr size_t kErrorContextChars = 49;
    static constexpr size_t kMaxReadErrorChars = 99;

    CSkinMarkup() = default;
    CSkinMarkup(const CSkinMarkup&) = delete;
    CSkinMarkup& operator=(const CSkinMarkup&) = delete;

    // Parses wide text (parsing stops at a NUL character).
    bool Load(std::wstring text);
    // Decodes bytes first: a UTF-16 byte-order mark (FF FE, or FE FF swapped)
    // wins; otherwise UTF-8 (a leading EF BB BF dropped; invalid sequences
    // become U+FFFD) or the system code page, as asked.
    bool LoadFromBytes(const uint8_t* bytes, size_t size, Encoding encoding = Encoding::Utf8);
    // A skin "file name" starting with "<" is the XML text itself; otherwise
    // the file is read through `resources` (its read error becomes the last
    // error, at most kMaxReadErrorChars characters).
    bool LoadFromSkin(const CSkinResources& resources, const std::wstring& name,
                      Encoding encoding = Encoding::Utf8);
    void Release();

    bool IsValid() const { return !m_elements.empty() && m_error.empty(); }
    // The first top-level element; invalid when nothing parsed.
    CMarkupNode GetRoot() const;
    size_t ElementCount() const { return m_elements.size(); }
    const std::wstring& LastErrorMessage() const { return m_error; }
    const std::wstring& LastErrorLocation() const { return m_errorLocation; }

  private:
    friend class CMarkupNode;
    struct Span {
        size_t offset = 0;
        size_t length = 0;
    };
    struct Attribute {
        Span name;
        Span value;
    };
    struct Element {
        Span name;
        Span text;
        size_t firstAttribute = 0;
        uint32_t attributeCount = 0;
        int parent = -1;
        int firstChild = -1;
        int nextSibling = -1;
    };

    bool Parse();
    bool Fail(const wchar_t* message, size_t position);
    // Decodes the entities of [begin, end) in place; answers the new span.
    Span DecodeInPlace(size_t begin, size_t end);
    std::wstring_view View(const Span& span) const {
        return std::wstring_view(m_text).substr(span.offset, span.length);
    }

    std::wstring m_text;
    std::vector<Element> m_elements;
    std::vector<Attribute> m_attributes;
    std::wstring m_error;
    std::wstring m_errorLocation;
};

}  // namespace SkinUI
