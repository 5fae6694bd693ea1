#include "ui/tab_layout_ui.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/ui_manager.h"
#include "ui/vertical_layout_ui.h"

namespace SkinUI {

const wchar_t* CTabLayoutUI::GetClass() const { return L"TabLayout"; }

void* CTabLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"TabLayout") return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

bool CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    CControlUI* page = control.get();
    if (!CContainerUI::AddAt(std::move(control), index)) return false;
    if (m_currentSel == -1 && page->IsVisible()) {
        m_currentSel = index;
    } else {
        if (m_currentSel >= index) ++m_currentSel;
        page->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    if (!CContainerUI::Remove(control)) return false;
    if (m_currentSel == index) {
        m_currentSel = -1;
        if (GetCount() > 0) {
            const int next = std::min(index, GetCount() - 1);
            GetItemAt(next)->SetVisible(true);
            m_currentSel = next;
        }
    } else if (m_currentSel > index) {
        --m_currentSel;
    }
    return true;
}

bool CTabLayoutUI::SelectItem(int index, bool notify) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_currentSel) return true;
    const int old = m_currentSel;
    m_currentSel = index;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    if (notify && m_manager) {
        m_manager->SendNotify(this, L"tabselect", static_cast<WPARAM>(index),
                              static_cast<LPARAM>(old));
    }
    return true;
}

void CTabLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"selectedid") {
        SelectItem(static_cast<int>(ParseInteger(value)), false);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CTabLayoutUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    const RECT inner = InnerRect(m_rect);
    CControlUI* page = GetItemAt(m_currentSel);
    if (!page || !page->IsVisible()) return;
    if (page->IsFloat()) {
        SetFloatPos(page);
        return;
    }
    const RECT& p = page->GetPadding();
    const long long availWidth =
        std::max<long long>(0, static_cast<long long>(inner.right) - inner.left - p.left - p.right);
    const long long availHeight =
        std::max<long long>(0, static_cast<long long>(inner.bottom) - inner.top - p.top - p.bottom);
    const SIZE est =
        page->EstimateSize(SIZE{static_cast<LONG>(availWidth), static_cast<LONG>(availHeight)});
    const long long width =
        ClampToRange(est.cx ? est.cx : availWidth, page->GetMinWidth(), page->GetMaxWidth());
    const long long height =
        ClampToRange(est.cy ? est.cy : availHeight, page->GetMinHeight(), page->GetMaxHeight());
    const long long left = static_cast<long long>(inner.left) + p.left;
    const long long top = static_cast<long long>(inner.top) + p.top;
    page->SetPos(RECT{ToCoordinate(left), ToCoordinate(top), ToCoordinate(left + width),
                      ToCoordinate(top + height)});
}

}  // namespace SkinUI
