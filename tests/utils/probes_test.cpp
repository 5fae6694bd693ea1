#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "tests/log_capture.h"
#include "tests/scratch.h"
#include "utils/account.h"
#include "utils/file_system.h"
#include "utils/guid.h"
#include "utils/hard_disk_manager.h"
#include "utils/network_check.h"
#include "utils/os_version.h"

namespace {

using TestSupport::IsDirectory;
using TestSupport::ScratchDir;

TEST(ProbeOsVersion, NameTable) {
    struct Case {
        unsigned major, minor, build;
        bool r2;
        const wchar_t* name;
    } cases[] = {
        {0, 0, 0, false, L"XP-"},
        {4, 10, 1998, false, L"XP-"},
        {5, 0, 2195, false, L"2K"},
        {5, 1, 2600, false, L"XP"},
        {5, 2, 3790, false, L"Server 2003"},
        {5, 2, 3790, true, L"Server 2003 R2"},
        {5, 3, 0, false, L"XP+"},
        {6, 0, 6002, false, L"Vista"},
        {6, 1, 7601, true, L"7"},
        {6, 2, 9200, false, L"8"},
        {6, 3, 9600, false, L"8.1"},
        {6, 4, 9841, false, L"8.1+"},
        {10, 0, 22631, false, L"10"},
        {10, 1, 0, false, L"10+"},
        {7, 2, 0x1ABCD, false, L"7.2.43981"},  // build keeps its low 16 bits
        {11, 0, 100, false, L"11.0.100"},
        {9, 9, 9, true, L"9.9.9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utils::OsVersionNameFor(c.major, c.minor, c.build, c.r2), c.name)
            << c.major << "." << c.minor;
    }
}

TEST(ProbeOsVersion, RunningSystemHasAFamilyAndAName) {
    std::wstring family = L"x", name = L"x";
    Utils::GetOsVersionName(family, name);
    EXPECT_EQ(family, L"Windows");
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find(L"XP"), std::wstring::npos) << "Wine reports a modern Windows";
}

TEST(ProbeWow64, SixtyFourBitProcessIsNotWow64) {
    // The tests run the x86_64 build: a native process.
    EXPECT_EQ(Utils::IsWow64(), sizeof(void*) == 4);
}

TEST(ProbeNetwork, ResultComposition) {
    struct Case {
        bool available;
        uint32_t flags;
        bool internet;
        uint32_t expected;
    } cases[] = {
        {false, 0x40, true, 0},     // manager unavailable: whole result 0
        {true, 0, false, 0x10000},  // no connectivity
        {true, 0, true, 0x10000},   {true, 0x40, false, 0x20040},  // IPv4 local only
        {true, 0x440, true, 0x440},                                // connected
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utils::NetworkCheckResult(c.available, c.flags, c.internet), c.expected);
    }
}

TEST(ProbeNetwork, RealCheckAnswersAKnownStatus) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    TestSupport::LogCapture capture;
    const uint32_t result = Utils::CheckNetwork();
    CoUninitialize();
    const uint32_t status = result >> 16, flags = result & 0xFFFF;
    EXPECT_LE(status, 2u);
    if (status == 1) {
        EXPECT_EQ(flags, 0u);
        ASSERT_EQ(capture.Messages().size(), 1u);
        EXPECT_EQ(capture.Messages()[0], L"GetConnectivity 0");
    }
}

TEST(ProbeDisk, FreeSpaceOfTheSystemDrive) {
    Utils::HardDiskManager disk;
    ASSERT_TRUE(disk.CheckFreeSpace(L"C:\\"));
    EXPECT_GT(disk.m_totalBytes, 0u);
    EXPECT_LE(disk.m_freeBytesAvailable, disk.m_totalBytes);
    EXPECT_LE(disk.m_totalFreeBytes, disk.m_totalBytes);
}

