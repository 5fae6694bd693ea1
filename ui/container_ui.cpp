#include "ui/container_ui.h"

#include <algorithm>

#include "ui/attribute_values.h"

namespace SkinUI {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go first, while this container is still whole.
    m_items.clear();
}

const wchar_t* CContainerUI::GetClass() const { return L"Container"; }

void* CContainerUI::GetInterface(const std::wstring& name) {
    if (name == L"IContainer" || name == L"Container") return this;
    return CControlUI::GetInterface(name);
}

void CContainerUI::SetManager(CUIManager* manager, CControlUI* parent, bool init) {
    // Own name first, then the children: the name table keeps tree order.
    CControlUI::SetManager(manager, parent, init);
    for (auto& item : m_items) item->SetManager(manager, this, init);
}

bool CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

bool CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    control->SetManager(m_manager, this, m_manager != nullptr);
    m_items.insert(m_items.begin() + index, std::move(control));
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [control](const auto& item) { return item.get() == control; });
    if (it == m_items.end()) return false;
    m_items.erase(it);
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    m_items.clear();
    NeedUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == control) return static_cast<int>(i);
    }
    return -1;
}

void CContainerUI::SetInset(RECT inset) {
    m_inset = RECT{ClampOffset(inset.left), ClampOffset(inset.top), ClampOffset(inset.right),
                   ClampOffset(inset.bottom)};
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = ClampOffset(padding);
    NeedUpdate();
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"inset") {
        SetInset(ParseRect(value));
    } else if (name == L"mousechild") {
        m_mouseChild = ParseBool(value);
    } else if (name == L"childpadding") {
        SetChildPadding(ClampOffset(ParseInteger(value)));
    } else if (name == L"childalign") {
        if (value == L"left")
            m_childAlign = kAlignLeft;
        else if (value == L"center")
            m_childAlign = kAlignCenter;
        else if (value == L"right")
            m_childAlign = kAlignRight;
        NeedUpdate();
    } else if (name == L"childvalign") {
        if (value == L"top")
            m_childVAlign = kAlignTop;
        else if (value == L"vcenter")
            m_childVAlign = kAlignVCenter;
        else if (value == L"bottom")
            m_childVAlign = kAlignBottom;
        NeedUpdate();
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

RECT CContainerUI::InnerRect(const RECT& rect) const {
    RECT inner{rect.left + m_inset.left, rect.top + m_inset.top, rect.right - m_inset.right,
               rect.bottom - m_inset.bottom};
    if (inner.right < inner.left) inner.right = inner.left;
    if (inner.bottom < inner.top) inner.bottom = inner.top;
    return inner;
}

void CContainerUI::SetFloatPos(CControlUI* child) {
    const POINT xy = child->GetFixedXY();
    SIZE size = child->EstimateSize(SIZE{m_rect.right - m_rect.left, m_rect.bottom - m_rect.top});
    if (child->GetFixedWidth() > 0) size.cx = child->GetFixedWidth();
    if (child->GetFixedHeight() > 0) size.cy = child->GetFixedHeight();
    child->SetPos(RECT{m_rect.left + xy.x, m_rect.top + xy.y, m_rect.left + xy.x + size.cx,
                       m_rect.top + xy.y + size.cy});
}

void CContainerUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    const RECT inner = InnerRect(m_rect);
    for (auto& item : m_items) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(item.get());
            continue;
        }
        const RECT& p = item->GetPadding();
        item->SetPos(RECT{inner.left + p.left, inner.top + p.top, inner.right - p.right,
                          inner.bottom - p.bottom});
    }
}

}  // namespace SkinUI
