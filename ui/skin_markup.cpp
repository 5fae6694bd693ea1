#include "ui/skin_markup.h"

#include <windows.h>

#include <cwctype>

#include "ui/skin_resources.h"

namespace SkinUI {
namespace {

bool IsSpace(wchar_t c) { return c <= 32; }

bool IsNameChar(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) {
        return true;
    }
    if (c == L'_' || c == L':') return true;
    return c >= 0x80 && std::iswalpha(c);
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring DecodeBytes(const uint8_t* bytes, size_t size, CSkinMarkup::Encoding encoding) {
    std::wstring text;
    if (size >= 2 &&
        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const bool bigEndian = bytes[0] == 0xFE;
        const size_t count = (size - 2) / 2;
        text.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t lo = bytes[2 + i * 2 + (bigEndian ? 1 : 0)];
            const uint8_t hi = bytes[2 + i * 2 + (bigEndian ? 0 : 1)];
            text[i] = static_cast<wchar_t>(lo | (hi << 8));
        }
        return text;
    }
    UINT codePage = CP_ACP;
    if (encoding != CSkinMarkup::Encoding::Ansi) {
        codePage = CP_UTF8;
        if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes += 3;
            size -= 3;
        }
    }
    if (size == 0 || size > static_cast<size_t>(INT32_MAX)) return text;
    const auto* src = reinterpret_cast<const char*>(bytes);
    const int n = MultiByteToWideChar(codePage, 0, src, static_cast<int>(size), nullptr, 0);
    if (n <= 0) return text;
    text.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, 0, src, static_cast<int>(size), text.data(), n);
    return text;
}

}  // namespace

// ---- CMarkupNode ----

CMarkupNode CMarkupNode::GetParent() const {
    if (!IsValid()) return {};
    return CMarkupNode(m_doc, m_doc->m_elements[m_index].parent);
}

CMarkupNode CMarkupNode::GetChild() const {
    if (!IsValid()) return {};
    return CMarkupNode(m_doc, m_doc->m_elements[m_index].firstChild);
}

CMarkupNode CMarkupNode::GetSibling() const {
    if (!IsValid()) return {};
    return CMarkupNode(m_doc, m_doc->m_elements[m_index].nextSibling);
}

std::wstring_view CMarkupNode::GetName() const {
    if (!IsValid()) return {};
    return m_doc->View(m_doc->m_elements[m_index].name);
}

std::wstring_view CMarkupNode::GetText() const {
    if (!IsValid()) return {};
    return m_doc->View(m_doc->m_elements[m_index].text);
}

size_t CMarkupNode::GetAttributeCount() const {
    if (!IsValid()) return 0;
    return m_doc->m_elements[m_index].attributeCount;
}

std::wstring_view CMarkupNode::GetAttributeName(size_t i) const {
    if (i >= GetAttributeCount()) return {};
    const auto& e = m_doc->m_elements[m_index];
    return m_doc->View(m_doc->m_attributes[e.firstAttribute + i].name);
}

std::wstring_view CMarkupNode::GetAttributeValue(size_t i) const {
    if (i >= GetAttributeCount()) return {};
    const auto& e = m_doc->m_elements[m_index];
    return m_doc->View(m_doc->m_attributes[e.firstAttribute + i].value);
}

std::wstring_view CMarkupNode::GetAttributeValue(std::wstring_view name,
                                                 std::wstring_view fallback) const {
    for (size_t i = 0; i < GetAttributeCount(); ++i) {
        if (GetAttributeName(i) == name) return GetAttributeValue(i);
    }
    return fallback;
}

std::wstring_view CMarkupNode::GetAttributeValueNoCase(std::wstring_view name,
                                                       std::wstring_view fallback) const {
    for (size_t i = 0; i < GetAttributeCount(); ++i) {
        if (EqualNoCase(GetAttributeName(i), name)) return GetAttributeValue(i);
    }
    return fallback;
}

bool CMarkupNode::HasAttribute(std::wstring_view name) const {
    for (size_t i = 0; i < GetAttributeCount(); ++i) {
        if (GetAttributeName(i) == name) return true;
    }
    return false;
}

// ---- CSkinMarkup ----

void CSkinMarkup::Release() {
    m_text.clear();
    m_text.shrink_to_fit();
    m_elements.clear();
    m_elements.shrink_to_fit();
    m_attributes.clear();
    m_attributes.shrink_to_fit();
}

CMarkupNode CSkinMarkup::GetRoot() const {
    if (m_elements.empty()) return {};
    return CMarkupNode(this, 0);
}

bool CSkinMarkup::Load(std::wstring text) {
    Release();
    m_error.clear();
    m_errorLocation.clear();
    const size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    m_text = std::move(text);
    if (!Parse()) {
        m_elements.clear();
        m_attributes.clear();
        return false;
    }
    return true;
}

bool CSkinMarkup::LoadFromBytes(const uint8_t* bytes, size_t size, Encoding encoding) {
    return Load(DecodeBytes(bytes, size, encoding));
}

bool CSkinMarkup::LoadFromSkin(const CSkinResources& resources, const std::wstring& name,
                               Encoding encoding) {
    if (!name.empty() && name[0] == L'<') return Load(name);
    std::vector<uint8_t> bytes;
    std::wstring error;
    if (!resources.ReadSkinFile(name, bytes, error)) {
        Release();
        m_error = error.substr(0, kMaxReadErrorChars);
        m_errorLocation.clear();
        return false;
    }
    return LoadFromBytes(bytes.data(), bytes.size(), encoding);
}

