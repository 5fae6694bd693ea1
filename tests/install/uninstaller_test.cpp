#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "install/uninstaller.h"
#include "tests/install/event_recorder.h"
#include "tests/install/scripted_child.h"
#include "utils/account.h"

namespace {

using TestSupport::EscapeForScript;
using TestSupport::Event;
using TestSupport::EventRecorder;
using TestSupport::ScriptedChild;

const std::wstring kUninstallFailed = L"\u5B89\u88C5\u5305\u5378\u8F7D\u5931\u8D25";
const std::wstring kMissing = L"\u53EF\u6267\u884C\u5378\u8F7D\u6587\u4EF6\u4E0D\u5B58\u5728";
constexpr DWORD kRunGuardMs = 60000;

std::string Out(const std::string& bytes) { return "out " + EscapeForScript(bytes); }

std::vector<Event> RunUninstaller(UnInstaller& runner, const EventRecorder& recorder,
                                  const ScriptedChild& child) {
    runner.Start();
    if (!runner.Wait(kRunGuardMs)) {
        ADD_FAILURE() << "the run did not end";
        child.TerminateChildren();  // so the runner's destructor can finish
    }
    EXPECT_EQ(runner.Worker()->m_name, L"UnInstaller");
    for (DWORD id : recorder.ThreadIds()) EXPECT_EQ(id, runner.Worker()->m_threadId);
    EXPECT_NE(runner.Worker()->m_threadId, GetCurrentThreadId());
    return recorder.Events();
}

struct RunCase {
    const char* name;
    std::vector<std::string> script;
    std::vector<Event> expected;  // after the opening 5002 with 0.0
};

TEST(UninstallerRun, ScriptedUninstallers) {
    const Event start{5002, 0.0, L""};
    const Event endSuccess{5003, 1.0, L""};
    const RunCase cases[] = {
        {"prints nothing", {}, {endSuccess}},
        {"state success", {Out("State=Success\r\n")}, {{5003, 0.0, L""}}},
        {"progress then error",
         {Out("Progress=0.4\n"), "sleep 50", Out("Error=locked\n")},
         {{5002, 0.4, L""}, {5005, 0.0, L"locked"}}},
        {"state fail", {Out("State=Fail\n")}, {{5005, 0.0, kUninstallFailed}}},
        {"reading goes on after a final line",
         {Out("State=Fail\n"), "sleep 100", Out("Progress=0.9\n")},
         {{5005, 0.0, kUninstallFailed}, {5002, 0.9, L""}}},
        {"error written right before the end", {Out("Error=x\n"), "exit 0"}, {{5005, 0.0, L"x"}}},
        {"unterminated last line",
         {Out("Progress=0.5\nState=Success")},
         {{5002, 0.5, L""}, {5003, 0.0, L""}}},
        {"split across writes",
         {Out("Progress=0.1\nSta"), "waitevents 2", Out("te=Fail\r\n")},
         {{5002, 0.1, L""}, {5005, 0.0, kUninstallFailed}}},
        {"install keys ignored", {Out("InstPath=C:\\x\nExePath=y\n")}, {endSuccess}},
        {"floods standard error", {"errfill 1000000"}, {endSuccess}},
        {"grandchild holds the output",
         {"spawn 120000 {PIDFILE}", Out("Progress=0.2\n"), "sleep 200"},
         {{5002, 0.2, L""}, endSuccess}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EventRecorder recorder;
        UnInstaller runner(recorder.Callback(), ScriptedChild::ExePath(), L"C:\\old");
        ScriptedChild child(c.script);  // destroyed before the runner
        std::vector<Event> expected{start};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(RunUninstaller(runner, recorder, child), expected);
    }
}

TEST(UninstallerRun, MissingUninstallerStartsNothing) {
    ScriptedChild child({});
    for (const std::wstring& path : {std::wstring(L""), child.Dir() / L"absent.exe"}) {
        EventRecorder recorder;
        UnInstaller runner(recorder.Callback(), path, L"C:\\old");
        EXPECT_EQ(RunUninstaller(runner, recorder, child),
                  (std::vector<Event>{{5004, 1.0, kMissing}}));
    }
    EXPECT_TRUE(child.RecordedCommandLines().empty());
}

TEST(UninstallerRun, PathsWithBlanks) {
    ScriptedChild child({Out("State=Success\n")});
    CreateDirectoryW((child.Dir() / L"un inst").c_str(), nullptr);
    const std::wstring copy = child.Dir() / L"un inst\\TarvoPDFEditor_un asa.exe";
    ASSERT_TRUE(CopyFileW(ScriptedChild::ExePath().c_str(), copy.c_str(), FALSE));
    const std::wstring oldDir = L"C:\\Program Files\\\u5854\u6C83 PDF";
    EventRecorder recorder;
    UnInstaller runner(recorder.Callback(), copy, oldDir);
    EXPECT_EQ(RunUninstaller(runner, recorder, child),
              (std::vector<Event>{{5002, 0.0, L""}, {5003, 0.0, L""}}));

    std::wstring user;
    const bool adminAccount = Utils::GetConsoleUserName(user) && Utils::IsAdminAccount(user);
    const std::wstring expected = L"\"" + copy + L"\" /S -adminact=" +
                                  (adminAccount ? L"true" : L"false") + L" -authorizationact=" +
                                  (Utils::IsUserAdmin() ? L"true" : L"false") +
                                  L" -console=show _?=" + oldDir;
    EXPECT_EQ(runner.CommandLine(), expected);
    EXPECT_EQ(child.RecordedCommandLines(), std::vector<std::wstring>{expected});
}

TEST(UninstallerCommandLine, Composition) {
    EXPECT_EQ(ComposeUninstallCommandLine(L"C:\\t\\a b.exe", true, false, L"D:\\x y"),
              L"\"C:\\t\\a b.exe\" /S -adminact=true -authorizationact=false -console=show "
              L"_?=D:\\x y");
    EXPECT_EQ(ComposeUninstallCommandLine(L"u.exe", false, true, L""),
              L"\"u.exe\" /S -adminact=false -authorizationact=true -console=show _?=");
}

TEST(UninstallerCommandLine, TooLongIsALaunchFailure) {
    ScriptedChild child({Out("State=Success\n")});
    // The probes decide two of the words, so the base comes from the runner.
    const std::wstring base =
        UnInstaller(StatusCallback(), ScriptedChild::ExePath(), L"").ComposeCommandLine();
    struct Case {
        size_t length;
        std::vector<Event> expected;
    };
    const Case cases[] = {
        {1023, {{5002, 0.0, L""}, {5003, 0.0, L""}}},
        {1024, {{5002, 0.0, L""}, {5004, 2.0, L""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        EventRecorder recorder;
        UnInstaller runner(recorder.Callback(), ScriptedChild::ExePath(),
                           L"C:\\" + std::wstring(c.length - base.size() - 3, L'o'));
        EXPECT_EQ(RunUninstaller(runner, recorder, child), c.expected);
        EXPECT_EQ(runner.CommandLine().size(), c.length);
    }
    EXPECT_EQ(child.RecordedCommandLines().size(), 1u);
}

}  // namespace
