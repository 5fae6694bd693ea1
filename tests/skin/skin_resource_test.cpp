// The packed skin and the icon as Windows itself sees them: the resources are
// looked up and loaded with the real resource and icon functions, in this test
// program (which links only the skin archive) and in the installer executable
// (which also carries the icon and the manifest).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "tests/process_runner.h"

namespace {

constexpr int kSkinArchiveId = 147;
constexpr int kIconId = 145;
const unsigned char kSevenZipSignature[6] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};

struct ModuleCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using ModulePtr = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleCloser>;

struct IconCloser {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconPtr = std::unique_ptr<std::remove_pointer_t<HICON>, IconCloser>;

struct BitmapCloser {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using BitmapPtr = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapCloser>;

// The installer mapped for its resources only: none of its code runs.
ModulePtr LoadInstallerResources() {
    const std::wstring path = TestSupport::SiblingPath(L"TarvoPDFEditorInstaller.exe");
    return ModulePtr(LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

// The bytes of ZIPRES/147 in `module`; empty when the resource is missing.
std::string SkinArchiveBytes(HMODULE module) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(kSkinArchiveId), L"ZIPRES");
    if (info == nullptr) return {};
    const DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) return {};
    return std::string(static_cast<const char*>(bytes), size);
}

void ExpectSevenZipArchive(const std::string& bytes) {
    ASSERT_GT(bytes.size(), sizeof kSevenZipSignature);
    EXPECT_EQ(std::memcmp(bytes.data(), kSevenZipSignature, sizeof kSevenZipSignature), 0);
}

TEST(SkinResource, TestProgramCarriesTheArchiveWithoutAManifest) {
    ExpectSevenZipArchive(SkinArchiveBytes(nullptr));
    // Only the installer asks for administrator rights.
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
}

TEST(SkinResource, InstallerCarriesTheSameArchive) {
    ModulePtr installer = LoadInstallerResources();
    ASSERT_TRUE(installer) << "error " << GetLastError();
    const std::string own = SkinArchiveBytes(nullptr);
    const std::string installers = SkinArchiveBytes(installer.get());
    ExpectSevenZipArchive(installers);
    EXPECT_TRUE(own == installers) << "the installer and the tests carry different skins";
}

TEST(SkinResource, InstallerIconLoadsAtTheSizesWindowsAsksFor) {
    ModulePtr installer = LoadInstallerResources();
    ASSERT_TRUE(installer) << "error " << GetLastError();
    // Window icons (small, large), the taskbar and Explorer's views.
    for (int size : {16, 24, 32, 48, 256}) {
        SCOPED_TRACE(size);
        IconPtr icon(static_cast<HICON>(
            LoadImageW(installer.get(), MAKEINTRESOURCEW(kIconId), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon) << "error " << GetLastError();
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        BitmapPtr colour(info.hbmColor);
        BitmapPtr mask(info.hbmMask);
        ASSERT_TRUE(colour);
        BITMAP bitmap{};
        ASSERT_NE(GetObjectW(colour.get(), sizeof bitmap, &bitmap), 0);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        EXPECT_EQ(bitmap.bmBitsPixel, 32);
    }
    EXPECT_EQ(LoadImageW(installer.get(), MAKEINTRESOURCEW(kIconId + 1), IMAGE_ICON, 32, 32, 0),
              nullptr);
}

}  // namespace
