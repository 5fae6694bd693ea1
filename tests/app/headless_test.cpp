// The headless run of the real installer executable: the package server
// serving the demo package, the real records in the test prefix's registry,
// the demo package and uninstaller as real children, output through a pipe.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/headless_run.h"
#include "app/single_instance_lock.h"
#include "install/install_records.h"
#include "install/process_id_by_name.h"
#include "install/status_codes.h"
#include "tests/captured_run.h"
#include "tests/process_runner.h"
#include "tests/scratch.h"
#include "utils/text.h"

namespace {

using TestSupport::CapturedRun;
using TestSupport::IsFile;
using TestSupport::ReadIni;
using TestSupport::RunCaptured;
using TestSupport::ScratchDir;
using TestSupport::SiblingPath;

std::wstring ServerUrl(const std::wstring& opts) {
    wchar_t base[512] = {};
    GetEnvironmentVariableW(L"TARVO_TEST_SERVER", base, 512);
    return std::wstring(base) + L"/fo/" + opts;
}

void ForgetRecords() {
    const RecordsKey key = DefaultRecordsKey();
    RegDeleteTreeW(key.root, key.subKey.c_str());
    RegDeleteKeyW(key.root, key.subKey.c_str());
}

std::string Dump(const CapturedRun& run) {
    std::string text;
    for (const auto& line : run.lines) text += Utils::WideToAnsi(line, CP_UTF8) + "\n";
    return text;
}

// Each case starts without records, with the analytics data in a scratch
// APPDATA and quick demo children.
class Headless : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetRecords();
        SetEnvironmentVariableW(L"APPDATA", m_appData.Path().c_str());
        SetEnvironmentVariableW(L"TARVO_DEMO_PACKAGE", L"duration=100");
        SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", L"duration=100");
    }
    void TearDown() override {
        ForgetRecords();
        SetEnvironmentVariableW(L"TARVO_DEMO_PACKAGE", nullptr);
        SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", nullptr);
    }

    static CapturedRun Install(const std::wstring& url, const std::wstring& dir) {
        return RunCaptured(L"\"" + SiblingPath(L"TarvoPDFEditorInstaller.exe") +
                           L"\" -silent=true -downloadurl=" + url + L" \"-installdir=" + dir +
                           L"\"");
    }

    ScratchDir m_appData;
};

TEST_F(Headless, InstallsRecordsAndInstallsAgainOverIt) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"Tarvo 塔沃";
    const CapturedRun first = Install(ServerUrl(L"id=h1"), dir + L"\\");
    ASSERT_TRUE(first.finished);
    EXPECT_EQ(static_cast<int>(first.exitCode), kHeadlessOk) << Dump(first);
    EXPECT_TRUE(first.Has(L"Installed into " + dir)) << Dump(first);
    EXPECT_TRUE(first.Has(L"Exit code 0"));
    EXPECT_TRUE(IsFile(dir + L"\\TarvoPDFEditor.exe"));
    EXPECT_FALSE(IsFile(dir + L"\\__Package_TarvoPDFEditor.exe"));

    const InstallRecords records = ReadInstallRecords();
    EXPECT_EQ(records.installDir, dir);
    EXPECT_EQ(records.uninstaller, dir + L"\\uninst.ep");
    const std::wstring setIni = dir + L"\\set.ini";
    EXPECT_EQ(ReadIni(setIni, L"Install", L"APPStore"), L"TarvoPDFEditorInstaller.exe");
    EXPECT_EQ(ReadIni(setIni, L"Install", L"AppName"), L"TarvoPDFEditor");
    const std::wstring analytics = m_appData / L"OrvanData\\TarvoPDFEditor\\ORSensorsAnalytics.ini";
    EXPECT_EQ(ReadIni(setIni, L"Install", L"ORSensorsAnalyticsIni"), analytics);
    EXPECT_FALSE(ReadIni(analytics, L"Init", L"UpdateTime").empty());

    // The recorded version is removed first, then installed again in place.
    const CapturedRun second = Install(ServerUrl(L"id=h2"), dir);
    EXPECT_EQ(static_cast<int>(second.exitCode), kHeadlessOk) << Dump(second);
    EXPECT_TRUE(second.Has(L"Removing the old version")) << Dump(second);
    EXPECT_TRUE(second.Has(L"Old version removed"));
    EXPECT_TRUE(IsFile(dir + L"\\uninst.ep"));
}

