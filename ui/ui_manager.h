#pragma once
// CUIManager: one per window, owner of the window's control tree and of what
// the skin gives the window: window settings and custom window attributes,
// fonts, "Default" attribute lists, interface strings, the picture cache, the
// name table, and the synchronous notification delivery to listeners.
// Message routing, timers and the asynchronous queue belong to the window
// shell, which builds on this class.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/notify.h"
#include "ui/picture_cache.h"
#include "ui/text_measure.h"

namespace SkinUI {

class CControlUI;
class CSkinResources;

// A font of the window's font table (owns its HFONT).
struct FontInfo {
    FontInfo() = default;
    ~FontInfo();
    FontInfo(const FontInfo&) = delete;
    FontInfo& operator=(const FontInfo&) = delete;

    HFONT font = nullptr;
    std::wstring faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    int textHeight = 0;  // cell height of a line, measured at creation
};

// The settings of the skin's Window element.
struct WindowSettings {
    SIZE initSize{0, 0};
    RECT caption{0, 0, 0, 0};
    SIZE roundCorner{0, 0};
    RECT sizeBox{0, 0, 0, 0};
    SIZE minInfo{0, 0};
    SIZE maxInfo{0, 0};
    bool showDirty = false;
    bool noActivate = false;
    int opacity = 255;
    int layeredOpacity = 255;
    std::wstring layeredImage;
    uint32_t defaultFontColour = 0xFF000000;
    uint32_t disabledFontColour = 0xFFA7A6AA;
    uint32_t linkFontColour = 0xFF0000FF;
    uint32_t linkHoverFontColour = 0xFFD3215F;
    uint32_t selectedColour = 0xFFBAE4FF;
};

class CUIManager {
  public:
    explicit CUIManager(const CSkinResources& resources);
    ~CUIManager();
    CUIManager(const CUIManager&) = delete;
    CUIManager& operator=(const CUIManager&) = delete;

    // The native window (none until the window shell attaches one).
    void SetPaintWindow(HWND window) { m_window = window; }
    HWND GetPaintWindow() const { return m_window; }
    const CSkinResources& Resources() const { return m_resources; }

    // ---- window settings ----
    // Known names set the window settings ("size" also resizes an existing
    // window, keeping its position); any other name is a custom window
    // attribute, where the first value given for a name stays.
    void SetWindowAttribute(const std::wstring& name, const std::wstring& value);
    // The custom window attribute, or null.
    const std::wstring* GetWindowAttribute(const std::wstring& name) const;
    const WindowSettings& Settings() const { return m_settings; }

    // ---- fonts ----
    // Creates a font from the system's default GUI font with the given face
    // (at most 31 characters), a character height of `size` pixels, weight
    // raised by 700 when bold; replaces a font of the same id. `makeDefault`
    // also makes it the window's default font.
    bool AddFont(int id, const std::wstring& faceName, int size, bool bold, bool underline,
                 bool italic, bool makeDefault);
    // The font of that id; the default font for -1 or an unknown id.
    const FontInfo* GetFontInfo(int id) const;
    HFONT GetFont(int id) const;

    // ---- "Default" lists and interface strings ----
    void AddDefaultAttributeList(const std::wstring& classWord, const std::wstring& list);
    // The list for a class word (without regard to case), or null.
    const std::wstring* GetDefaultAttributeList(const std::wstring& classWord) const;
    void AddMultiLanguageString(int id, const std::wstring& text);
    const std::wstring* GetMultiLanguageString(int id) const;

    // ---- pictures ----
    CPictureCache& Pictures() { return m_pictures; }

    // ---- text metrics (GDI unless a test sets its own; not owned) ----
    ITextMeasure& TextMeasure() { return m_measure ? *m_measure : m_gdiMeasure; }
    void SetTextMeasure(ITextMeasure* measure) { m_measure = measure; }

    // ---- the control tree ----
    // Takes ownership of the root, connects every control to this manager and
    // fills the name table (when two controls share a name, the first in tree
    // order is kept). Answers the root.
    CControlUI* AttachRoot(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return m_root.get(); }
    // Registers one control's name (no-op when the name is empty or taken).
    void RegisterName(CControlUI* control);
    void UnregisterName(CControlUI* control);
    CControlUI* FindControl(const std::wstring& name) const;
    // Lays the root over `client` (whatever the root's own size says).
    void Layout(const RECT& client);
    bool IsLayoutNeeded() const { return m_layoutNeeded; }
    void SetLayoutNeeded() { m_layoutNeeded = true; }
    // Repaint request for a rectangle of the window (nothing without one).
    void Invalidate(const RECT& rect);

    // ---- option groups ----
    void AddOptionGroup(const std::wstring& group, CControlUI* option);
    void RemoveOptionGroup(const std::wstring& group, CControlUI* option);
    const std::vector<CControlUI*>* GetOptionGroup(const std::wstring& group) const;

    // ---- notifications (synchronous delivery) ----
    void AddNotifier(INotifyUI* listener);
    void RemoveNotifier(INotifyUI* listener);
    void SendNotify(CControlUI* sender, const std::wstring& type, WPARAM wParam = 0,
                    LPARAM lParam = 0);
    void SetLastMousePos(POINT pt) { m_lastMouse = pt; }

  private:
    const CSkinResources& m_resources;
    HWND m_window = nullptr;
    WindowSettings m_settings;
    std::vector<std::pair<std::wstring, std::wstring>> m_customAttributes;
    std::map<int, std::unique_ptr<FontInfo>> m_fonts;
    std::unique_ptr<FontInfo> m_systemFont;
    int m_defaultFontId = -1;
    bool m_hasDefaultFont = false;
    std::map<std::wstring, std::wstring> m_defaultLists;  // key: lower-case class word
    std::map<int, std::wstring> m_strings;
    CPictureCache m_pictures;
    CGdiTextMeasure m_gdiMeasure;
    ITextMeasure* m_measure = nullptr;
    std::unique_ptr<CControlUI> m_root;
    std::map<std::wstring, CControlUI*> m_names;
    std::map<std::wstring, std::vector<CControlUI*>> m_optionGroups;
    std::vector<INotifyUI*> m_notifiers;
    POINT m_lastMouse{0, 0};
    bool m_layoutNeeded = true;
};

}  // namespace SkinUI
