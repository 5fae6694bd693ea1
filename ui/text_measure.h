#pragma once
// Text metrics for layout: the text height of a font and the extent of a text,
// single-line or wrapped at word boundaries within a width. CGdiTextMeasure
// measures with GDI on a private memory DC (it owns the DC); tests that only
// check layout arithmetic may give the manager a fixed-metric measure instead.
#include <windows.h>

#include <string>

namespace SkinUI {

class CUIManager;

class ITextMeasure {
  public:
    virtual ~ITextMeasure() = default;
    // Height of a line of text in the font (its cell height).
    virtual int TextHeight(int font) = 0;
    // Extent of `text`; with `multiline` it wraps within `width`.
    virtual SIZE Measure(int font, const std::wstring& text, int width, bool multiline) = 0;
};

class CGdiTextMeasure : public ITextMeasure {
  public:
    explicit CGdiTextMeasure(const CUIManager& manager) : m_manager(manager) {}
    ~CGdiTextMeasure() override;
    CGdiTextMeasure(const CGdiTextMeasure&) = delete;
    CGdiTextMeasure& operator=(const CGdiTextMeasure&) = delete;

    int TextHeight(int font) override;
    SIZE Measure(int font, const std::wstring& text, int width, bool multiline) override;

  private:
    HDC Dc();
    const CUIManager& m_manager;
    HDC m_dc = nullptr;
};

}  // namespace SkinUI
