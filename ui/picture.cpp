#include "ui/picture.h"

#include <cwchar>

#include "ui/skin_resources.h"

extern "C" {
#include "stb_image.h"
}

namespace SkinUI {

DecodedPicture::~DecodedPicture() {
    if (bitmap) DeleteObject(bitmap);
}

bool PremultiplyPixels(const uint8_t* rgba, size_t count, uint32_t mask, uint8_t* bgra) {
    bool hasAlpha = false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* in = rgba + i * 4;
        uint8_t* out = bgra + i * 4;
        const unsigned a = in[3];
        out[3] = static_cast<uint8_t>(a);
        if (a == 255) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        } else {
            out[0] = static_cast<uint8_t>(in[2] * a / 255);
            out[1] = static_cast<uint8_t>(in[1] * a / 255);
            out[2] = static_cast<uint8_t>(in[0] * a / 255);
            hasAlpha = true;
        }
        const uint32_t value = (static_cast<uint32_t>(out[3]) << 24) |
                               (static_cast<uint32_t>(out[2]) << 16) |
                               (static_cast<uint32_t>(out[1]) << 8) | out[0];
        if (value == mask) {
            out[0] = out[1] = out[2] = out[3] = 0;
            hasAlpha = true;
        }
    }
    return hasAlpha;
}

namespace {

std::unique_ptr<DecodedPicture> MakeBitmap(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    auto picture = std::make_unique<DecodedPicture>();
    void* bits = nullptr;
    picture->bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!picture->bitmap || !bits) return nullptr;
    picture->pixels = static_cast<uint8_t*>(bits);
    picture->width = width;
    picture->height = height;
    return picture;
}

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

}  // namespace

std::unique_ptr<DecodedPicture> DecodePicture(const uint8_t* bytes, size_t size, uint32_t mask) {
    if (!bytes || size == 0 || size > static_cast<size_t>(INT32_MAX)) return nullptr;
    const int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    // The header alone decides the size, before any pixel memory is taken.
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        return nullptr;
    }
    std::unique_ptr<stbi_uc, StbFree> rgba(
        stbi_load_from_memory(bytes, length, &width, &height, &channels, 4));
    if (!rgba || width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        return nullptr;
    }
    auto picture = MakeBitmap(width, height);
    if (!picture) return nullptr;
    picture->hasAlpha =
        PremultiplyPixels(rgba.get(), static_cast<size_t>(width) * static_cast<size_t>(height),
                          mask, picture->pixels);
    picture->mask = mask;
    return picture;
}

std::unique_ptr<DecodedPicture> ColourPicture(const std::wstring& colour) {
    const wchar_t* p = colour.c_str();
    if (*p == L'#') ++p;
    const uint32_t argb = static_cast<uint32_t>(std::wcstoul(p, nullptr, 16));
    const uint8_t rgba[4] = {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                             static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24)};
    auto picture = MakeBitmap(1, 1);
    if (!picture) return nullptr;
    picture->hasAlpha = PremultiplyPixels(rgba, 1, 0, picture->pixels);
    picture->resourceType = L"*COLOR*";
    return picture;
}

std::unique_ptr<DecodedPicture> LoadPicture(const CSkinResources& resources,
                                            const std::wstring& name,
                                            const std::wstring& resourceType, uint32_t mask,
                                            HMODULE module) {
    if (resourceType == L"*COLOR*") return ColourPicture(name);
    if (!resourceType.empty()) {
        if (!module) module = GetModuleHandleW(nullptr);
        HRSRC info = FindResourceW(module, name.c_str(), resourceType.c_str());
        HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
        const DWORD size = info ? SizeofResource(module, info) : 0;
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data || size == 0) return nullptr;
        auto picture = DecodePicture(static_cast<const uint8_t*>(data), size, mask);
        if (picture) picture->resourceType = resourceType;
        return picture;
    }
    std::vector<uint8_t> bytes;
    if (!resources.ReadPictureBytes(name, bytes)) return nullptr;
    return DecodePicture(bytes.data(), bytes.size(), mask);
}

}  // namespace SkinUI
