// The demo package and demo uninstaller, run as real child processes with
// their output captured in a file, as the installer's runners would see it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/captured_run.h"
#include "tests/process_runner.h"
#include "tests/scratch.h"
#include "utils/text.h"

namespace {

using TestSupport::IsFile;
using TestSupport::ScratchDir;
using TestSupport::SiblingPath;

using ChildRun = TestSupport::CapturedRun;
using TestSupport::RunCaptured;

std::wstring PackageCommand(const std::wstring& options, const std::wstring& dir) {
    return L"\"" + SiblingPath(L"demo_package.exe") +
           L"\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true "
           L"-dsc=true -ssc=true -demo=duration=0;" +
           options + L" -instdir=\"" + dir + L"\" /D=" + dir;
}

std::wstring UninstallCommand(const std::wstring& copy, const std::wstring& dir) {
    return copy + L" /S -adminact=false -authorizationact=true -console=show _?=" + dir;
}

TEST(DemoPrograms, PackageInstallsAndUninstallerRemoves) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"with space\\塔沃PDF";
    const ChildRun install = RunCaptured(PackageCommand(L"", dir));
    ASSERT_TRUE(install.finished);
    EXPECT_EQ(install.exitCode, 0u);
    ASSERT_FALSE(install.lines.empty());
    EXPECT_EQ(install.lines.front(), L"Encode=UTF8");
    EXPECT_TRUE(install.Has(L"Progress=0.00"));
    EXPECT_TRUE(install.Has(L"Progress=1.00"));
    EXPECT_TRUE(install.Has(L"InstPath=" + dir));
    EXPECT_TRUE(install.Has(L"ExePath=" + dir + L"\\TarvoPDFEditor.exe"));
    EXPECT_TRUE(install.Has(L"UninstEp=" + dir + L"\\uninst.ep"));
    EXPECT_TRUE(install.Has(L"StartupStyle=NonStartup"));
    EXPECT_EQ(install.lines.back(), L"State=Success");
    EXPECT_TRUE(IsFile(dir + L"\\TarvoPDFEditor.exe"));
    EXPECT_TRUE(IsFile(dir + L"\\uninst.ep"));

    // The entry is a program: run a copy of it, as the installer does.
    const std::wstring copy = scratch / L"TarvoPDFEditor_un_asa.exe";
    ASSERT_TRUE(CopyFileW((dir + L"\\uninst.ep").c_str(), copy.c_str(), FALSE));
    const ChildRun uninstall = RunCaptured(UninstallCommand(copy, dir));
    ASSERT_TRUE(uninstall.finished);
    EXPECT_EQ(uninstall.exitCode, 0u);
    EXPECT_TRUE(uninstall.Has(L"Progress=0.00"));
    ASSERT_FALSE(uninstall.lines.empty());
    EXPECT_EQ(uninstall.lines.back(), L"State=Success");
    EXPECT_FALSE(IsFile(dir + L"\\TarvoPDFEditor.exe"));
    EXPECT_FALSE(IsFile(dir + L"\\uninst.ep"));
    EXPECT_FALSE(TestSupport::IsDirectory(dir));
}

TEST(DemoPrograms, PackageOptions) {
    struct Case {
        const wchar_t* options;
        const wchar_t* expectLine;  // must appear
        const wchar_t* lastLine;
        bool installs;
        bool entry;
    } cases[] = {
        {L"fail", L"State=Fail", L"State=Fail", false, false},
        {L"error=磁盘已满", L"Error=磁盘已满", L"Error=磁盘已满", false, false},
        {L"message=欢迎", L"Message=欢迎", L"State=Success", true, true},
        {L"noep", L"StartupStyle=NonStartup", L"State=Success", true, false},
        {L"nofinal;startup=AutoStartup", L"StartupStyle=AutoStartup", L"StartupStyle=AutoStartup",
         true, true},
        {L"version=2.3.4", L"InstallVersion=2.3.4", L"State=Success", true, true},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        const std::wstring dir = scratch / L"app";
        const ChildRun run = RunCaptured(PackageCommand(c.options, dir));
        const std::string label = Utils::WideToAnsi(c.options, CP_UTF8);
        ASSERT_TRUE(run.finished) << label;
        ASSERT_FALSE(run.lines.empty()) << label;
        EXPECT_TRUE(run.Has(c.expectLine)) << label;
        EXPECT_EQ(run.lines.back(), c.lastLine) << label;
        EXPECT_EQ(IsFile(dir + L"\\TarvoPDFEditor.exe"), c.installs) << label;
        EXPECT_EQ(IsFile(dir + L"\\uninst.ep"), c.entry) << label;
        EXPECT_EQ(run.Has(L"UninstEp=" + dir + L"\\uninst.ep"), c.entry) << label;
    }
}

TEST(DemoPrograms, PackageWithoutDirectoryReportsAnError) {
    ScratchDir scratch;
    const ChildRun run = RunCaptured(L"\"" + SiblingPath(L"demo_package.exe") +
                                     L"\" /S -console=show -demo=duration=0");
    ASSERT_TRUE(run.finished);
    EXPECT_NE(run.exitCode, 0u);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back().rfind(L"Error=", 0), 0u);
}

TEST(DemoPrograms, UninstallerOptionsFromTheEnvironment) {
    struct Case {
        const wchar_t* options;
        const wchar_t* lastLine;
        bool removes;
    } cases[] = {
        {L"duration=0;fail", L"State=Fail", false},
        {L"duration=0;error=无法卸载", L"Error=无法卸载", false},
        {L"duration=0;nofinal", L"Progress=1.00", true},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        const std::wstring dir = scratch / L"app";
        ASSERT_TRUE(RunCaptured(PackageCommand(L"", dir)).finished);
        const std::wstring copy = scratch / L"TarvoPDFEditor_un_asa.exe";
        ASSERT_TRUE(CopyFileW((dir + L"\\uninst.ep").c_str(), copy.c_str(), FALSE));
        SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", c.options);
        const ChildRun run = RunCaptured(UninstallCommand(copy, dir));
        SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", nullptr);
        const std::string label = Utils::WideToAnsi(c.options, CP_UTF8);
        ASSERT_TRUE(run.finished) << label;
        ASSERT_FALSE(run.lines.empty()) << label;
        EXPECT_EQ(run.lines.back(), c.lastLine) << label;
        EXPECT_EQ(IsFile(dir + L"\\TarvoPDFEditor.exe"), !c.removes) << label;
    }
}

}  // namespace
