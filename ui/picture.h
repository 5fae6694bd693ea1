#pragma once
// Decoded pictures: PNG bytes to a premultiplied, top-down 32-bit DIB. Each
// DecodedPicture owns its bitmap (and through it the pixel memory); the
// picture cache of a window owns the pictures.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace SkinUI {

class CSkinResources;

// Pictures wider or higher than this are refused (no picture).
constexpr int kMaxPictureSide = 4096;

struct DecodedPicture {
    DecodedPicture() = default;
    ~DecodedPicture();
    DecodedPicture(const DecodedPicture&) = delete;
    DecodedPicture& operator=(const DecodedPicture&) = delete;

    HBITMAP bitmap = nullptr;   // owned
    uint8_t* pixels = nullptr;  // the bitmap's memory: blue, green, red, alpha (premultiplied)
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::wstring resourceType;  // empty for archive pictures
    uint32_t mask = 0;
};

// Converts `count` pixels of 8-bit red, green, blue, alpha into blue, green,
// red, alpha with the colours premultiplied by alpha (value * alpha / 255,
// truncated; opaque pixels are copied). A pixel whose stored value, read as
// AARRGGBB, equals `mask` becomes 0. Answers the has-alpha flag: true when any
// pixel is not opaque or was removed by the mask.
bool PremultiplyPixels(const uint8_t* rgba, size_t count, uint32_t mask, uint8_t* bgra);

// Decodes PNG bytes into a picture; null for anything that is not a PNG of at
// most kMaxPictureSide on each side, or when the bitmap cannot be created.
std::unique_ptr<DecodedPicture> DecodePicture(const uint8_t* bytes, size_t size, uint32_t mask);

// A 1 x 1 picture of the colour written as hexadecimal AARRGGBB with an
// optional leading "#" (the resource type "*COLOR*").
std::unique_ptr<DecodedPicture> ColourPicture(const std::wstring& colour);

// Loads a picture by name: resource type "*COLOR*" gives a colour picture,
// another non-empty type the program resource of that name and type in
// `module`, no type the skin archive (or loose file), then the plain path.
std::unique_ptr<DecodedPicture> LoadPicture(const CSkinResources& resources,
                                            const std::wstring& name,
                                            const std::wstring& resourceType, uint32_t mask,
                                            HMODULE module = nullptr);

}  // namespace SkinUI
