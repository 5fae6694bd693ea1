#include "ui/option_ui.h"

#include "ui/attribute_values.h"
#include "ui/ui_manager.h"

namespace SkinUI {

COptionUI::~COptionUI() {
    if (m_manager && !m_group.empty()) m_manager->RemoveOptionGroup(m_group, this);
}

const wchar_t* COptionUI::GetClass() const { return L"Option"; }

void* COptionUI::GetInterface(const std::wstring& name) {
    if (name == L"Option") return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CUIManager* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
    if (init && manager && !m_group.empty()) manager->AddOptionGroup(m_group, this);
}

void COptionUI::SetGroup(const std::wstring& group) {
    if (group == m_group) return;
    if (m_manager && !m_group.empty()) m_manager->RemoveOptionGroup(m_group, this);
    m_group = group;
    if (m_manager && !m_group.empty()) m_manager->AddOptionGroup(m_group, this);
    Selected(IsSelected(), false);
}

void COptionUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) m_buttonState &= kStateSelected;
}

void COptionUI::Selected(bool selected, bool notify) {
    if (selected == IsSelected()) return;
    if (selected) {
        m_buttonState |= kStateSelected;
    } else {
        m_buttonState &= ~static_cast<unsigned>(kStateSelected);
    }
    if (!m_group.empty() && m_manager) {
        if (!selected) {
            Invalidate();
            return;
        }
        if (const auto* members = m_manager->GetOptionGroup(m_group)) {
            const auto others = *members;  // deselecting may not change the table, but be safe
            for (CControlUI* member : others) {
                auto* option = static_cast<COptionUI*>(member->GetInterface(L"Option"));
                if (option && option != this) option->Selected(false, notify);
            }
        }
    }
    if (notify && m_manager) m_manager->SendNotify(this, L"selectchanged");
    Invalidate();
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"group") {
        SetGroup(value);
    } else if (name == L"selected") {
        Selected(ParseBool(value), false);
    } else if (name == L"selectedimage") {
        m_selectedImage.Set(value);
        Invalidate();
    } else if (name == L"selectedhotimage") {
        m_selectedHotImage.Set(value);
        Invalidate();
    } else if (name == L"selectedtextcolor") {
        m_selectedTextColor = ParseColour(value);
        Invalidate();
    } else if (name == L"selectedbkcolor") {
        m_selectedBkColor = ParseColour(value);
        Invalidate();
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBox"; }

void* CCheckBoxUI::GetInterface(const std::wstring& name) {
    if (name == L"CheckBox") return this;
    return COptionUI::GetInterface(name);
}

void CCheckBoxUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    // Check boxes have no group: the name is kept as a custom attribute only.
    if (name == L"group") {
        AddCustomAttribute(name, value);
        return;
    }
    COptionUI::SetAttribute(name, value);
}

}  // namespace SkinUI
