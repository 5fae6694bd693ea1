#include "ui/label_ui.h"

#include "ui/attribute_values.h"
#include "ui/ui_manager.h"

namespace SkinUI {

CLabelUI::CLabelUI() = default;

const wchar_t* CLabelUI::GetClass() const { return L"Label"; }

void* CLabelUI::GetInterface(const std::wstring& name) {
    if (name == L"Label") return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetText(const std::wstring& text) {
    if (text == m_text) return;
    CControlUI::SetText(text);
    ForgetEstimate();
    // A label measures its text, so a new text may change its size.
    if (m_fixedWidth == 0 || m_fixedHeight == 0) NeedParentUpdate();
}

void CLabelUI::SetTextStyle(unsigned style) {
    m_textStyle = style;
    ForgetEstimate();
    NeedParentUpdate();
}

void CLabelUI::SetFont(int index) {
    m_font = index;
    ForgetEstimate();
    NeedParentUpdate();
}

void CLabelUI::SetTextPadding(RECT padding) {
    m_textPadding = RECT{ClampOffset(padding.left), ClampOffset(padding.top),
                         ClampOffset(padding.right), ClampOffset(padding.bottom)};
    ForgetEstimate();
    NeedParentUpdate();
}

SIZE CLabelUI::EstimateSize(SIZE available) { return EstimateTextSize(available); }

SIZE CLabelUI::EstimateTextSize(SIZE available) {
    if (m_fixedWidth > 0 && m_fixedHeight > 0) return SIZE{m_fixedWidth, m_fixedHeight};
    if (m_estimateValid && available.cx == m_estimateFor.cx && available.cy == m_estimateFor.cy &&
        m_estimateFixedWidth == m_fixedWidth && m_estimateFixedHeight == m_fixedHeight) {
        return m_estimate;
    }
    ITextMeasure* measure = m_manager ? &m_manager->TextMeasure() : nullptr;
    const long long padX = static_cast<long long>(m_textPadding.left) + m_textPadding.right;
    const long long padY = static_cast<long long>(m_textPadding.top) + m_textPadding.bottom;
    long long cx = 0;
    long long cy = 0;
    if (!IsMultiLine()) {
        cy = m_fixedHeight ? m_fixedHeight : (measure ? measure->TextHeight(m_font) : 0) + 8 + padY;
        cx = m_fixedWidth ? m_fixedWidth
                          : (measure ? measure->Measure(m_font, m_text, 0, false).cx : 0) + padX;
    } else {
        cx = m_fixedWidth ? m_fixedWidth : available.cx;
        const long long wrapWidth = cx - padX;
        const SIZE text =
            measure ? measure->Measure(m_font, m_text,
                                       static_cast<int>(wrapWidth > 0 ? wrapWidth : 0), true)
                    : SIZE{0, 0};
        cy = text.cy + padY;
    }
    auto clampLen = [](long long v) {
        return static_cast<LONG>(v < 0 ? 0 : (v > kMaxExtent ? kMaxExtent : v));
    };
    m_estimate = SIZE{clampLen(cx), clampLen(cy)};
    m_estimateFor = available;
    m_estimateFixedWidth = m_fixedWidth;
    m_estimateFixedHeight = m_fixedHeight;
    m_estimateValid = true;
    return m_estimate;
}

void CLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"align") {
        unsigned style = m_textStyle;
        if (value.find(L"left") != std::wstring::npos) {
            style = (style & ~(kTextCenter | kTextRight)) | kTextLeft;
        }
        if (value.find(L"center") != std::wstring::npos) {
            style = (style & ~(kTextLeft | kTextRight)) | kTextCenter;
        }
        if (value.find(L"right") != std::wstring::npos) {
            style = (style & ~(kTextLeft | kTextCenter)) | kTextRight;
        }
        SetTextStyle(style);
    } else if (name == L"valign") {
        unsigned style = m_textStyle;
        if (value.find(L"top") != std::wstring::npos) {
            style = (style & ~(kTextBottom | kTextVCenter)) | kTextTop;
        }
        if (value.find(L"vcenter") != std::wstring::npos) {
            style = (style & ~(kTextTop | kTextBottom)) | kTextVCenter;
        }
        if (value.find(L"bottom") != std::wstring::npos) {
            style = (style & ~(kTextTop | kTextVCenter)) | kTextBottom;
        }
        SetTextStyle(style);
    } else if (name == L"multiline") {
        if (ParseBool(value)) {
            SetTextStyle((m_textStyle & ~kTextSingleLine) | kTextWordBreak);
        } else {
            SetTextStyle((m_textStyle & ~kTextWordBreak) | kTextSingleLine);
        }
    } else if (name == L"endellipsis") {
        if (ParseBool(value)) {
            SetTextStyle(m_textStyle | kTextEndEllipsis);
        } else {
            SetTextStyle(m_textStyle & ~kTextEndEllipsis);
        }
    } else if (name == L"font") {
        SetFont(static_cast<int>(ParseInteger(value)));
    } else if (name == L"textcolor") {
        m_textColor = ParseColour(value);
        Invalidate();
    } else if (name == L"disabledtextcolor") {
        m_disabledTextColor = ParseColour(value);
        Invalidate();
    } else if (name == L"textpadding") {
        SetTextPadding(ParseRect(value));
    } else if (name == L"showhtml") {
        m_showHtml = ParseBool(value);
        Invalidate();
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
