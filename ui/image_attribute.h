#pragma once
// An image attribute value ("bkimage", "normalimage", ...): either a plain
// path or key='value' pairs. CImageAttribute keeps the string, its parsed form
// (parsed once) and whether loading the picture already failed, so a missing
// picture is not looked for again for the same string.
#include <windows.h>

#include <cstdint>
#include <string>

namespace SkinUI {

struct ImageDrawing {
    std::wstring file;          // "file", or the whole string when it has no "="
    std::wstring resourceType;  // "restype" ("res" names the resource itself)
    std::wstring colour;        // "color": a one-colour picture
    RECT dest{};                // "dest", relative to the control's top-left corner
    bool hasDest = false;
    RECT source{};  // "source": the part of the picture to use
    bool hasSource = false;
    RECT corner{};      // "corner" / "scale9": margins that are not stretched
    uint32_t mask = 0;  // "mask"
    int fade = 255;     // "fade" (0..255)
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    bool hsl = false;
};

// Parses an image string. After each value the next pair is read only when
// the character right after the closing quote is a blank (code 32); any other
// character ends the list and the rest is ignored. Empty values are ignored.
ImageDrawing ParseImageString(const std::wstring& text);

class CImageAttribute {
  public:
    CImageAttribute() = default;
    explicit CImageAttribute(std::wstring text) { Set(std::move(text)); }
    void Set(std::wstring text);
    const std::wstring& Text() const { return m_text; }
    bool Empty() const { return m_text.empty(); }
    const ImageDrawing& Drawing() const { return m_drawing; }
    // Set by the renderer when the picture could not be loaded.
    bool LoadFailed() const { return m_loadFailed; }
    void MarkLoadFailed() { m_loadFailed = true; }

  private:
    std::wstring m_text;
    ImageDrawing m_drawing;
    bool m_loadFailed = false;
};

}  // namespace SkinUI
