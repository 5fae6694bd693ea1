#pragma once
// CLabelUI: a control with text. Keeps the text style (alignment, single or
// multi-line, end ellipsis), font index, text colours, text padding and the
// markup flag, and measures its text for EstimateSize through the window's
// text metrics. The last estimate is remembered until the text, font, style,
// padding or the available size changes.
#include <cstdint>

#include "ui/control_ui.h"

namespace SkinUI {

// Text style bits (the values of the system's DrawText flags).
enum TextStyle : unsigned {
    kTextLeft = 0x0,
    kTextCenter = 0x1,
    kTextRight = 0x2,
    kTextTop = 0x0,
    kTextVCenter = 0x4,
    kTextBottom = 0x8,
    kTextWordBreak = 0x10,
    kTextSingleLine = 0x20,
    kTextEndEllipsis = 0x8000,
};

class CLabelUI : public CControlUI {
  public:
    CLabelUI();
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetText(const std::wstring& text) override;
    SIZE EstimateSize(SIZE available) override;

    unsigned GetTextStyle() const { return m_textStyle; }
    void SetTextStyle(unsigned style);
    bool IsMultiLine() const { return (m_textStyle & kTextSingleLine) == 0; }
    int GetFont() const { return m_font; }
    void SetFont(int index);
    uint32_t GetTextColor() const { return m_textColor; }
    uint32_t GetDisabledTextColor() const { return m_disabledTextColor; }
    const RECT& GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(RECT padding);
    bool IsShowHtml() const { return m_showHtml; }

  protected:
    // The label rule of EstimateSize (labels and progress bars).
    SIZE EstimateTextSize(SIZE available);
    void ForgetEstimate() { m_estimateValid = false; }

    unsigned m_textStyle = kTextVCenter | kTextSingleLine;
    int m_font = -1;
    uint32_t m_textColor = 0;
    uint32_t m_disabledTextColor = 0;
    RECT m_textPadding{0, 0, 0, 0};
    bool m_showHtml = false;

  private:
    bool m_estimateValid = false;
    SIZE m_estimateFor{0, 0};
    SIZE m_estimate{0, 0};
    int m_estimateFixedWidth = 0;
    int m_estimateFixedHeight = 0;
};

}  // namespace SkinUI
