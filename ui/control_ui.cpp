#include "ui/control_ui.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/ui_manager.h"

namespace SkinUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_manager) m_manager->UnregisterName(this);
}

const wchar_t* CControlUI::GetClass() const { return L"Control"; }

void* CControlUI::GetInterface(const std::wstring& name) {
    if (name == L"Control" || name == GetClass()) return this;
    return nullptr;
}

int CControlUI::ClampExtent(long value) {
    return static_cast<int>(std::clamp<long>(value, 0, kMaxExtent));
}

int CControlUI::ClampOffset(long value) {
    return static_cast<int>(std::clamp<long>(value, -kMaxExtent, kMaxExtent));
}

void CControlUI::SetManager(CUIManager* manager, CControlUI* parent, bool init) {
    m_manager = manager;
    m_parent = parent;
    if (init && manager) manager->RegisterName(this);
    if (m_cover) m_cover->SetManager(manager, this, init);
}

void CControlUI::SetCover(std::unique_ptr<CControlUI> cover) {
    m_cover = std::move(cover);
    if (m_cover) m_cover->SetManager(m_manager, this, m_manager != nullptr);
    NeedUpdate();
}

void CControlUI::SetName(const std::wstring& name) {
    if (m_manager) m_manager->UnregisterName(this);
    m_name = name;
}

void CControlUI::SetText(const std::wstring& text) {
    if (m_text == text) return;
    m_text = text;
    Invalidate();
}

void CControlUI::SetPos(RECT rect) {
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    m_rect = rect;
    m_updateNeeded = false;
    if (m_cover && m_cover->IsVisible()) {
        if (m_cover->IsFloat()) {
            const POINT xy = m_cover->GetFixedXY();
            const SIZE sz =
                m_cover->EstimateSize(SIZE{rect.right - rect.left, rect.bottom - rect.top});
            m_cover->SetPos(RECT{rect.left + xy.x, rect.top + xy.y, rect.left + xy.x + sz.cx,
                                 rect.top + xy.y + sz.cy});
        } else {
            m_cover->SetPos(rect);
        }
    }
}

SIZE CControlUI::EstimateSize(SIZE) { return SIZE{m_fixedWidth, m_fixedHeight}; }

void CControlUI::SetFixedXY(POINT pt) {
    m_fixedXY = POINT{ClampOffset(pt.x), ClampOffset(pt.y)};
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx) {
    m_fixedWidth = ClampExtent(cx);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    m_fixedHeight = ClampExtent(cy);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx) {
    m_minWidth = ClampExtent(cx);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy) {
    m_minHeight = ClampExtent(cy);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx) {
    m_maxWidth = ClampExtent(cx);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy) {
    m_maxHeight = ClampExtent(cy);
    NeedParentUpdate();
}

void CControlUI::SetPadding(RECT padding) {
    m_padding = RECT{ClampOffset(padding.left), ClampOffset(padding.top),
                     ClampOffset(padding.right), ClampOffset(padding.bottom)};
    NeedParentUpdate();
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Invalidate();
}

