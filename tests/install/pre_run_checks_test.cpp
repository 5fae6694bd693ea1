// Checks before a run: real process list, real directories, real free-space probe.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "install/pre_run_checks.h"
#include "install/process_id_by_name.h"
#include "tests/process_runner.h"
#include "tests/scratch.h"
#include "utils/text.h"

namespace {

using TestSupport::ScratchDir;
using TestSupport::SiblingPath;

// A process started by the test and ended by it, by its own handle.
class ChildGuard {
  public:
    explicit ChildGuard(const std::wstring& commandLine) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        std::wstring line = commandLine;
        m_started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                                   nullptr, nullptr, &startup, &m_info) != FALSE;
    }
    ~ChildGuard() { Stop(); }
    bool Started() const { return m_started; }
    DWORD Pid() const { return m_info.dwProcessId; }
    void Stop() {
        if (!m_started) return;
        TerminateProcess(m_info.hProcess, 0);
        WaitForSingleObject(m_info.hProcess, 10000);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
        m_started = false;
    }

  private:
    bool m_started = false;
    PROCESS_INFORMATION m_info = {};
};

TEST(PreRunProcess, FindsARunningProcessByExactImageName) {
    ScratchDir dir;
    // A name no other test uses, so parallel tests cannot interfere.
    const std::wstring name = L"probe_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    const std::wstring image = dir / name;
    ASSERT_TRUE(CopyFileW(SiblingPath(L"demo_package.exe").c_str(), image.c_str(), FALSE));
    EXPECT_EQ(ProcessIdByName(name), 0u);
    {
        ChildGuard child(L"\"" + image + L"\" -demo=hang");
        ASSERT_TRUE(child.Started());
        DWORD found = 0;
        for (int i = 0; i < 100 && found == 0; ++i) {
            found = ProcessIdByName(name);
            if (found == 0) Sleep(20);
        }
        EXPECT_EQ(found, child.Pid());
        // Whole name, case-sensitive, no directory.
        std::wstring upper = name;
        for (wchar_t& c : upper) c = towupper(c);
        EXPECT_EQ(ProcessIdByName(upper), 0u);
        EXPECT_EQ(ProcessIdByName(L"probe_"), 0u);
        EXPECT_EQ(ProcessIdByName(image), 0u);
        child.Stop();
    }
    EXPECT_EQ(ProcessIdByName(name), 0u);
    EXPECT_EQ(ProcessIdByName(L""), 0u);
}

TEST(PreRunChecks, RunningProcessesInOrder) {
    struct Case {
        bool insNew;
        bool uninstallerRuns;
        bool appRuns;
        PreRunResult expect;
    } cases[] = {
        {false, false, false, PreRunResult::Ok},
        {false, true, false, PreRunResult::UninstallerRunning},
        {false, false, true, PreRunResult::AppRunning},
        {false, true, true, PreRunResult::UninstallerRunning},
        {true, true, true, PreRunResult::Ok},
    };
    for (const Case& c : cases) {
        std::map<std::wstring, DWORD> running;
        if (c.uninstallerRuns) running[L"TarvoPDFEditor_un_asa.exe"] = 42;
        if (c.appRuns) running[L"TarvoPDFEditor.exe"] = 43;
        const ProcessLookup lookup = [&running](const std::wstring& name) -> DWORD {
            const auto found = running.find(name);
            return found == running.end() ? 0 : found->second;
        };
        EXPECT_EQ(CheckNothingRunning(c.insNew, lookup), c.expect);
    }
}

TEST(PreRunChecks, InstallDirectoryMustBeCreatable) {
    ScratchDir dir;
    ASSERT_TRUE(TestSupport::WriteFileBytes(dir / L"file", "x"));
    struct Case {
        std::wstring path;
        PreRunResult expect;
    } cases[] = {
        {dir / L"new\\deeper\\塔沃", PreRunResult::Ok},
        {dir / L"trailing\\", PreRunResult::Ok},
        {dir.Path(), PreRunResult::Ok},
        {L"", PreRunResult::InvalidDirectory},
        {L"relative\\dir", PreRunResult::InvalidDirectory},
        {L"\\rooted\\no\\drive", PreRunResult::InvalidDirectory},
        {dir / L"file", PreRunResult::InvalidDirectory},
        {dir / L"file\\below", PreRunResult::InvalidDirectory},
        {dir / std::wstring(300, L'x'), PreRunResult::InvalidDirectory},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrepareInstallDir(c.path), c.expect) << Utils::WideToAnsi(c.path, 65001);
        if (c.expect == PreRunResult::Ok) {
            EXPECT_TRUE(TestSupport::IsDirectory(c.path));
        }
    }
    EXPECT_FALSE(TestSupport::IsDirectory(L"relative"));
}

TEST(PreRunChecks, DrivePart) {
    struct Case {
        const wchar_t* dir;
        const wchar_t* drive;
    } cases[] = {
        {L"C:\\Program Files\\TarvoPDFEditor", L"C:"},
        {L"d:\\", L"d:"},
        {L"\\\\srv\\share\\apps\\x", L"\\\\srv\\share\\"},
        {L"\\\\srv\\share", L"\\\\srv\\share\\"},
        {L"relative", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(DrivePart(c.dir), c.drive);
}

TEST(PreRunChecks, FreeSpaceAgainstTheMinimum) {
    ScratchDir dir;
    const FreeSpace some = CheckInstallDirSpace(dir.Path(), 1);
    EXPECT_GT(some.availableBytes, 0u);
    EXPECT_TRUE(some.enough);
    const FreeSpace huge = CheckInstallDirSpace(dir.Path(), 1ull << 62);
    EXPECT_GT(huge.availableBytes, 0u);
    EXPECT_FALSE(huge.enough);
    // No drive to ask about: nothing known, not enough.
    const FreeSpace none = CheckInstallDirSpace(L"relative", 1);
    EXPECT_EQ(none.availableBytes, 0u);
    EXPECT_FALSE(none.enough);
}

}  // namespace