TEST_F(Headless, RelativeReportedPathKeepsTheChosenDirectory) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"app";
    SetEnvironmentVariableW(L"TARVO_DEMO_PACKAGE", L"duration=0;instpath=relative\\dir");
    const CapturedRun run = Install(ServerUrl(L"id=h20"), dir);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(static_cast<int>(run.exitCode), kHeadlessOk) << Dump(run);
    EXPECT_TRUE(run.Has(L"Installed into " + dir)) << Dump(run);
    EXPECT_EQ(ReadInstallRecords().installDir, dir);
    EXPECT_EQ(ReadIni(dir + L"\\set.ini", L"Install", L"AppName"), L"TarvoPDFEditor");
}

TEST_F(Headless, ExitCodePerFailureClass) {
    struct Case {
        const wchar_t* name;
        std::wstring url;
        const wchar_t* packageOptions;
        bool relativeDir;
        int exitCode;
    } cases[] = {
        {L"invalid directory", ServerUrl(L"id=h3"), L"", true, kHeadlessInvalidDirectory},
        {L"download failed", ServerUrl(L"status=404,id=h4"), L"", false, kHeadlessDownloadFailed},
        {L"package failed", ServerUrl(L"id=h5"), L"duration=0;error=安装包坏了", false,
         kHeadlessInstallFailed},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        SetEnvironmentVariableW(L"TARVO_DEMO_PACKAGE", c.packageOptions);
        const std::wstring dir = c.relativeDir ? L"relative\\dir" : scratch / L"app";
        const CapturedRun run = Install(c.url, dir);
        ASSERT_TRUE(run.finished) << Utils::WideToAnsi(c.name);
        EXPECT_EQ(static_cast<int>(run.exitCode), c.exitCode) << Utils::WideToAnsi(c.name) << "\n"
                                                              << Dump(run);
        EXPECT_FALSE(IsFile(scratch / L"app\\__Package_TarvoPDFEditor.exe"));
        EXPECT_TRUE(ReadInstallRecords().installDir.empty()) << Utils::WideToAnsi(c.name);
    }
    SetEnvironmentVariableW(L"TARVO_DEMO_PACKAGE", L"duration=100");
}

TEST_F(Headless, FailingUninstallerKeepsTheOldVersionRecorded) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"app";
    ASSERT_EQ(Install(ServerUrl(L"id=h6"), dir).exitCode, 0u);
    SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", L"duration=0;error=不能卸载");
    const CapturedRun run = Install(ServerUrl(L"id=h7"), dir);
    EXPECT_EQ(static_cast<int>(run.exitCode), kHeadlessUninstallFailed) << Dump(run);
    EXPECT_TRUE(run.AnyStartsWith(L"Error: the old version could not be removed: 不能卸载"))
        << Dump(run);
    EXPECT_FALSE(run.AnyStartsWith(L"Downloading"));
    EXPECT_EQ(ReadInstallRecords().installDir, dir);
    EXPECT_TRUE(IsFile(dir + L"\\uninst.ep"));
}

TEST_F(Headless, IsOverrideFalseKeepsTheInstalledVersion) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"app";
    ASSERT_EQ(Install(ServerUrl(L"id=h10"), dir).exitCode, 0u);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Uninstall", L"IsOverride", L"false",
                                           (dir + L"\\set.ini").c_str()));
    // The uninstaller would fail if it ran; it must not run at all.
    SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", L"duration=0;error=不应运行");
    const CapturedRun run = Install(ServerUrl(L"id=h11"), dir);
    EXPECT_EQ(static_cast<int>(run.exitCode), kHeadlessOk) << Dump(run);
    EXPECT_FALSE(run.Has(L"Removing the old version")) << Dump(run);
    EXPECT_TRUE(run.Has(L"Installed into " + dir));
    // Another directory is no reason to keep the old version.
    const CapturedRun elsewhere = Install(ServerUrl(L"id=h12"), scratch / L"other");
    EXPECT_EQ(static_cast<int>(elsewhere.exitCode), kHeadlessUninstallFailed) << Dump(elsewhere);
}

TEST_F(Headless, RefusedWhileTheApplicationRuns) {
    ScratchDir scratch;
    const std::wstring app = scratch / L"TarvoPDFEditor.exe";
    ASSERT_TRUE(CopyFileW(SiblingPath(L"demo_package.exe").c_str(), app.c_str(), FALSE));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring line = L"\"" + app + L"\" -demo=hang";
    ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                               nullptr, nullptr, &startup, &info));
    for (int i = 0; i < 200 && ProcessIdByName(L"TarvoPDFEditor.exe") == 0; ++i) Sleep(10);
    const CapturedRun run = Install(ServerUrl(L"id=h8"), scratch / L"app");
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_EQ(static_cast<int>(run.exitCode), kHeadlessAlreadyRunning) << Dump(run);
    EXPECT_FALSE(TestSupport::IsDirectory(scratch / L"app"));
}

