#include "ui/image_attribute.h"

#include <algorithm>

#include "ui/attribute_values.h"

namespace SkinUI {
namespace {

bool IsSpace(wchar_t c) { return c != L'\0' && c <= 32; }

void ApplyPair(ImageDrawing& drawing, const std::wstring& key, const std::wstring& value) {
    if (key == L"file" || key == L"res") {
        drawing.file = value;
    } else if (key == L"restype") {
        drawing.resourceType = value;
    } else if (key == L"color") {
        drawing.colour = value;
    } else if (key == L"dest") {
        drawing.dest = ParseRect(value);
        drawing.hasDest = true;
    } else if (key == L"source") {
        drawing.source = ParseRect(value);
        drawing.hasSource = true;
    } else if (key == L"corner" || key == L"scale9") {
        drawing.corner = ParseRect(value);
    } else if (key == L"mask") {
        drawing.mask = ParseColour(value);
    } else if (key == L"fade") {
        drawing.fade = static_cast<int>(std::clamp<long>(ParseInteger(value), 0, 255));
    } else if (key == L"hole") {
        drawing.hole = ParseBoolNoCase(value);
    } else if (key == L"xtiled") {
        drawing.xtiled = ParseBoolNoCase(value);
    } else if (key == L"ytiled") {
        drawing.ytiled = ParseBoolNoCase(value);
    } else if (key == L"hsl") {
        drawing.hsl = ParseBoolNoCase(value);
    }
}

}  // namespace

ImageDrawing ParseImageString(const std::wstring& text) {
    ImageDrawing drawing;
    if (text.find(L'=') == std::wstring::npos) {
        drawing.file = text;
        return drawing;
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
        if (!value.empty()) ApplyPair(drawing, key, value);
        pos = close + 1;
        if (pos >= n || text[pos] != L' ') break;
    }
    return drawing;
}

void CImageAttribute::Set(std::wstring text) {
    if (text == m_text && !m_text.empty()) return;
    m_text = std::move(text);
    m_drawing = ParseImageString(m_text);
    m_loadFailed = false;
}

}  // namespace SkinUI
