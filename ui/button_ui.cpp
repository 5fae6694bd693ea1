#include "ui/button_ui.h"

#include "ui/attribute_values.h"
#include "ui/ui_manager.h"

namespace SkinUI {

SIZE EstimateButtonSize(const CLabelUI& control, CUIManager* manager) {
    SIZE size{control.GetFixedWidth(), control.GetFixedHeight()};
    if (size.cy == 0) {
        const int textHeight = manager ? manager->TextMeasure().TextHeight(control.GetFont()) : 0;
        size.cy = textHeight + 8;
    }
    return size;
}

CButtonUI::CButtonUI() { m_textStyle = kTextSingleLine | kTextVCenter | kTextCenter; }

const wchar_t* CButtonUI::GetClass() const { return L"Button"; }

void* CButtonUI::GetInterface(const std::wstring& name) {
    if (name == L"Button") return this;
    return CLabelUI::GetInterface(name);
}

SIZE CButtonUI::EstimateSize(SIZE) { return EstimateButtonSize(*this, m_manager); }

void CButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) m_buttonState = 0;
}

void CButtonUI::SetNormalImage(const std::wstring& image) {
    m_normalImage.Set(image);
    Invalidate();
}

void CButtonUI::SetHotImage(const std::wstring& image) {
    m_hotImage.Set(image);
    Invalidate();
}

void CButtonUI::SetPushedImage(const std::wstring& image) {
    m_pushedImage.Set(image);
    Invalidate();
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    CImageAttribute* image = nullptr;
    uint32_t* colour = nullptr;
    if (name == L"normalimage")
        image = &m_normalImage;
    else if (name == L"hotimage")
        image = &m_hotImage;
    else if (name == L"pushedimage")
        image = &m_pushedImage;
    else if (name == L"focusedimage")
        image = &m_focusedImage;
    else if (name == L"disabledimage")
        image = &m_disabledImage;
    else if (name == L"foreimage")
        image = &m_foreImage;
    else if (name == L"hotforeimage")
        image = &m_hotForeImage;
    else if (name == L"hotbkcolor")
        colour = &m_hotBkColor;
    else if (name == L"pushedbkcolor")
        colour = &m_pushedBkColor;
    else if (name == L"disabledbkcolor")
        colour = &m_disabledBkColor;
    else if (name == L"hottextcolor")
        colour = &m_hotTextColor;
    else if (name == L"pushedtextcolor")
        colour = &m_pushedTextColor;
    else if (name == L"focusedtextcolor")
        colour = &m_focusedTextColor;

    if (image) {
        image->Set(value);
        Invalidate();
    } else if (colour) {
        *colour = ParseColour(value);
        Invalidate();
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
