#include "ui/text_measure.h"

#include <climits>

#include "ui/ui_manager.h"

namespace SkinUI {

CGdiTextMeasure::~CGdiTextMeasure() {
    if (m_dc) DeleteDC(m_dc);
}

HDC CGdiTextMeasure::Dc() {
    if (!m_dc) m_dc = CreateCompatibleDC(nullptr);
    return m_dc;
}

int CGdiTextMeasure::TextHeight(int font) {
    const FontInfo* info = m_manager.GetFontInfo(font);
    return info ? info->textHeight : 0;
}

SIZE CGdiTextMeasure::Measure(int font, const std::wstring& text, int width, bool multiline) {
    SIZE size{0, 0};
    HDC dc = Dc();
    const FontInfo* info = m_manager.GetFontInfo(font);
    if (!dc || !info || text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return size;
    HGDIOBJ old = SelectObject(dc, info->font);
    RECT rc{0, 0, width > 0 ? width : 0, 0};
    UINT format = DT_CALCRECT | DT_NOPREFIX | DT_LEFT;
    format |= multiline ? DT_WORDBREAK : DT_SINGLELINE;
    if (!multiline) rc.right = 9999;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
    SelectObject(dc, old);
    size.cx = rc.right - rc.left;
    size.cy = rc.bottom - rc.top;
    return size;
}

}  // namespace SkinUI
