#pragma once
// CButtonUI: a clickable label with state images and state colours. It keeps
// the images for the normal, hot, pushed, focused and disabled states, the
// fore images, the state background and text colours, and the UI state bits
// that input sets (focused, selected, disabled, hot, pushed, captured).
#include <cstdint>

#include "ui/image_attribute.h"
#include "ui/label_ui.h"

namespace SkinUI {

enum UiState : unsigned {
    kStateFocused = 1,
    kStateSelected = 2,
    kStateDisabled = 4,
    kStateHot = 8,
    kStatePushed = 16,
    kStateCaptured = 64,
};

class CButtonUI : public CLabelUI {
  public:
    CButtonUI();
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // Fixed width and height, a missing height becoming the font's text height + 8.
    SIZE EstimateSize(SIZE available) override;
    // Disabling clears every state bit.
    void SetEnabled(bool enabled) override;

    unsigned GetButtonState() const { return m_buttonState; }
    void SetButtonState(unsigned state) { m_buttonState = state; }

    const CImageAttribute& GetNormalImage() const { return m_normalImage; }
    const CImageAttribute& GetHotImage() const { return m_hotImage; }
    const CImageAttribute& GetPushedImage() const { return m_pushedImage; }
    const CImageAttribute& GetFocusedImage() const { return m_focusedImage; }
    const CImageAttribute& GetDisabledImage() const { return m_disabledImage; }
    const CImageAttribute& GetForeImage() const { return m_foreImage; }
    const CImageAttribute& GetHotForeImage() const { return m_hotForeImage; }
    void SetNormalImage(const std::wstring& image);
    void SetHotImage(const std::wstring& image);
    void SetPushedImage(const std::wstring& image);
    uint32_t GetHotBkColor() const { return m_hotBkColor; }
    uint32_t GetPushedBkColor() const { return m_pushedBkColor; }
    uint32_t GetDisabledBkColor() const { return m_disabledBkColor; }
    uint32_t GetHotTextColor() const { return m_hotTextColor; }
    uint32_t GetPushedTextColor() const { return m_pushedTextColor; }
    uint32_t GetFocusedTextColor() const { return m_focusedTextColor; }

  protected:
    unsigned m_buttonState = 0;
    CImageAttribute m_normalImage;
    CImageAttribute m_hotImage;
    CImageAttribute m_pushedImage;
    CImageAttribute m_focusedImage;
    CImageAttribute m_disabledImage;
    CImageAttribute m_foreImage;
    CImageAttribute m_hotForeImage;
    uint32_t m_hotBkColor = 0;
    uint32_t m_pushedBkColor = 0;
    uint32_t m_disabledBkColor = 0;
    uint32_t m_hotTextColor = 0;
    uint32_t m_pushedTextColor = 0;
    uint32_t m_focusedTextColor = 0;
};

// The estimate of button-like controls (buttons, options, check boxes, edits).
SIZE EstimateButtonSize(const CLabelUI& control, CUIManager* manager);

}  // namespace SkinUI
