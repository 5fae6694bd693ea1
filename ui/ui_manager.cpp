#include "ui/ui_manager.h"

#include <algorithm>
#include <cwctype>

#include "ui/attribute_values.h"
#include "ui/control_ui.h"

namespace SkinUI {
namespace {

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

int CellHeight(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    const int height = GetTextMetricsW(dc, &tm) ? tm.tmHeight : 0;
    SelectObject(dc, old);
    DeleteDC(dc);
    return height;
}

std::unique_ptr<FontInfo> MakeFont(const LOGFONTW& lf) {
    auto info = std::make_unique<FontInfo>();
    info->font = CreateFontIndirectW(&lf);
    if (!info->font) return nullptr;
    info->faceName = lf.lfFaceName;
    info->size = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    info->bold = lf.lfWeight >= FW_BOLD;
    info->underline = lf.lfUnderline != 0;
    info->italic = lf.lfItalic != 0;
    info->textHeight = CellHeight(info->font);
    return info;
}

}  // namespace

FontInfo::~FontInfo() {
    if (font) DeleteObject(font);
}

CUIManager::CUIManager(const CSkinResources& resources)
    : m_resources(resources), m_pictures(resources), m_gdiMeasure(*this) {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    m_systemFont = MakeFont(lf);
}

CUIManager::~CUIManager() {
    // Controls unregister themselves while the tables still exist.
    m_root.reset();
}

// ---- window settings ----

void CUIManager::SetWindowAttribute(const std::wstring& name, const std::wstring& value) {
    auto clampSize = [](SIZE sz) {
        return SIZE{std::clamp<LONG>(sz.cx, 0, kMaxExtent), std::clamp<LONG>(sz.cy, 0, kMaxExtent)};
    };
    const std::wstring key = Lower(name);
    if (key == L"size") {
        m_settings.initSize = clampSize(ParseSize(value));
        if (m_window) {
            SetWindowPos(m_window, nullptr, 0, 0, m_settings.initSize.cx, m_settings.initSize.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    } else if (key == L"caption") {
        m_settings.caption = ParseRect(value);
    } else if (key == L"roundcorner") {
        m_settings.roundCorner = clampSize(ParseSize(value));
    } else if (key == L"sizebox") {
        m_settings.sizeBox = ParseRect(value);
    } else if (key == L"mininfo") {
        m_settings.minInfo = clampSize(ParseSize(value));
    } else if (key == L"maxinfo") {
        m_settings.maxInfo = clampSize(ParseSize(value));
    } else if (key == L"showdirty") {
        m_settings.showDirty = ParseBoolNoCase(value);
    } else if (key == L"noactivate") {
        m_settings.noActivate = ParseBoolNoCase(value);
    } else if (key == L"opacity") {
        m_settings.opacity = static_cast<int>(std::clamp<long>(ParseInteger(value), 0, 255));
    } else if (key == L"layeredopacity") {
        m_settings.layeredOpacity = static_cast<int>(std::clamp<long>(ParseInteger(value), 0, 255));
    } else if (key == L"layeredimage") {
        m_settings.layeredImage = value;
    } else if (key == L"defaultfontcolor") {
        m_settings.defaultFontColour = ParseColour(value);
    } else if (key == L"disabledfontcolor") {
        m_settings.disabledFontColour = ParseColour(value);
    } else if (key == L"linkfontcolor") {
        m_settings.linkFontColour = ParseColour(value);
    } else if (key == L"linkhoverfontcolor") {
        m_settings.linkHoverFontColour = ParseColour(value);
    } else if (key == L"selectedcolor") {
        m_settings.selectedColour = ParseColour(value);
    } else if (!name.empty() && !GetWindowAttribute(name)) {
        m_customAttributes.emplace_back(name, value);
    }
}

const std::wstring* CUIManager::GetWindowAttribute(const std::wstring& name) const {
    for (const auto& [key, value] : m_customAttributes) {
        if (key == name) return &value;
    }
    return nullptr;
}

// ---- fonts ----

bool CUIManager::AddFont(int id, const std::wstring& faceName, int size, bool bold, bool underline,
                         bool italic, bool makeDefault) {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    const std::wstring face = faceName.substr(0, LF_FACESIZE - 1);
    std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'\0');
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -std::clamp(size, 1, 4096);
    if (bold) lf.lfWeight += FW_BOLD;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    auto info = MakeFont(lf);
    if (!info) return false;
    m_fonts[id] = std::move(info);
    if (makeDefault) {
        m_defaultFontId = id;
        m_hasDefaultFont = true;
    }
    SetLayoutNeeded();
    return true;
}

const FontInfo* CUIManager::GetFontInfo(int id) const {
    if (id >= 0) {
        auto it = m_fonts.find(id);
        if (it != m_fonts.end()) return it->second.get();
    }
    if (m_hasDefaultFont) {
        auto it = m_fonts.find(m_defaultFontId);
        if (it != m_fonts.end()) return it->second.get();
    }
    return m_systemFont.get();
}

HFONT CUIManager::GetFont(int id) const {
    const FontInfo* info = GetFontInfo(id);
    return info ? info->font : nullptr;
}

// ---- lists and strings ----

void CUIManager::AddDefaultAttributeList(const std::wstring& classWord, const std::wstring& list) {
    if (classWord.empty()) return;
    m_defaultLists[Lower(classWord)] = list;
}

const std::wstring* CUIManager::GetDefaultAttributeList(const std::wstring& classWord) const {
    auto it = m_defaultLists.find(Lower(classWord));
    return it != m_defaultLists.end() ? &it->second : nullptr;
}

void CUIManager::AddMultiLanguageString(int id, const std::wstring& text) { m_strings[id] = text; }

const std::wstring* CUIManager::GetMultiLanguageString(int id) const {
    auto it = m_strings.find(id);
    return it != m_strings.end() ? &it->second : nullptr;
}

// ---- tree ----

CControlUI* CUIManager::AttachRoot(std::unique_ptr<CControlUI> root) {
    m_names.clear();
    m_optionGroups.clear();
    m_root = std::move(root);
    if (m_root) m_root->SetManager(this, nullptr, true);
    m_layoutNeeded = true;
    return m_root.get();
}

void CUIManager::RegisterName(CControlUI* control) {
    if (!control || control->GetName().empty()) return;
    m_names.emplace(control->GetName(), control);  // the first one stays
}

void CUIManager::UnregisterName(CControlUI* control) {
    if (!control) return;
    auto it = m_names.find(control->GetName());
    if (it != m_names.end() && it->second == control) m_names.erase(it);
    for (auto& [group, members] : m_optionGroups) {
        members.erase(std::remove(members.begin(), members.end(), control), members.end());
    }
}

CControlUI* CUIManager::FindControl(const std::wstring& name) const {
    auto it = m_names.find(name);
    return it != m_names.end() ? it->second : nullptr;
}

void CUIManager::Layout(const RECT& client) {
    m_layoutNeeded = false;
    if (m_root) m_root->SetPos(client);
}

void CUIManager::Invalidate(const RECT& rect) {
    if (m_window) InvalidateRect(m_window, &rect, FALSE);
}

// ---- option groups ----

void CUIManager::AddOptionGroup(const std::wstring& group, CControlUI* option) {
    if (group.empty() || !option) return;
    auto& members = m_optionGroups[group];
    if (std::find(members.begin(), members.end(), option) == members.end()) {
        members.push_back(option);
    }
}

void CUIManager::RemoveOptionGroup(const std::wstring& group, CControlUI* option) {
    auto it = m_optionGroups.find(group);
    if (it == m_optionGroups.end()) return;
    auto& members = it->second;
    members.erase(std::remove(members.begin(), members.end(), option), members.end());
}

const std::vector<CControlUI*>* CUIManager::GetOptionGroup(const std::wstring& group) const {
    auto it = m_optionGroups.find(group);
    return it != m_optionGroups.end() ? &it->second : nullptr;
}

// ---- notifications ----

void CUIManager::AddNotifier(INotifyUI* listener) {
    if (listener &&
        std::find(m_notifiers.begin(), m_notifiers.end(), listener) == m_notifiers.end()) {
        m_notifiers.push_back(listener);
    }
}

void CUIManager::RemoveNotifier(INotifyUI* listener) {
    m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), listener),
                      m_notifiers.end());
}

void CUIManager::SendNotify(CControlUI* sender, const std::wstring& type, WPARAM wParam,
                            LPARAM lParam) {
    TNotify notify;
    notify.type = type;
    notify.sender = sender;
    notify.timestamp = GetTickCount();
    notify.mouse = m_lastMouse;
    notify.wParam = wParam;
    notify.lParam = lParam;
    // A listener may add or remove listeners while it runs; deliver to a copy.
    const auto listeners = m_notifiers;
    for (INotifyUI* listener : listeners) listener->Notify(notify);
}

}  // namespace SkinUI