bool CSkinMarkup::Fail(const wchar_t* message, size_t position) {
    m_error = message;
    m_errorLocation =
        position < m_text.size() ? m_text.substr(position, kErrorContextChars) : std::wstring();
    return false;
}

CSkinMarkup::Span CSkinMarkup::DecodeInPlace(size_t begin, size_t end) {
    static const struct {
        const wchar_t* entity;
        size_t length;
        wchar_t character;
    } kEntities[] = {{L"&amp;", 5, L'&'},
                     {L"&lt;", 4, L'<'},
                     {L"&gt;", 4, L'>'},
                     {L"&quot;", 6, L'"'},
                     {L"&apos;", 6, L'\''}};
    size_t out = begin;
    size_t in = begin;
    while (in < end) {
        wchar_t c = m_text[in];
        size_t consumed = 1;
        if (c == L'&') {
            for (const auto& e : kEntities) {
                if (end - in >= e.length && m_text.compare(in, e.length, e.entity) == 0) {
                    c = e.character;
                    consumed = e.length;
                    break;
                }
            }
        }
        m_text[out++] = c;
        in += consumed;
    }
    return Span{begin, out - begin};
}

bool CSkinMarkup::Parse() {
    const size_t n = m_text.size();
    size_t pos = 0;
    std::vector<int> open;       // elements whose closing tag is pending
    std::vector<int> lastChild;  // last child of each open element (parallel to `open`)
    int lastTopLevel = -1;

    auto link = [&](int index) {
        Element& e = m_elements[static_cast<size_t>(index)];
        if (open.empty()) {
            if (lastTopLevel >= 0)
                m_elements[static_cast<size_t>(lastTopLevel)].nextSibling = index;
            lastTopLevel = index;
            return;
        }
        e.parent = open.back();
        int& last = lastChild.back();
        if (last < 0) {
            m_elements[static_cast<size_t>(open.back())].firstChild = index;
        } else {
            m_elements[static_cast<size_t>(last)].nextSibling = index;
        }
        last = index;
    };
    auto readName = [&]() {
        const size_t start = pos;
        while (pos < n && IsNameChar(m_text[pos])) ++pos;
        return Span{start, pos - start};
    };
    auto skipSpace = [&]() {
        while (pos < n && IsSpace(m_text[pos])) ++pos;
    };

    for (;;) {
        // Text up to the next tag.
        const size_t textStart = pos;
        while (pos < n && m_text[pos] != L'<') ++pos;
        if (open.empty()) {
            for (size_t i = textStart; i < pos; ++i) {
                if (!IsSpace(m_text[i])) return Fail(kExpectedStartTag, i);
            }
        } else if (pos > textStart) {
            Element& parent = m_elements[static_cast<size_t>(open.back())];
            const Span text = DecodeInPlace(textStart, pos);
            if (parent.text.length == 0) parent.text = text;
        }
        if (pos >= n) {
            if (!open.empty()) return Fail(kExpectedEndTagStart, pos);
            if (m_elements.empty()) return Fail(kExpectedStartTag, pos);
            return true;
        }
        // m_text[pos] == '<'
        if (pos + 1 < n && (m_text[pos + 1] == L'?' || m_text[pos + 1] == L'!')) {
            const wchar_t* terminator = m_text[pos + 1] == L'?' ? L"?>" : L"->";
            const size_t end = m_text.find(terminator, pos + 2);
            pos = end == std::wstring::npos ? n : end + 2;
            continue;
        }
        if (pos + 1 < n && m_text[pos + 1] == L'/') {
            const size_t tagStart = pos;
            pos += 2;
            const Span name = readName();
            if (open.empty() ||
                View(name) != View(m_elements[static_cast<size_t>(open.back())].name)) {
                return Fail(kUnmatchedClosingTag, tagStart);
            }
            skipSpace();
            if (pos >= n || m_text[pos] != L'>') return Fail(kUnmatchedClosingTag, tagStart);
            ++pos;
            open.pop_back();
            lastChild.pop_back();
            continue;
        }
        // A start tag.
        ++pos;
        const Span name = readName();
        if (name.length == 0) return Fail(kErrorElementName, pos);
        m_elements.emplace_back();
        const int index = static_cast<int>(m_elements.size() - 1);
        m_elements.back().name = name;
        m_elements.back().firstAttribute = m_attributes.size();
        link(index);

        for (;;) {
            skipSpace();
            if (pos >= n || m_text[pos] == L'/' || m_text[pos] == L'>') break;
            const Span attrName = readName();
            if (attrName.length == 0) return Fail(kErrorAttributes, pos);
            skipSpace();
            if (pos >= n || m_text[pos] != L'=') return Fail(kErrorAttributes, pos);
            ++pos;
            skipSpace();
            if (pos >= n || m_text[pos] != L'"') return Fail(kExpectedAttributeValue, pos);
            ++pos;
            const size_t valueStart = pos;
            const size_t quote = m_text.find(L'"', pos);
            if (quote == std::wstring::npos) return Fail(kErrorAttributeString, valueStart);
            const Span value = DecodeInPlace(valueStart, quote);
            pos = quote + 1;
            Element& e = m_elements[static_cast<size_t>(index)];
            if (e.attributeCount < kMaxAttributes) {
                m_attributes.push_back(Attribute{attrName, value});
                ++e.attributeCount;
            }
        }
        if (pos + 1 < n && m_text[pos] == L'/' && m_text[pos + 1] == L'>') {
            pos += 2;
            continue;
        }
        if (pos < n && m_text[pos] == L'>') {
            ++pos;
            open.push_back(index);
            lastChild.push_back(-1);
            continue;
        }
        return Fail(kExpectedStartTagClosing, pos);
    }
}

}  // namespace SkinUI
