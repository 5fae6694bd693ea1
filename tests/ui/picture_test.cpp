#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/fixture_archive.h"
#include "tests/ui/png_bytes.h"
#include "ui/picture.h"
#include "ui/picture_cache.h"
#include "ui/skin_resources.h"

namespace {

using SkinUI::DecodePicture;
using SkinUI::PremultiplyPixels;
using TestSupport::MakePng;

TEST(SkinPicture, PremultipliesAndAppliesTheMask) {
    const struct {
        uint8_t r, g, b, a;
        uint32_t mask;
        uint8_t blue, green, red, alpha;  // stored bytes
        bool hasAlpha;
    } cases[] = {
        {255, 0, 0, 128, 0, 0, 0, 128, 128, true},     // 255 * 128 / 255
        {10, 20, 30, 255, 0, 30, 20, 10, 255, false},  // opaque: copied
        {200, 100, 50, 0, 0, 0, 0, 0, 0, true},        // transparent
        {255, 255, 255, 1, 0, 1, 1, 1, 1, true},
        {254, 3, 7, 254, 0, 6, 2, 253, 254, true},            // truncating division
        {255, 0, 0, 255, 0xFFFF0000, 0, 0, 0, 0, true},       // mask hits the stored value
        {255, 0, 0, 255, 0x00FF0000, 0, 0, 255, 255, false},  // mask without alpha misses
    };
    for (const auto& c : cases) {
        const uint8_t in[4] = {c.r, c.g, c.b, c.a};
        uint8_t out[4] = {9, 9, 9, 9};
        EXPECT_EQ(PremultiplyPixels(in, 1, c.mask, out), c.hasAlpha);
        EXPECT_EQ(out[0], c.blue);
        EXPECT_EQ(out[1], c.green);
        EXPECT_EQ(out[2], c.red);
        EXPECT_EQ(out[3], c.alpha);
    }
}

TEST(SkinPicture, DecodesPngTopDownIntoTheBitmap) {
    // Row 0: opaque red, half-transparent green; row 1: opaque blue, opaque white.
    const std::vector<uint8_t> rgba = {255, 0, 0,   255, 0,   255, 0,   128,
                                       0,   0, 255, 255, 255, 255, 255, 255};
    const auto png = MakePng(2, 2, rgba);
    auto picture = DecodePicture(png.data(), png.size(), 0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 2);
    EXPECT_EQ(picture->height, 2);
    EXPECT_TRUE(picture->hasAlpha);
    ASSERT_TRUE(picture->bitmap);
    const uint8_t expected[16] = {0,   0, 255, 255, 0,   128, 0,   128,
                                  255, 0, 0,   255, 255, 255, 255, 255};
    EXPECT_EQ(0, memcmp(picture->pixels, expected, 16));
    // Row 0 of the bitmap is the picture's top row.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture->bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 255));
    SelectObject(dc, old);
    DeleteDC(dc);

    const std::vector<uint8_t> opaque(4 * 4, 255);
    const auto solid = MakePng(2, 2, opaque);
    auto plain = DecodePicture(solid.data(), solid.size(), 0);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->hasAlpha);
}

TEST(SkinPicture, RefusesWhatIsNotASmallEnoughPng) {
    const std::vector<uint8_t> wide(4097 * 4, 255);
    const std::vector<uint8_t> edge(4096 * 4, 255);
    const auto tooWide = MakePng(4097, 1, wide);
    const auto tooHigh = MakePng(1, 4097, wide);
    const auto justFits = MakePng(4096, 1, edge);
    EXPECT_FALSE(DecodePicture(tooWide.data(), tooWide.size(), 0));
    EXPECT_FALSE(DecodePicture(tooHigh.data(), tooHigh.size(), 0));
    EXPECT_TRUE(DecodePicture(justFits.data(), justFits.size(), 0));

    // A header that claims 60000 x 60000 must be refused before any pixel memory.
    auto huge = MakePng(1, 1, std::vector<uint8_t>(4, 255));
    huge[16] = 0;
    huge[17] = 0;
    huge[18] = 0xEA;
    huge[19] = 0x60;
    huge[20] = 0;
    huge[21] = 0;
    huge[22] = 0xEA;
    huge[23] = 0x60;
    EXPECT_FALSE(DecodePicture(huge.data(), huge.size(), 0));

    const std::string text = "GIF89a not a png";
    EXPECT_FALSE(DecodePicture(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0));
    EXPECT_FALSE(DecodePicture(nullptr, 0, 0));
    const auto good = MakePng(3, 3, std::vector<uint8_t>(36, 77));
    // Every cut before the end chunk loses picture data.
    for (size_t cut = 0; cut + 12 < good.size(); ++cut) {
        EXPECT_FALSE(DecodePicture(good.data(), cut, 0)) << cut;
    }
}

TEST(SkinPicture, ColourPictureIsOnePixel) {
    auto picture = SkinUI::ColourPicture(L"#801675FE");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 1);
    EXPECT_EQ(picture->height, 1);
    EXPECT_EQ(picture->pixels[3], 0x80);
    EXPECT_EQ(picture->pixels[2], 0x16 * 0x80 / 255);
}

TEST(SkinPicture, CacheLoadsOnceReplacesAndKeepsMissingOut) {
    const std::vector<uint8_t> bytes = TestSupport::FixtureArchiveBytes();
    SkinUI::CSkinResources resources;
    resources.OpenMemoryArchive(bytes.data(), bytes.size());
    SkinUI::CPictureCache cache(resources);

    const auto* bg = cache.GetOrAdd(L"res\\mainWnd\\bg1.png");
    ASSERT_TRUE(bg);
    EXPECT_EQ(cache.GetOrAdd(L"res\\mainWnd\\bg1.png"), bg);
    EXPECT_EQ(cache.Count(), 1u);
    // Fixture pixel 1 is red with alpha 128.
    EXPECT_EQ(bg->pixels[4 + 2], 128);
    EXPECT_EQ(bg->pixels[4 + 3], 128);

    const auto* masked = cache.Add(L"res\\mainWnd\\bg1.png", L"", 0xFFFF0000);
    ASSERT_TRUE(masked);
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_EQ(masked->mask, 0xFFFF0000u);
    EXPECT_EQ(masked->pixels[3], 0);  // the opaque red pixel is gone

    EXPECT_FALSE(cache.GetOrAdd(L"res\\common\\closebtn4.png"));
    EXPECT_FALSE(cache.GetOrAdd(L"mainWnd.xml"));  // exists, but is no picture
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_FALSE(cache.Get(L"res\\common\\closebtn4.png"));
}

}  // namespace