TEST(ProbeDisk, FailureKeepsTheCountsAndLogsTheCode) {
    Utils::HardDiskManager disk;
    disk.m_freeBytesAvailable = 11;
    disk.m_totalBytes = 22;
    disk.m_totalFreeBytes = 33;
    TestSupport::LogCapture capture;
    EXPECT_FALSE(disk.CheckFreeSpace(L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\"));
    EXPECT_EQ(disk.m_freeBytesAvailable, 11u);
    EXPECT_EQ(disk.m_totalBytes, 22u);
    EXPECT_EQ(disk.m_totalFreeBytes, 33u);
    const auto texts = capture.TextsOf(L"Utils::HardDiskManager::CheckFreeSpace");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(
        std::regex_match(TestSupport::MessageOf(texts[0]),
                         std::wregex(L"HardDiskManager::CheckFreeSpace FAIL code=\\d+\r\n")))
        << texts[0];
}

TEST(ProbeAccount, NegativeAnswersForUnknownAccounts) {
    EXPECT_FALSE(Utils::IsAdminAccount(L""));
    EXPECT_FALSE(Utils::IsAdminAccount(L"no_such_user_7f3e"));
}

TEST(ProbeAccount, ConsoleUserIsKeptOnlyOnSuccess) {
    std::wstring name = L"unchanged";
    if (Utils::GetConsoleUserName(name)) {
        EXPECT_NE(name, L"unchanged");
        EXPECT_FALSE(name.empty());
    } else {
        EXPECT_EQ(name, L"unchanged");
    }
}

TEST(ProbeAccount, TokenMembershipAgreesWithTheShell) {
    // IsUserAnAdmin asks the same question through the shell's own path.
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    ASSERT_NE(shell, nullptr);
    using IsUserAnAdminFn = BOOL(WINAPI*)();
    auto fn = reinterpret_cast<IsUserAnAdminFn>(
        reinterpret_cast<void*>(GetProcAddress(shell, "IsUserAnAdmin")));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(Utils::IsUserAdmin(), fn() != FALSE);
    FreeLibrary(shell);
}

TEST(ProbeGuid, FormatHasOneLowerCaseGroup) {
    const GUID g = {0x0a1b2c3d, 0xabcd, 0xEF01, {0xA0, 0x0b, 0xc2, 0xD3, 0xe4, 0xF5, 0x06, 0x17}};
    EXPECT_EQ(Utils::FormatGuidString(g), L"0A1B2C3DABCDef01A00BC2D3E4F50617");
}

TEST(ProbeGuid, NewIdentifiersAreFreshAndWellFormed) {
    std::set<std::wstring> seen;
    const std::wregex shape(L"[0-9A-F]{8}[0-9A-F]{4}[0-9a-f]{4}[0-9A-F]{16}");
    for (int i = 0; i < 50; ++i) {
        const std::wstring id = Utils::NewGuidString();
        EXPECT_TRUE(std::regex_match(id, shape)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(ProbeTempDirectory, SamePathTwiceAndCreatedOnce) {
    const std::wstring first = Utils::GetTempDirectory();
    ASSERT_FALSE(first.empty());
    const std::wstring suffix = L"\\~OrvanTemp.92482B06FB471E17\\";
    ASSERT_GE(first.size(), suffix.size());
    EXPECT_EQ(first.substr(first.size() - suffix.size()), suffix);
    EXPECT_TRUE(IsDirectory(first));
    EXPECT_EQ(Utils::GetTempDirectory(), first);
}

TEST(ProbeTempDirectory, UnderAnExplicitBase) {
    ScratchDir scratch;
    const std::wstring base = scratch.Path() + L"\\";
    const std::wstring dir = Utils::GetTempDirectoryUnder(base);
    EXPECT_EQ(dir, base + L"~OrvanTemp.92482B06FB471E17\\");
    EXPECT_TRUE(IsDirectory(dir));
    // A marker file survives the second call: nothing is recreated.
    std::ofstream((dir + L"marker").c_str()).put('x');
    EXPECT_EQ(Utils::GetTempDirectoryUnder(base), dir);
    EXPECT_TRUE(Utils::PathExists(dir + L"marker"));
    // A base that does not exist cannot hold it (one level only).
    EXPECT_EQ(Utils::GetTempDirectoryUnder(base + L"missing\\"), L"");
    // A base too deep for the result is refused, not truncated.
    EXPECT_EQ(Utils::GetTempDirectoryUnder(base + std::wstring(240, L'd') + L"\\"), L"");
    ScratchDir::RemoveTree(dir);
}

TEST(ProbeCreateDirectories, Cases) {
    ScratchDir scratch;
    const std::wstring root = scratch.Path();

    // Trailing backslash: every level is created.
    EXPECT_TRUE(Utils::CreateDirectories(root + L"\\a\\b\\c\\"));
    EXPECT_TRUE(IsDirectory(root + L"\\a\\b\\c"));
    // No trailing backslash; existing levels are fine.
    EXPECT_TRUE(Utils::CreateDirectories(root + L"\\a\\b\\d"));
    EXPECT_TRUE(IsDirectory(root + L"\\a\\b\\d"));
    // Chinese names.
    EXPECT_TRUE(Utils::CreateDirectories(root + L"\\\u5854\u6C83\\\u7F16\u8F91"));
    EXPECT_TRUE(IsDirectory(root + L"\\\u5854\u6C83\\\u7F16\u8F91"));

    // A file standing in the way counts as existing; the level below fails.
    std::ofstream((root + L"\\file").c_str()).put('x');
    EXPECT_FALSE(Utils::CreateDirectories(root + L"\\file\\sub"));
    EXPECT_FALSE(Utils::CreateDirectories(root + L"\\file\\sub\\"));

    // 261 characters: refused before anything is created; 260 is allowed.
    std::wstring deep = root + L"\\long\\";
    const std::wstring p261 = deep + std::wstring(261 - deep.size(), L'x');
    ASSERT_EQ(p261.size(), 261u);
    EXPECT_FALSE(Utils::CreateDirectories(p261));
    EXPECT_FALSE(Utils::PathExists(root + L"\\long"));
    const std::wstring p260 = p261.substr(0, 260);
    EXPECT_TRUE(Utils::CreateDirectories(p260));
    EXPECT_TRUE(IsDirectory(p260));
}

}  // namespace
