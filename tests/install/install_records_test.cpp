// Installation records through the real registry (scratch keys under HKCU) and
// the real private-profile functions of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "install/install_records.h"
#include "tests/scratch.h"
#include "utils/text.h"

namespace {

using TestSupport::IsFile;
using TestSupport::ReadIni;
using TestSupport::ScratchDir;
using TestSupport::ScratchKey;
using TestSupport::WriteFileBytes;

RecordsKey KeyOf(const ScratchKey& scratch) { return RecordsKey{scratch.Root(), scratch.SubKey()}; }

// Stores raw bytes under a value of the scratch key, with the given type.
void SetRaw(const ScratchKey& scratch, const wchar_t* name, DWORD type, const void* data,
            DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(scratch.Root(), scratch.SubKey().c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetText(const ScratchKey& scratch, const wchar_t* name, const std::wstring& text) {
    SetRaw(scratch, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

struct RawValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

RawValue GetRaw(const ScratchKey& scratch, const wchar_t* name) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(scratch.Root(), scratch.SubKey().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.present = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(),
                                         &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return value;
}

// The value must be a REG_SZ holding exactly `text` and its terminating NUL.
void ExpectStoredString(const ScratchKey& scratch, const wchar_t* name, const std::wstring& text) {
    const RawValue raw = GetRaw(scratch, name);
    ASSERT_TRUE(raw.present) << Utils::WideToAnsi(name);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(raw.bytes.size(), (text.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(raw.bytes.data())), text);
}

TEST(InstallRecords, MissingKeyGivesEmptyRecords) {
    ScratchKey scratch;
    const InstallRecords records = ReadInstallRecords(KeyOf(scratch));
    EXPECT_TRUE(records.installDir.empty());
    EXPECT_TRUE(records.uninstaller.empty());
}

TEST(InstallRecords, ReadsValuesAndDerivesMissingUninstaller) {
    struct Case {
        const wchar_t* installPath;  // nullptr: value absent
        const wchar_t* uninstallEp;
        const wchar_t* expectDir;
        const wchar_t* expectUninstaller;
    } cases[] = {
        {L"C:\\Apps\\Tarvo", nullptr, L"C:\\Apps\\Tarvo", L"C:\\Apps\\Tarvo\\uninst.ep"},
        {L"C:\\Apps\\Tarvo\\", nullptr, L"C:\\Apps\\Tarvo\\", L"C:\\Apps\\Tarvo\\uninst.ep"},
        {L"C:\\Apps\\Tarvo", L"D:\\x\\un.ep", L"C:\\Apps\\Tarvo", L"D:\\x\\un.ep"},
        {nullptr, L"D:\\x\\un.ep", L"", L"D:\\x\\un.ep"},
        {L"C:\\塔沃", L"", L"C:\\塔沃", L"C:\\塔沃\\uninst.ep"},
    };
    for (const Case& c : cases) {
        ScratchKey scratch;
        if (c.installPath) SetText(scratch, L"InstallPath", c.installPath);
        if (c.uninstallEp) SetText(scratch, L"UnInstallEp", c.uninstallEp);
        const InstallRecords records = ReadInstallRecords(KeyOf(scratch));
        EXPECT_EQ(records.installDir, c.expectDir);
        EXPECT_EQ(records.uninstaller, c.expectUninstaller);
    }
}

TEST(InstallRecords, OddStoredValuesAreReadUpToTheirFirstNul) {
    ScratchKey scratch;
    // Stored without a terminating NUL, with an odd byte count.
    const wchar_t unterminated[] = L"C:\\NoNul";
    SetRaw(scratch, L"InstallPath", REG_SZ, unterminated, 8 * 2 + 1);
    // An embedded NUL ends the text.
    const wchar_t embedded[] = L"C:\\a.ep\0junk";
    SetRaw(scratch, L"UnInstallEp", REG_EXPAND_SZ, embedded, sizeof(embedded));
    const InstallRecords records = ReadInstallRecords(KeyOf(scratch));
    EXPECT_EQ(records.installDir, L"C:\\NoNul");
    EXPECT_EQ(records.uninstaller, L"C:\\a.ep");
}

TEST(InstallRecords, WritesBothValuesWhenTheEntryExists) {
    ScratchKey scratch;
    ScratchDir dir;
    const std::wstring entry = dir / L"uninst.ep";
    ASSERT_TRUE(WriteFileBytes(entry, "MZ"));
    struct Case {
        std::wstring reported;
    } cases[] = {{L""}, {entry}};
    for (const Case& c : cases) {
        EXPECT_EQ(WriteInstallRecords(KeyOf(scratch), dir.Path(), c.reported), entry);
        ExpectStoredString(scratch, L"InstallPath", dir.Path());
        ExpectStoredString(scratch, L"UnInstallEp", entry);
    }
    // What was written reads back as it was.
    const InstallRecords records = ReadInstallRecords(KeyOf(scratch));
    EXPECT_EQ(records.installDir, dir.Path());
    EXPECT_EQ(records.uninstaller, entry);
}

TEST(InstallRecords, MissingEntryKeepsTheFormerUninstaller) {
    ScratchKey scratch;
    ScratchDir dir;
    SetText(scratch, L"InstallPath", L"C:\\Old");
    SetText(scratch, L"UnInstallEp", L"C:\\Old\\uninst.ep");
    // No uninst.ep in the new directory and none reported.
    EXPECT_EQ(WriteInstallRecords(KeyOf(scratch), dir.Path(), L""), dir / L"uninst.ep");
    ExpectStoredString(scratch, L"InstallPath", dir.Path());
    ExpectStoredString(scratch, L"UnInstallEp", L"C:\\Old\\uninst.ep");
    // A reported entry that does not exist is not recorded either.
    EXPECT_EQ(WriteInstallRecords(KeyOf(scratch), dir.Path(), dir / L"gone.ep"), dir / L"gone.ep");
    ExpectStoredString(scratch, L"UnInstallEp", L"C:\\Old\\uninst.ep");
}

TEST(InstallRecordsDirs, DefaultDirectoryRules) {
    InstallDirEnvironment env;
    env.appData = L"C:\\Users\\u\\AppData\\Roaming";
    env.programFilesX86 = L"C:\\Program Files (x86)";
    env.programFiles = L"C:\\Program Files";
    struct Case {
        const wchar_t* oldDir;
        bool oldUninstallerExists;
        bool adminAccount;
        bool elevated;
        bool appData;
        bool x86;
        const wchar_t* expect;
    } cases[] = {
        {L"D:\\Old", true, false, false, true, true, L"D:\\Old"},
        {L"D:\\Old", false, true, true, true, true,
         L"C:\\Users\\u\\AppData\\Roaming\\velmar\\TarvoPDFEditor"},
        {L"", true, true, true, true, true,
         L"C:\\Users\\u\\AppData\\Roaming\\velmar\\TarvoPDFEditor"},
        {L"", false, true, false, true, true, L"C:\\Program Files (x86)\\TarvoPDFEditor"},
        {L"", false, false, true, true, true, L"C:\\Program Files (x86)\\TarvoPDFEditor"},
        {L"", false, true, true, false, true, L"C:\\Program Files (x86)\\TarvoPDFEditor"},
        {L"", false, false, false, true, false, L"C:\\Program Files\\TarvoPDFEditor"},
    };
    for (const Case& c : cases) {
        InstallDirEnvironment e = env;
        e.adminAccount = c.adminAccount;
        e.elevated = c.elevated;
        if (!c.appData) e.appData.clear();
        if (!c.x86) e.programFilesX86.clear();
        const DefaultDir result = ComputeDefaultInstallDir(c.oldDir, c.oldUninstallerExists, e);
        EXPECT_EQ(result.dir, c.expect) << Utils::WideToAnsi(c.expect, 65001);
        EXPECT_EQ(result.adminAccount, c.adminAccount);
        EXPECT_EQ(result.elevated, c.elevated);
    }
}

TEST(InstallRecordsDirs, DefaultFollowsTheOldEntryFileOnDisk) {
    ScratchDir old;
    const std::wstring entry = old / L"uninst.ep";
    ASSERT_TRUE(WriteFileBytes(entry, "MZ"));
    EXPECT_EQ(DefaultInstallDir(old.Path(), entry).dir, old.Path());
    // Recorded directory present, entry file deleted: the computed default.
    ASSERT_TRUE(DeleteFileW(entry.c_str()));
    const std::wstring computed = DefaultInstallDir(old.Path(), entry).dir;
    EXPECT_NE(computed, old.Path());
    EXPECT_EQ(computed, ComputeDefaultInstallDir(L"", false, ProbeInstallDirEnvironment()).dir);
    // A directory in place of the entry file is no uninstaller either.
    ASSERT_TRUE(CreateDirectoryW(entry.c_str(), nullptr));
    EXPECT_EQ(DefaultInstallDir(old.Path(), entry).dir, computed);
}

TEST(InstallRecordsDirs, CustomDirectoryRules) {
    const std::wstring def = L"C:\\Program Files (x86)\\TarvoPDFEditor";
    struct Case {
        const wchar_t* text;
        const wchar_t* expect;
    } cases[] = {
        {L"C:\\Program Files (x86)\\TarvoPDFEditor", L"C:\\Program Files (x86)\\TarvoPDFEditor"},
        {L"C:\\Program Files (x86)\\TarvoPDFEditor\\", L"C:\\Program Files (x86)\\TarvoPDFEditor"},
        {L"c:\\program files (x86)\\tarvopdfeditor", L"C:\\Program Files (x86)\\TarvoPDFEditor"},
        {L"D:/Apps/Tools", L"D:\\Apps\\Tools\\TarvoPDFEditor"},
        {L"D:\\Apps", L"D:\\Apps\\TarvoPDFEditor"},
        {L"D:\\Apps\\", L"D:\\Apps\\TarvoPDFEditor"},
        {L"C:\\Program Files (x86)", L"C:\\Program Files (x86)\\TarvoPDFEditor"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeCustomInstallDir(c.text, def), c.expect)
            << Utils::WideToAnsi(c.text, 65001);
    }
}

TEST(InstallRecordsDirs, PathHelpers) {
    EXPECT_EQ(JoinPath(L"C:\\a", L"b"), L"C:\\a\\b");
    EXPECT_EQ(JoinPath(L"C:\\a\\", L"b"), L"C:\\a\\b");
    EXPECT_EQ(JoinPath(std::wstring(250, L'x'), L"0123456789"), L"");
    EXPECT_EQ(JoinPath(std::wstring(249, L'x'), L"0123456789").size(), 260u);

    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool same;
    } cases[] = {
        {L"C:\\A\\B", L"c:/a/b/", true},
        {L"C:\\A\\B", L"C:\\A\\\\B", true},
        {L"C:\\A\\B", L"C:\\A\\BC", false},
        {L"C:\\A", L"C:\\A\\B", false},
        {L"\\\\srv\\share", L"\\srv\\share", false},
        {L"", L"", false},
        {L"C:\\塔沃", L"C:\\塔沃\\", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSameDirectory(c.a, c.b), c.same)
            << Utils::WideToAnsi(c.a, 65001) << " | " << Utils::WideToAnsi(c.b, 65001);
    }
}

TEST(InstallRecordsIni, IsOverrideComparedExactly) {
    ScratchDir dir;
    const std::wstring ini = dir / L"set.ini";
    struct Case {
        const char* content;  // nullptr: no set.ini
        bool sameDir;
        bool forbidden;
    } cases[] = {
        {"[Uninstall]\r\nIsOverride=false\r\n", true, true},
        {"[Uninstall]\r\nIsOverride=False\r\n", true, false},
        {"[Uninstall]\r\nIsOverride=true\r\n", true, false},
        {"[Uninstall]\r\nIsOverride=falsey\r\n", true, false},
        {"[Install]\r\nIsOverride=false\r\n", true, false},
        {nullptr, true, false},
        {"[Uninstall]\r\nIsOverride=false\r\n", false, false},
    };
    for (const Case& c : cases) {
        DeleteFileW(ini.c_str());
        if (c.content) {
            ASSERT_TRUE(WriteFileBytes(ini, c.content));
        }
        const std::wstring chosen = c.sameDir ? dir.Path() + L"\\" : dir / L"other";
        EXPECT_EQ(IsOverrideForbidden(dir.Path(), chosen), c.forbidden)
            << (c.content ? c.content : "(none)");
    }
    ASSERT_TRUE(WriteFileBytes(ini, "[Uninstall]\r\nIsOverride=false\r\n"));
    EXPECT_FALSE(IsOverrideForbidden(L"", dir.Path()));
}

TEST(InstallRecordsIni, WritesSetIniAndAnalytics) {
    ScratchDir install;
    ScratchDir data;
    const std::wstring analyticsDir = AnalyticsDataDirUnder(data.Path());
    EXPECT_EQ(analyticsDir, data / L"OrvanData\\TarvoPDFEditor");
    const std::wstring setIni = install / L"set.ini";
    const std::wstring analyticsIni = analyticsDir + L"\\ORSensorsAnalytics.ini";
    const std::wregex deviceId(L"[0-9A-F]{12}[0-9a-f]{4}[0-9A-F]{16}");

    WriteInstallIni(install.Path(), analyticsDir, L"Setup Tarvo.exe");
    EXPECT_EQ(ReadIni(setIni, L"Install", L"APPStore"), L"Setup Tarvo.exe");
    EXPECT_EQ(ReadIni(setIni, L"Install", L"AppName"), L"TarvoPDFEditor");
    const std::wstring first = ReadIni(setIni, L"Install", L"DeviceID");
    EXPECT_TRUE(std::regex_match(first, deviceId)) << Utils::WideToAnsi(first);
    EXPECT_EQ(ReadIni(setIni, L"Install", L"ORSensorsAnalyticsIni"), analyticsIni);
    const std::wstring stamp = ReadIni(analyticsIni, L"Init", L"UpdateTime");
    EXPECT_TRUE(std::regex_match(stamp, std::wregex(L"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d")))
        << Utils::WideToAnsi(stamp);

    // A second write in the same installation replaces the device identifier.
    WriteInstallIni(install.Path(), analyticsDir, L"Setup Tarvo.exe");
    const std::wstring second = ReadIni(setIni, L"Install", L"DeviceID");
    EXPECT_TRUE(std::regex_match(second, deviceId));
    EXPECT_NE(first, second);
}

TEST(InstallRecordsIni, UncreatableAnalyticsDirSkipsOnlyTheAnalyticsRecords) {
    ScratchDir install;
    ScratchDir data;
    // A file stands where the analytics directory's parent should be.
    ASSERT_TRUE(WriteFileBytes(data / L"OrvanData", "x"));
    WriteInstallIni(install.Path(), AnalyticsDataDirUnder(data.Path()), L"i.exe");
    const std::wstring setIni = install / L"set.ini";
    EXPECT_EQ(ReadIni(setIni, L"Install", L"AppName"), L"TarvoPDFEditor");
    EXPECT_EQ(ReadIni(setIni, L"Install", L"ORSensorsAnalyticsIni"), L"");
}

TEST(InstallRecordsIni, NothingIsWrittenForARelativeOrEmptyDirectory) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring stray = std::wstring(windows) + L"\\set.ini";
    DeleteFileW(stray.c_str());
    WriteInstallIni(L"", L"", L"i.exe");
    EXPECT_FALSE(IsFile(stray));
    EXPECT_FALSE(IsFile(std::wstring(windows) + L"\\ORSensorsAnalytics.ini"));
}

TEST(InstallRecordsIni, AnalyticsDirFollowsAppData) {
    ScratchDir data;
    wchar_t saved[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", saved, MAX_PATH + 1);
    SetEnvironmentVariableW(L"APPDATA", data.Path().c_str());
    EXPECT_EQ(AnalyticsDataDir(), data / L"OrvanData\\TarvoPDFEditor");
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    // Without APPDATA the documents folder shared by all users is the base.
    const std::wstring fallback = AnalyticsDataDir();
    EXPECT_FALSE(fallback.empty());
    EXPECT_NE(fallback.find(L"\\OrvanData\\TarvoPDFEditor"), std::wstring::npos);
    SetEnvironmentVariableW(L"APPDATA", n > 0 && n <= MAX_PATH ? saved : nullptr);
}

TEST(InstallRecordsIni, RunningExeFileNameHasNoDirectory) {
    const std::wstring name = RunningExeFileName();
    EXPECT_EQ(name, L"install_tests.exe");
}

}  // namespace
