#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/installer_settings.h"
#include "install/installer.h"
#include "tests/install/event_recorder.h"
#include "tests/install/scripted_child.h"
#include "utils/text.h"

namespace {

using TestSupport::EscapeForScript;
using TestSupport::Event;
using TestSupport::EventRecorder;
using TestSupport::ScriptedChild;

const std::wstring kInstallFailed = L"\u5B89\u88C5\u5305\u5B89\u88C5\u5931\u8D25";
// Generous guard against a hanging runner; never a measured figure.
constexpr DWORD kRunGuardMs = 60000;

std::string Out(const std::string& bytes) { return "out " + EscapeForScript(bytes); }

// Runs the scripted child as the package with a short read pause and returns
// the events; checks that the run ended and every event came from the worker.
std::vector<Event> RunPackage(const std::vector<std::string>& script, DWORD pauseMs = 5) {
    EventRecorder recorder;
    CInstaller installer(recorder.Callback(), ScriptedChild::QuotedExe(), L"", false, false, false);
    ScriptedChild child(script);  // destroyed first: its grandchild ends before the runner
    installer.SetReadPause(pauseMs);
    installer.Start();
    if (!installer.Wait(kRunGuardMs)) {
        ADD_FAILURE() << "the run did not end";
        child.TerminateChildren();  // so the runner's destructor can finish
    }
    const DWORD worker = installer.Worker()->m_threadId;
    EXPECT_EQ(installer.Worker()->m_name, L"ABDEF");
    for (DWORD id : recorder.ThreadIds()) EXPECT_EQ(id, worker);
    EXPECT_NE(worker, GetCurrentThreadId());
    return recorder.Events();
}

std::vector<Event> Framed(std::vector<Event> middle, std::vector<Event> end) {
    std::vector<Event> all{{2001, 0.0, L""}, {2002, 0.0, L""}};
    all.insert(all.end(), middle.begin(), middle.end());
    all.insert(all.end(), end.begin(), end.end());
    return all;
}

const Event kEndSuccess{2003, 1.0, L""};

struct RunCase {
    const char* name;
    std::vector<std::string> script;
    std::vector<Event> expected;  // after 2001 and 2002
};

TEST(InstallerRun, ScriptedPackages) {
    const std::string gbk = Utils::WideToAnsi(L"\u5854\u6C83PDF", 936);
    const std::string utf8 = Utils::WideToAnsi(L"\u5854\u6C83PDF", 65001);
    const RunCase cases[] = {
        {"prints nothing", {}, {kEndSuccess}},
        {"exits with a code but no final line", {"exit 3"}, {kEndSuccess}},
        {"facts then success",
         {Out("Progress=0.5\r\nInstPath=C:\\T\r\nExePath=C:\\T\\a.exe\n"),
          Out("StartupStyle=UserStartup\nTopShowDetention=-1\nState=Success\r\n")},
         {{2002, 0.5, L""},
          {3000, 0.0, L"C:\\T\r"},
          {3001, 0.0, L"C:\\T\\a.exe"},
          {3005, 2.0, L""},
          {3007, 4294967295.0, L""},
          {2003, 0.0, L""}}},
        {"state fail", {Out("State=Fail\n")}, {{2004, 0.0, kInstallFailed}}},
        {"error then success in one write",
         {Out("Error=bad\nState=Success\n")},
         {{2004, 1000.0, L"bad"}, {2003, 0.0, L""}}},
        {"key split across two writes with a pause",
         {Out("Progress=0.01\nProgr"), "waitevents 3", Out("ess=0.5\n")},
         {{2002, 0.01, L""}, {2002, 0.5, L""}, kEndSuccess}},
        {"error split across two writes is still a failure",
         {Out("Progress=0.2\nErr"), "waitevents 3", Out("or=disk full\r\n"), "sleep 50"},
         {{2002, 0.2, L""}, {2004, 1000.0, L"disk full\r"}}},
        {"unterminated last line counts",
         {Out("Progress=0.3\nState=Fail")},
         {{2002, 0.3, L""}, {2004, 0.0, kInstallFailed}}},
        {"encode switches for later reads",
         {Out("Encode=936\nProgress=0.1\n"), "waitevents 3", Out("Message=" + gbk + "\n"),
          Out("Encode=UTF8\nProgress=0.2\n"), "waitevents 5", Out("Message=" + utf8 + "\n")},
         {{2002, 0.1, L""},
          {3009, 0.0, L"\u5854\u6C83PDF"},
          {2002, 0.2, L""},
          {3009, 0.0, L"\u5854\u6C83PDF"},
          kEndSuccess}},
        {"encode does not change the rest of its own read",
         {Out("Encode=UTF8\nMessage=" + utf8 + "\n"), "waitevents 3",
          Out("Message=" + utf8 + "\n")},
         {{3009, 0.0, Utils::AnsiToWide("Message=" + utf8, 0).substr(8)},
          {3009, 0.0, L"\u5854\u6C83PDF"},
          kEndSuccess}},
        {"character cut between two writes",
         {Out("Encode=UTF8\nProgress=0.1\n"), "waitevents 3",
          Out("Progress=0.2\nMessage=" + utf8.substr(0, 2)), "waitevents 4",
          Out(utf8.substr(2) + "\n")},
         {{2002, 0.1, L""}, {2002, 0.2, L""}, {3009, 0.0, L"\u5854\u6C83PDF"}, kEndSuccess}},
        {"floods standard error", {"errfill 1000000", Out("State=Success\n")}, {{2003, 0.0, L""}}},
        {"100 KB without a line feed (read to its end before the child ends)",
         {"outfill 102400", Out("\nProgress=0.7\n"), "waitevents 3"},
         {{2002, 0.7, L""}, kEndSuccess}},
        {"keeps writing after its final line",
         {Out("State=Fail\n"), "outfill 300000", "errfill 300000"},
         {{2004, 0.0, kInstallFailed}}},
        {"reads its input", {"readinput", Out("Progress=1\n")}, {{2002, 1.0, L""}, kEndSuccess}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunPackage(c.script), Framed(c.expected, {}));
    }
}

TEST(InstallerRun, AGrandchildHoldingTheOutputDoesNotHangTheRun) {
    // The grandchild lingers two minutes with the output handle; the run must
    // end with the child, well inside the guard.
    const std::vector<Event> events =
        RunPackage({"spawn 120000 {PIDFILE}", Out("Progress=0.3\n"), "sleep 100"});
    EXPECT_EQ(events, Framed({{2002, 0.3, L""}}, {kEndSuccess}));
}

TEST(InstallerRun, WhatThePipeHoldsAtTheEndOfTheChildIsReadBeforeTheOutcome) {
    // The first line's event comes just before the runner checks the child
    // and pauses 1.5 s. 0.3 s later (the child still ran at the check) a burst
    // of 31 lines of 100 bytes, far more than one read, arrives and the child
    // ends at once. Every line is reported, the last one included: a final
    // "Error=" there makes the run a failure.
    std::string block;
    std::vector<Event> lines{{2002, 0.1, L""}};
    for (int i = 0; i < 31; ++i) {
        std::string line = "Message=" + std::to_string(100 + i);
        line.resize(99, '.');
        block += line + "\n";
        std::wstring text = Utils::AnsiToWide(line, 0);
        lines.push_back({3009, 0.0, text.substr(8)});
    }
    struct Case {
        const char* name;
        std::string last;
        Event end;
    };
    const Case cases[] = {
        {"no final line", "", kEndSuccess},
        {"error as the last line", "Error=disk full\n", {2004, 1000.0, L"disk full"}},
        {"unterminated fail as the last bytes", "State=Fail", {2004, 0.0, kInstallFailed}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto events = RunPackage(
            {Out("Progress=0.1\n"), "waitevents 3", "sleep 300", Out(block + c.last), "exit 0"},
            1500);
        EXPECT_EQ(events, Framed(lines, {c.end}));
    }
}

TEST(InstallerRun, RealPauseBetweenReads) {
    // The shipped 100 ms pause, in real time.
    ScriptedChild child({Out("Progress=0.25\n"), "sleep 120", Out("Progress=0.75\n"), "sleep 120",
                         Out("StartupStyle=AutoStartup\nState=Success\n")});
    EventRecorder recorder;
    CInstaller installer(recorder.Callback(), ScriptedChild::QuotedExe(), L"", false, false, false);
    installer.Start();
    ASSERT_TRUE(installer.Wait(kRunGuardMs));
    EXPECT_EQ(
        recorder.Events(),
        Framed({{2002, 0.25, L""}, {2002, 0.75, L""}, {3005, 1.0, L""}, {2003, 0.0, L""}}, {}));
}

TEST(InstallerRun, MissingPackageOrNoPackageCommand) {
    struct Case {
        std::wstring command;
        std::vector<Event> expected;
    };
    const Case cases[] = {
        {L"\"C:\\no\\such\\package.exe\"", {{2001, 0.0, L""}, {2002, 0.0, L""}, {2004, 2.0, L""}}},
        {L"", {{2001, 0.0, L""}, {2004, 1.0, L""}}},
    };
    for (const auto& c : cases) {
        EventRecorder recorder;
        CInstaller installer(recorder.Callback(), c.command, L"C:\\T", true, true, true);
        installer.Start();
        ASSERT_TRUE(installer.Wait(kRunGuardMs));
        EXPECT_EQ(recorder.Events(), c.expected);
    }
}

}  // namespace

namespace {

TEST(InstallerCommandLine, PiecesInTheirOrder) {
    struct Case {
        InstallCommandLineParts parts;
        std::wstring expected;
    };
    const std::wstring base =
        L"\"C:\\d\\__Package_TarvoPDFEditor.exe\" /S -console=show -version=1.0.0";
    const Case cases[] = {
        {{L"\"C:\\d\\__Package_TarvoPDFEditor.exe\"", false, true, false, false, L"", L"", L""},
         base + L" -adminact=false -authorizationact=true -dsc=false -ssc=false"},
        {{L"\"C:\\d\\__Package_TarvoPDFEditor.exe\"", true, false, true, true, L"zh-CN", L"-a=1 -b",
          L"C:\\Program Files\\Tarvo PDF"},
         base +
             L" -adminact=true -authorizationact=false -dsc=true -ssc=true -inslang=\"zh-CN\""
             L" -a=1 -b -instdir=\"C:\\Program Files\\Tarvo PDF\" /D=C:\\Program Files\\Tarvo PDF"},
        {{L"\"p.exe\"", false, false, false, true, L"", L"", L"D:\\\u5854\u6C83"},
         L"\"p.exe\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=false"
         L" -dsc=false -ssc=true -instdir=\"D:\\\u5854\u6C83\" /D=D:\\\u5854\u6C83"},
    };
    for (const auto& c : cases) EXPECT_EQ(ComposeInstallCommandLine(c.parts), c.expected);
}

// Keeps g_settings' extra arguments for one test and restores them.
class ExtraArgs {
  public:
    explicit ExtraArgs(const std::wstring& args) : m_saved(g_settings.m_InstCmd) {
        g_settings.m_InstCmd = args;
    }
    ~ExtraArgs() { g_settings.m_InstCmd = m_saved; }

