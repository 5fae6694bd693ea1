#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/fixture_archive.h"
#include "ui/seven_zip_archive.h"
#include "ui/skin_resources.h"

namespace {

using SkinUI::CSevenZipArchive;
using SkinUI::CSkinResources;

std::vector<uint8_t> FixtureBytes() { return TestSupport::FixtureArchiveBytes(); }

// A scratch folder below the temporary directory, removed with its files.
struct ScratchDir {
    std::wstring path;
    std::vector<std::wstring> files;
    ScratchDir() {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + L"skinui_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~ScratchDir() {
        for (const auto& f : files) DeleteFileW(f.c_str());
        RemoveDirectoryW(path.c_str());
    }
    void Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring full = path + name;
        TestSupport::WriteBytes(full, bytes);
        files.push_back(full);
    }
};

TEST(SkinArchive, OpensTheFixtureWithSlashNamesAndNoDirectories) {
    const auto bytes = FixtureBytes();
    ASSERT_GT(bytes.size(), 6u);
    EXPECT_EQ(0, memcmp(bytes.data(), "7z\xBC\xAF\x27\x1C", 6));
    auto archive = CSevenZipArchive::Open(bytes.data(), bytes.size());
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->Complete());
    // 3 skin files, big.xml, bg1, closebtn1 and 12 frames.
    EXPECT_EQ(archive->Entries().size(), 18u);
    bool sawFrame = false;
    for (const auto& e : archive->Entries()) {
        EXPECT_EQ(e.nameLength, static_cast<int32_t>(e.name.size() + 1));
        EXPECT_EQ(e.size, e.data.size());
        EXPECT_EQ(e.name.find(L'\\'), std::wstring::npos) << e.name;
        if (e.name == L"res/mainWnd/installBtnAnimate/011.png") sawFrame = true;
    }
    EXPECT_TRUE(sawFrame);
}

TEST(SkinArchive, LookupIgnoresCaseAndSlashesButNotLength) {
    const auto bytes = FixtureBytes();
    CSkinResources resources;
    resources.OpenMemoryArchive(bytes.data(), bytes.size());
    const struct {
        const wchar_t* path;
        const wchar_t* expected;  // null: not found
    } cases[] = {
        {L"ExitTipWnd.xml", L"exitTipWnd.xml"},
        {L"EXITTIPWND.XML", L"exitTipWnd.xml"},
        {L"ExitTipWnd.xm", nullptr},
        {L"ExitTipWnd.xmll", nullptr},
        {L"MainWnd.xml", L"mainWnd.xml"},
        {L"res\\mainWnd\\installBtnAnimate\\011.png", L"res/mainWnd/installBtnAnimate/011.png"},
        {L"res\\mainWnd\\installBtnAnimate\\012.png", nullptr},
        {L"res/mainWnd\\bg1.png", L"res/mainWnd/bg1.png"},
        {L"res/mainWnd", nullptr},
        {L"", nullptr},
    };
    for (const auto& c : cases) {
        const auto found = resources.FindEntry(c.path);
        if (!c.expected) {
            EXPECT_FALSE(found) << c.path;
            continue;
        }
        ASSERT_TRUE(found) << c.path;
        EXPECT_EQ(resources.Archive()->Entries()[found->position].name, c.expected);
    }
}

