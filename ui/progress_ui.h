#pragma once
// CProgressUI: a bar whose "foreimage" fills the part of its rectangle that
// the value covers between "min" and "max". Text is centred on one line; the
// default fixed height is 12.
#include "ui/image_attribute.h"
#include "ui/label_ui.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
  public:
    CProgressUI();
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    int GetMinValue() const { return m_min; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_max; }
    void SetMaxValue(int value);
    int GetValue() const { return m_value; }
    void SetValue(int value);
    bool IsHorizontal() const { return m_horizontal; }
    const CImageAttribute& GetForeImage() const { return m_foreImage; }
    void SetForeImage(const std::wstring& image);
    // The part of `rect` the value fills (integer arithmetic; when min >= max,
    // max counts as min + 1 and the value is kept between them).
    RECT FillRect(const RECT& rect) const;

  private:
    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    bool m_horizontal = true;
    CImageAttribute m_foreImage;
};

}  // namespace SkinUI