TEST_F(Headless, InstallAnewWaitsForTheApplicationToEnd) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"app";
    ASSERT_EQ(Install(ServerUrl(L"id=h13"), dir).exitCode, 0u);
    // A "TarvoPDFEditor.exe" that ends by itself after a while. The demo
    // uninstaller refuses while it runs, so success shows the run waited.
    const std::wstring app = scratch / L"TarvoPDFEditor.exe";
    ASSERT_TRUE(CopyFileW(SiblingPath(L"demo_package.exe").c_str(), app.c_str(), FALSE));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring line = L"\"" + app + L"\" -demo=hang=2500";
    ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                               nullptr, nullptr, &startup, &info));
    for (int i = 0; i < 200 && ProcessIdByName(L"TarvoPDFEditor.exe") == 0; ++i) Sleep(10);
    const CapturedRun run = RunCaptured(L"\"" + SiblingPath(L"TarvoPDFEditorInstaller.exe") +
                                        L"\" -silent=true -insnew=true -downloadurl=" +
                                        ServerUrl(L"id=h14") + L" \"-installdir=" + dir + L"\"");
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_EQ(static_cast<int>(run.exitCode), kHeadlessOk) << Dump(run);
    EXPECT_TRUE(run.Has(L"Old version removed")) << Dump(run);
}

TEST_F(Headless, SecondInstanceIsRefused) {
    SingleInstanceLock held(L"Installer_TarvoPDFEditor");
    held.Acquire();
    ASSERT_TRUE(held.Held());
    ScratchDir scratch;
    const CapturedRun run = Install(ServerUrl(L"id=h9"), scratch / L"app");
    EXPECT_EQ(static_cast<int>(run.exitCode), -1);
    EXPECT_TRUE(run.lines.empty());
    EXPECT_FALSE(TestSupport::IsDirectory(scratch / L"app"));
}

TEST(HeadlessOptions, SwitchesAndMappings) {
    const HeadlessOptions on = ReadHeadlessOptions(CommandLineOptions::FromCommandLine(
        L"installer.exe -silent=true \"-installdir=D:\\A B\\\""));
    EXPECT_TRUE(on.silent);
    // The backslash before the closing quote escapes it (Windows rules).
    EXPECT_EQ(on.installDir, L"D:\\A B\"");
    EXPECT_EQ(NormalizeInstallDir(on.installDir), L"D:\\A B");
    for (const wchar_t* line : {L"x.exe", L"x.exe -silent", L"x.exe -silent=TRUE"}) {
        EXPECT_FALSE(ReadHeadlessOptions(CommandLineOptions::FromCommandLine(line)).silent);
    }
    EXPECT_EQ(NormalizeInstallDir(L" D:\\A B\\\\ "), L"D:\\A B");
    EXPECT_EQ(NormalizeInstallDir(L"D:\\"), L"D:\\");
    EXPECT_EQ(NormalizeInstallDir(L"D:"), L"D:\\");
    EXPECT_EQ(NormalizeInstallDir(L"C:\\dir\r"), L"C:\\dir");

    EXPECT_EQ(HeadlessExitFor(PreRunResult::Ok), kHeadlessOk);
    EXPECT_EQ(HeadlessExitFor(PreRunResult::AppRunning), kHeadlessAlreadyRunning);
    EXPECT_EQ(HeadlessExitFor(PreRunResult::UninstallerRunning), kHeadlessAlreadyRunning);
    EXPECT_EQ(HeadlessExitFor(PreRunResult::InvalidDirectory), kHeadlessInvalidDirectory);
    EXPECT_EQ(HeadlessExitFor(PreRunResult::NotEnoughSpace), kHeadlessNotEnoughSpace);
    EXPECT_EQ(HeadlessExitForEvent(IST_CODE_SUCCESS), kHeadlessOk);
    EXPECT_EQ(HeadlessExitForEvent(IST_CODE_FAIL), kHeadlessInstallFailed);
    EXPECT_EQ(HeadlessExitForEvent(DL_CODE_FAIL), kHeadlessDownloadFailed);
    EXPECT_EQ(HeadlessExitForEvent(UNIST_CODE_ERROR), kHeadlessUninstallFailed);
    EXPECT_EQ(HeadlessExitForEvent(UNIST_CODE_FAIL), kHeadlessUninstallFailed);
    EXPECT_EQ(HeadlessExitForEvent(DL_CODE_RETRY), -1);
}

}  // namespace