void CControlUI::SetFloat(bool on) {
    m_float = on;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(uint32_t colour) {
    m_bkColor = colour;
    Invalidate();
}

void CControlUI::SetBkImage(const std::wstring& image) {
    m_bkImage.Set(image);
    Invalidate();
}

const std::wstring* CControlUI::GetCustomAttribute(const std::wstring& name) const {
    for (const auto& [key, value] : m_customAttributes) {
        if (key == name) return &value;
    }
    return nullptr;
}

void CControlUI::AddCustomAttribute(const std::wstring& name, const std::wstring& value) {
    if (name.empty() || GetCustomAttribute(name)) return;
    m_customAttributes.emplace_back(name, value);
}

void CControlUI::Invalidate() {
    if (m_manager && m_visible) m_manager->Invalidate(m_rect);
}

void CControlUI::NeedUpdate() {
    m_updateNeeded = true;
    if (m_manager) {
        m_manager->SetLayoutNeeded();
        Invalidate();
    }
}

void CControlUI::NeedParentUpdate() {
    if (m_parent) {
        m_parent->NeedUpdate();
    } else {
        NeedUpdate();
    }
}

void CControlUI::ApplyAttributeList(const std::wstring& list) {
    for (const auto& [name, value] : ParseAttributeList(list)) SetAttribute(name, value);
}

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"pos") {
        const RECT rc = ParseRect(value);
        SetFixedXY(POINT{rc.left, rc.top});
        SetFixedWidth(static_cast<int>(
            std::clamp<long long>(static_cast<long long>(rc.right) - rc.left, 0, kMaxExtent)));
        SetFixedHeight(static_cast<int>(
            std::clamp<long long>(static_cast<long long>(rc.bottom) - rc.top, 0, kMaxExtent)));
    } else if (name == L"padding") {
        SetPadding(ParseRect(value));
    } else if (name == L"bkcolor" || name == L"bkcolor1") {
        SetBkColor(ParseColour(value, true));
    } else if (name == L"bkcolor2") {
        m_bkColor2 = ParseColour(value, true);
        Invalidate();
    } else if (name == L"bkcolor3") {
        m_bkColor3 = ParseColour(value, true);
        Invalidate();
    } else if (name == L"bordercolor") {
        m_borderColor = ParseColour(value);
        Invalidate();
    } else if (name == L"focusbordercolor") {
        m_focusBorderColor = ParseColour(value);
        Invalidate();
    } else if (name == L"bordersize") {
        if (value.find(L',') == std::wstring::npos) {
            const int all = ClampExtent(ParseInteger(value));
            m_borderSize = RECT{all, all, all, all};
        } else {
            const RECT rc = ParseRect(value);
            m_borderSize = RECT{ClampExtent(rc.left), ClampExtent(rc.top), ClampExtent(rc.right),
                                ClampExtent(rc.bottom)};
        }
        Invalidate();
    } else if (name == L"borderround") {
        const SIZE sz = ParseSize(value);
        m_borderRound = SIZE{ClampExtent(sz.cx), ClampExtent(sz.cy)};
        Invalidate();
    } else if (name == L"bkimage") {
        SetBkImage(value);
    } else if (name == L"width") {
        SetFixedWidth(ClampExtent(ParseInteger(value)));
    } else if (name == L"height") {
        SetFixedHeight(ClampExtent(ParseInteger(value)));
    } else if (name == L"minwidth") {
        SetMinWidth(ClampExtent(ParseInteger(value)));
    } else if (name == L"minheight") {
        SetMinHeight(ClampExtent(ParseInteger(value)));
    } else if (name == L"maxwidth") {
        SetMaxWidth(ClampExtent(ParseInteger(value)));
    } else if (name == L"maxheight") {
        SetMaxHeight(ClampExtent(ParseInteger(value)));
    } else if (name == L"name") {
        SetName(value);
    } else if (name == L"text") {
        SetText(value);
    } else if (name == L"tooltip") {
        m_toolTip = value;
    } else if (name == L"userdata") {
        SetUserData(value);
    } else if (name == L"tag") {
        m_tag = static_cast<intptr_t>(ParseInteger(value));
    } else if (name == L"enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == L"mouse") {
        m_mouse = ParseBool(value);
    } else if (name == L"keyboard") {
        m_keyboard = ParseBool(value);
    } else if (name == L"visible") {
        SetVisible(ParseBool(value));
    } else if (name == L"float") {
        SetFloat(ParseBool(value));
    } else if (name == L"shortcut") {
        m_shortcut = value.empty() ? 0 : value[0];
    } else if (name == L"menu") {
        m_menu = ParseBool(value);
    } else {
        AddCustomAttribute(name, value);
    }
}

}  // namespace SkinUI
