#include "ui/edit_ui.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/button_ui.h"

namespace SkinUI {

const wchar_t* CEditUI::GetClass() const { return L"Edit"; }

void* CEditUI::GetInterface(const std::wstring& name) {
    if (name == L"Edit") return this;
    return CLabelUI::GetInterface(name);
}

SIZE CEditUI::EstimateSize(SIZE) { return EstimateButtonSize(*this, m_manager); }

void CEditUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"readonly") {
        m_readOnly = ParseBool(value);
        Invalidate();
    } else if (name == L"password") {
        m_password = ParseBool(value);
        Invalidate();
    } else if (name == L"maxchar") {
        m_maxChar = static_cast<int>(std::clamp<long>(ParseInteger(value), 0, 0x7FFFFFFE));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
