#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "install/installer.h"
#include "tests/install/event_recorder.h"
#include "tests/install/scripted_child.h"
#include "utils/child_process.h"
#include "utils/exception.h"

namespace {

using TestSupport::EscapeForScript;
using TestSupport::Event;
using TestSupport::EventRecorder;
using TestSupport::ScriptedChild;

TEST(ChildProcess, AChildThatExitsAtOnceLeavesAClosedEmptyPipe) {
    ScriptedChild script({});
    Utils::ChildProcess child;
    child.Launch(ScriptedChild::QuotedExe());
    // The parent holds no copy of the child's ends any more.
    EXPECT_EQ(child.m_stdout.m_write, nullptr);
    EXPECT_EQ(child.m_stdin.m_read, nullptr);
    EXPECT_EQ(child.m_stdin.m_write, nullptr);
    EXPECT_EQ(child.m_stderr, nullptr);
    ASSERT_TRUE(child.WaitForExit(30000));
    child.WaitForOutput();  // returns: the pipe is closed
    char buffer[16];
    EXPECT_EQ(child.ReadAvailable(buffer, sizeof(buffer)), 0u);
    DWORD available = 0;
    EXPECT_FALSE(PeekNamedPipe(child.m_stdout.m_read, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    child.CloseHandles();
    EXPECT_EQ(child.m_processInfo.hProcess, nullptr);
    EXPECT_EQ(child.m_stdout.m_read, nullptr);
}

TEST(ChildProcess, ReadsOnlyWhatIsThereAndAtMostTheBufferSize) {
    ScriptedChild script({"out " + EscapeForScript("0123456789"), "sleep 100"});
    Utils::ChildProcess child;
    child.Launch(ScriptedChild::QuotedExe());
    child.WaitForOutput();
    char buffer[4];
    EXPECT_EQ(child.ReadAvailable(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(child.PendingOutput(), 6u);
    ASSERT_TRUE(child.WaitForExit(30000));
}

TEST(ChildProcess, LaunchFailuresThrowWithoutStartingAnything) {
    ScriptedChild script({});
    const std::wstring tooLong =
        ScriptedChild::QuotedExe() + L" " +
        std::wstring(Utils::ChildProcess::kCommandLineChars - ScriptedChild::QuotedExe().size() - 1,
                     L'a');
    ASSERT_EQ(tooLong.size(), Utils::ChildProcess::kCommandLineChars);
    for (const std::wstring& line : {tooLong, std::wstring(L"\"C:\\no\\such.exe\" -x")}) {
        Utils::ChildProcess child;
        EXPECT_THROW(child.Launch(line), Utils::Exception);
        EXPECT_EQ(child.m_processInfo.hProcess, nullptr);
        EXPECT_FALSE(child.HasEnded());
    }
    EXPECT_TRUE(script.RecordedCommandLines().empty());
}

TEST(InstallerRun, RestartFromInsideItsOwnFinalEvent) {
    // An owner may start the next run from the final event of the previous
    // one, on the runner's own worker; that must neither deadlock nor lose the
    // earlier worker.
    EventRecorder recorder;
    std::atomic<int> finals{0};
    CInstaller* self = nullptr;
    const StatusCallback record = recorder.Callback();
    CInstaller installer(
        [&](int code, double progress, const wchar_t* text) {
            record(code, progress, text);
            if (code == IST_CODE_SUCCESS && ++finals == 1) self->Start();
        },
        ScriptedChild::QuotedExe(), L"", false, false, false);
    self = &installer;
    ScriptedChild script({"out State=Success\\n"});
    installer.SetReadPause(5);
    installer.Start();
    for (int i = 0; i < 600 && finals.load() < 2; ++i) Sleep(50);
    ASSERT_TRUE(installer.Wait(60000));
    EXPECT_EQ(finals.load(), 2);
    const std::vector<Event> once{{2001, 0.0, L""}, {2002, 0.0, L""}, {2003, 0.0, L""}};
    std::vector<Event> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(recorder.Events(), twice);
    EXPECT_EQ(script.RecordedCommandLines().size(), 2u);
}

}  // namespace
