#include "ui/progress_ui.h"

#include <algorithm>

#include "ui/attribute_values.h"

namespace SkinUI {

CProgressUI::CProgressUI() {
    m_textStyle = kTextSingleLine | kTextCenter | kTextVCenter;
    m_fixedHeight = 12;
}

const wchar_t* CProgressUI::GetClass() const { return L"Progress"; }

void* CProgressUI::GetInterface(const std::wstring& name) {
    if (name == L"Progress") return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int value) {
    m_min = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    m_max = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    m_value = value;
    Invalidate();
}

void CProgressUI::SetForeImage(const std::wstring& image) {
    m_foreImage.Set(image);
    Invalidate();
}

RECT CProgressUI::FillRect(const RECT& rect) const {
    const long long lo = m_min;
    const long long hi = m_max > m_min ? m_max : lo + 1;
    const long long value = std::clamp<long long>(m_value, lo, hi);
    RECT fill = rect;
    if (m_horizontal) {
        const long long width = static_cast<long long>(rect.right) - rect.left;
        fill.right = static_cast<LONG>(rect.left + width * (value - lo) / (hi - lo));
    } else {
        const long long height = static_cast<long long>(rect.bottom) - rect.top;
        fill.top = static_cast<LONG>(rect.top + (hi - value) * height / (hi - lo));
    }
    return fill;
}

void CProgressUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"min") {
        SetMinValue(static_cast<int>(ParseInteger(value)));
    } else if (name == L"max") {
        SetMaxValue(static_cast<int>(ParseInteger(value)));
    } else if (name == L"value") {
        SetValue(static_cast<int>(ParseInteger(value)));
    } else if (name == L"hor") {
        m_horizontal = ParseBool(value);
        Invalidate();
    } else if (name == L"foreimage") {
        SetForeImage(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
