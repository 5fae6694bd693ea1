#include "ui/image_attribute.h"

#include <algorithm>

#include "ui/attribute_values.h"

namespace SkinUI {
namespace {

bool IsSpace(wchar_t c) { return c != L'\0' && c <= 32; }

void ApplyPair(ImageDrawSpec& spec, const std::wstring& key, const std::wstring& value) {
    if (key == L"file" || key == L"res") {
        spec.file = value;
    } else if (key == L"restype") {
        spec.resourceType = value;
    } else if (key == L"color") {
        spec.colour = value;
    } else if (key == L"dest") {
        spec.dest = ParseRect(value);
        spec.hasDest = true;
    } else if (key == L"source") {
        spec.source = ParseRect(value);
        spec.hasSource = true;
    } else if (key == L"corner" || key == L"scale9") {
        spec.corner = ParseRect(value);
    } else if (key == L"mask") {
        spec.mask = ParseColour(value);
    } else if (key == L"fade") {
        spec.fade = static_cast<int>(std::clamp<long>(ParseInteger(value), 0, 255));
    } else if (key == L"hole") {
        spec.hole = ParseBoolNoCase(value);
    } else if (key == L"xtiled") {
        spec.xtiled = ParseBoolNoCase(value);
    } else if (key == L"ytiled") {
        spec.ytiled = ParseBoolNoCase(value);
    } else if (key == L"hsl") {
        spec.hsl = ParseBoolNoCase(value);
    }
}

}  // namespace

ImageDrawSpec ParseImageString(const std::wstring& text) {
    ImageDrawSpec spec;
    if (text.find(L'=') == std::wstring::npos) {
        spec.file = text;
        return spec;
    }
    const size_t n = text.size();
    size_t pos = 0;
    for (;;) {
        while (pos < n && IsSpace(text[pos])) ++pos;
        const size_t keyStart = pos;
        while (pos < n && text[pos] != L'=' && !IsSpace(text[pos])) ++pos;
        const std::wstring key = text.substr(keyStart, pos - keyStart);
        while (pos < n && IsSpace(text[pos])) ++pos;
        if (pos >= n || text[pos] != L'=') break;
        ++pos;
        while (pos < n && IsSpace(text[pos])) ++pos;
        if (pos >= n || text[pos] != L'\'') break;
        const size_t close = text.find(L'\'', pos + 1);
        if (close == std::wstring::npos) break;
        const std::wstring value = text.substr(pos + 1, close - pos - 1);
        if (!value.empty()) ApplyPair(spec, key, value);
        pos = close + 1;
        if (pos >= n || text[pos] != L' ') break;
    }
    return spec;
}

void CImageAttribute::Set(std::wstring text) {
    if (text == m_text && !m_text.empty()) return;
    m_text = std::move(text);
    m_spec = ParseImageString(m_text);
    m_loadFailed = false;
}

}  // namespace SkinUI