TEST(SkinArchive, SkinFileErrorsFromTheArchive) {
    const auto bytes = FixtureBytes();
    CSkinResources resources;
    resources.OpenMemoryArchive(bytes.data(), bytes.size());
    const struct {
        const wchar_t* name;
        const wchar_t* error;  // null: success
    } cases[] = {
        {L"mainWnd.xml", nullptr},
        {L"missing.xml", L"Could not find ziped file"},
        {L"empty.xml", L"File is empty"},
        {L"big.xml", L"File too large"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out;
        std::wstring error;
        const bool ok = resources.ReadSkinFile(c.name, out, error);
        if (!c.error) {
            EXPECT_TRUE(ok) << c.name;
            EXPECT_GT(out.size(), 0u);
        } else {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_EQ(error, c.error) << c.name;
        }
    }
    // Pictures have no size rule: the big entry is served to the picture loader.
    std::vector<uint8_t> big;
    EXPECT_TRUE(resources.ReadPictureBytes(L"big.xml", big));
    EXPECT_EQ(big.size(), CSkinResources::kMaxSkinFileBytes + 1);
}

TEST(SkinArchive, FirstArchiveStaysOpen) {
    const auto bytes = FixtureBytes();
    CSkinResources resources;
    resources.OpenMemoryArchive(bytes.data(), bytes.size());
    const auto* first = resources.Archive();
    ASSERT_TRUE(first);
    const std::vector<uint8_t> garbage(100, 0x5A);
    resources.OpenMemoryArchive(garbage.data(), garbage.size());
    EXPECT_EQ(resources.Archive(), first);
    EXPECT_EQ(resources.ArchiveName(), L"membuffer");
    EXPECT_TRUE(resources.KeepOpen());
}

TEST(SkinArchive, UnreadableArchiveRefusesEveryLookup) {
    const std::vector<uint8_t> garbage(4096, 0x37);
    CSkinResources resources;
    resources.OpenMemoryArchive(garbage.data(), garbage.size());
    EXPECT_EQ(resources.Archive(), nullptr);
    std::vector<uint8_t> out;
    std::wstring error;
    EXPECT_FALSE(resources.ReadSkinFile(L"mainWnd.xml", out, error));
    EXPECT_EQ(error, L"Error opening zip file");
}

TEST(SkinArchive, TruncatedOrCorruptArchivesNeverCrash) {
    const auto bytes = FixtureBytes();
    ASSERT_GT(bytes.size(), 64u);
    size_t opened = 0;
    for (size_t length = 0; length < bytes.size(); length += 1 + length / 8) {
        auto archive = CSevenZipArchive::Open(bytes.data(), length);
        if (archive) {
            ++opened;
            EXPECT_FALSE(archive->Complete()) << length;
        }
    }
    // The header sits at the end: no proper prefix of the archive opens.
    EXPECT_EQ(opened, 0u);
    for (size_t at = 0; at < bytes.size(); at += 1 + at / 4) {
        auto corrupt = bytes;
        corrupt[at] ^= 0xA5;
        auto archive = CSevenZipArchive::Open(corrupt.data(), corrupt.size());
        if (archive) {
            for (const auto& e : archive->Entries()) EXPECT_EQ(e.size, e.data.size());
        }
    }
}

TEST(SkinArchive, ReadsTheProgramResource) {
    CSkinResources resources;
    EXPECT_FALSE(resources.OpenResourceArchive(GetModuleHandleW(nullptr), 149));
    EXPECT_TRUE(resources.ArchiveName().empty());
    ASSERT_TRUE(resources.OpenResourceArchive(GetModuleHandleW(nullptr), 148));
    std::vector<uint8_t> out;
    std::wstring error;
    EXPECT_TRUE(resources.ReadSkinFile(L"MAINWND.XML", out, error)) << error;
}

TEST(SkinArchive, LooseFilesBelowTheResourcePath) {
    ScratchDir dir;
    dir.Write(L"ok.xml", "<Window/>");
    dir.Write(L"empty.xml", "");
    dir.Write(L"big.xml", std::string(CSkinResources::kMaxSkinFileBytes + 1, 'x'));
    CSkinResources resources;
    resources.SetResourcePath(dir.path.substr(0, dir.path.size() - 1));
    EXPECT_EQ(resources.ResourcePath(), dir.path);
    const struct {
        const wchar_t* name;
        const wchar_t* error;
    } cases[] = {{L"ok.xml", nullptr},
                 {L"none.xml", L"Error opening file"},
                 {L"empty.xml", L"File is empty"},
                 {L"big.xml", L"File too large"}};
    for (const auto& c : cases) {
        std::vector<uint8_t> out;
        std::wstring error;
        const bool ok = resources.ReadSkinFile(c.name, out, error);
        EXPECT_EQ(ok, c.error == nullptr) << c.name;
        if (c.error) {
            EXPECT_EQ(error, c.error) << c.name;
        }
    }
}

TEST(SkinArchive, ResourcePathKeepsAnEndingSlash) {
    CSkinResources resources;
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"", L""}, {L"C:\\a", L"C:\\a\\"}, {L"C:\\a\\", L"C:\\a\\"}, {L"C:/a/", L"C:/a/"}};
    for (const auto& c : cases) {
        resources.SetResourcePath(c.in);
        EXPECT_EQ(resources.ResourcePath(), c.out);
    }
}

}  // namespace