  private:
    std::wstring m_saved;
};

TEST(InstallerCommandLine, ThePackageReceivesTheComposedLine) {
    ExtraArgs extra(L"-channel=7 -x=\"a b\"");
    ScriptedChild child({Out("State=Success\n")});
    EventRecorder recorder;
    CInstaller installer(recorder.Callback(), ScriptedChild::QuotedExe(),
                         L"C:\\Program Files\\\u5854\u6C83 PDF", true, false, true);
    installer.SetElevated(false);
    installer.SetLanguage(L"zh-CN");
    installer.SetReadPause(5);
    installer.Start();
    ASSERT_TRUE(installer.Wait(kRunGuardMs));
    const std::wstring expected =
        ScriptedChild::QuotedExe() +
        L" /S -console=show -version=1.0.0 -adminact=true -authorizationact=false -dsc=true"
        L" -ssc=false -inslang=\"zh-CN\" -channel=7 -x=\"a b\""
        L" -instdir=\"C:\\Program Files\\\u5854\u6C83 PDF\" /D=C:\\Program Files\\\u5854\u6C83 PDF";
    EXPECT_EQ(installer.CommandLine(), expected);
    EXPECT_EQ(child.RecordedCommandLines(), std::vector<std::wstring>{expected});

    // A second start composes again from the options of that moment.
    installer.SetInstallDirectory(L"");
    installer.SetLanguage(L"");
    installer.Start();
    ASSERT_TRUE(installer.Wait(kRunGuardMs));
    const std::wstring second =
        ScriptedChild::QuotedExe() +
        L" /S -console=show -version=1.0.0 -adminact=true -authorizationact=false -dsc=true"
        L" -ssc=false -channel=7 -x=\"a b\"";
    EXPECT_EQ(child.RecordedCommandLines(), (std::vector<std::wstring>{expected, second}));
    EXPECT_EQ(recorder.Events(),
              Framed({{2003, 0.0, L""}, {2001, 0.0, L""}, {2002, 0.0, L""}, {2003, 0.0, L""}}, {}));
}

TEST(InstallerCommandLine, LongestLineStartsAndOneMoreIsRefusedUncut) {
    // The extra arguments (" " + text) pad the line to any length.
    const std::wstring base = ComposeInstallCommandLine(
        {ScriptedChild::QuotedExe(), false, true, false, false, L"", L"", L""});
    struct Case {
        size_t length;
        std::vector<Event> expected;
        bool started;
    };
    const Case cases[] = {
        {1023, Framed({{2003, 0.0, L""}}, {}), true},
        {1024, Framed({{2004, 2.0, L""}}, {}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        ExtraArgs extra(L"-pad=" + std::wstring(c.length - base.size() - 1 - 5, L'p'));
        ScriptedChild child({Out("State=Success\n")});
        EventRecorder recorder;
        CInstaller installer(recorder.Callback(), ScriptedChild::QuotedExe(), L"", false, false,
                             false);
        installer.SetReadPause(5);
        installer.Start();
        ASSERT_TRUE(installer.Wait(kRunGuardMs));
        ASSERT_EQ(installer.CommandLine().size(), c.length);
        EXPECT_EQ(recorder.Events(), c.expected);
        const auto recorded = child.RecordedCommandLines();
        if (c.started) {
            EXPECT_EQ(recorded, std::vector<std::wstring>{installer.CommandLine()});
        } else {
            EXPECT_TRUE(recorded.empty());
        }
    }
}

}  // namespace
