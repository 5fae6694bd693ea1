#pragma once
// CControlUI: the plain control and the base of every control class. It holds
// the common properties a skin sets (name, text, sizes, padding, colours,
// background image, border, flags, custom attributes), its rectangle after
// layout, its parent and manager (neither owned) and its cover control (owned).
//
// SetAttribute handles the common names and stores every other name as a
// custom attribute (the first value of a name stays). Subclasses handle their
// own names and pass the rest down to their base class.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/image_attribute.h"

namespace SkinUI {

class CUIManager;

// Sizes are kept within this bound so layout sums cannot overflow.
constexpr int kMaxExtent = 1 << 20;

class CControlUI {
  public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // The class word ("Control", "Label", ...).
    virtual const wchar_t* GetClass() const;
    // `this` (suitably cast by the caller) when the control answers the
    // interface name, else null. Every control answers "Control" and its
    // class word; containers answer "IContainer".
    virtual void* GetInterface(const std::wstring& name);

    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
    // Applies  name="value" name2="value2" ...  in order.
    void ApplyAttributeList(const std::wstring& list);

    // ---- tree ----
    CControlUI* GetParent() const { return m_parent; }
    CUIManager* GetManager() const { return m_manager; }
    // Connects this control (and, for containers, its children) to a manager;
    // with `init` the control also registers its name and group there.
    virtual void SetManager(CUIManager* manager, CControlUI* parent, bool init = true);
    void SetCover(std::unique_ptr<CControlUI> cover);
    CControlUI* GetCover() const { return m_cover.get(); }

    // ---- identity and text ----
    const std::wstring& GetName() const { return m_name; }
    void SetName(const std::wstring& name);
    const std::wstring& GetText() const { return m_text; }
    virtual void SetText(const std::wstring& text);
    const std::wstring& GetUserData() const { return m_userData; }
    void SetUserData(const std::wstring& data) { m_userData = data; }
    const std::wstring& GetToolTip() const { return m_toolTip; }
    intptr_t GetTag() const { return m_tag; }
    wchar_t GetShortcut() const { return m_shortcut; }

    // ---- geometry ----
    const RECT& GetPos() const { return m_rect; }
    virtual void SetPos(RECT rect);
    // What the control wishes within the available size (0 = no wish).
    virtual SIZE EstimateSize(SIZE available);
    POINT GetFixedXY() const { return m_fixedXY; }
    void SetFixedXY(POINT pt);
    int GetFixedWidth() const { return m_fixedWidth; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return m_fixedHeight; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return m_minWidth; }
    void SetMinWidth(int cx);
    int GetMinHeight() const { return m_minHeight; }
    void SetMinHeight(int cy);
    // A maximum below the minimum counts as the minimum.
    int GetMaxWidth() const { return m_maxWidth < m_minWidth ? m_minWidth : m_maxWidth; }
    void SetMaxWidth(int cx);
    int GetMaxHeight() const { return m_maxHeight < m_minHeight ? m_minHeight : m_maxHeight; }
    void SetMaxHeight(int cy);
    const RECT& GetPadding() const { return m_padding; }
    void SetPadding(RECT padding);

    // ---- state ----
    bool IsVisible() const { return m_visible; }
    virtual void SetVisible(bool visible);
    bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);
    bool IsFloat() const { return m_float; }
    void SetFloat(bool on);
    bool IsMouseEnabled() const { return m_mouse; }
    bool IsKeyboardEnabled() const { return m_keyboard; }
    bool IsContextMenuUsed() const { return m_menu; }

    // ---- look ----
    uint32_t GetBkColor() const { return m_bkColor; }
    uint32_t GetBkColor2() const { return m_bkColor2; }
    uint32_t GetBkColor3() const { return m_bkColor3; }
    void SetBkColor(uint32_t colour);
    const CImageAttribute& GetBkImage() const { return m_bkImage; }
    CImageAttribute& BkImage() { return m_bkImage; }
    void SetBkImage(const std::wstring& image);
    const RECT& GetBorderSize() const { return m_borderSize; }
    uint32_t GetBorderColor() const { return m_borderColor; }
    uint32_t GetFocusBorderColor() const { return m_focusBorderColor; }
    SIZE GetBorderRound() const { return m_borderRound; }

    // ---- custom attributes ----
    const std::wstring* GetCustomAttribute(const std::wstring& name) const;
    void AddCustomAttribute(const std::wstring& name, const std::wstring& value);

    // ---- repaint and layout requests ----
    void Invalidate();
    // This control needs a new layout (its own size changed inside).
    void NeedUpdate();
    // Its parent needs a new layout (this control's size or visibility changed).
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return m_updateNeeded; }

  protected:
    static int ClampExtent(long value);
    static int ClampOffset(long value);

    CUIManager* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    std::unique_ptr<CControlUI> m_cover;
    std::wstring m_name;
    std::wstring m_text;
    std::wstring m_userData;
    std::wstring m_toolTip;
    intptr_t m_tag = 0;
    wchar_t m_shortcut = 0;
    RECT m_rect{0, 0, 0, 0};
    POINT m_fixedXY{0, 0};
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 9999;
    int m_maxHeight = 9999;
    RECT m_padding{0, 0, 0, 0};
    bool m_visible = true;
    bool m_enabled = true;
    bool m_float = false;
    bool m_mouse = true;
    bool m_keyboard = true;
    bool m_menu = false;
    bool m_updateNeeded = true;
    uint32_t m_bkColor = 0;
    uint32_t m_bkColor2 = 0;
    uint32_t m_bkColor3 = 0;
    CImageAttribute m_bkImage;
    RECT m_borderSize{0, 0, 0, 0};
    uint32_t m_borderColor = 0;
    uint32_t m_focusBorderColor = 0;
    SIZE m_borderRound{0, 0};
    std::vector<std::pair<std::wstring, std::wstring>> m_customAttributes;
};

}  // namespace SkinUI
