#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/output_line_buffer.h"
#include "install/output_protocol.h"
#include "tests/install/event_recorder.h"
#include "tests/log_capture.h"

namespace {

using Install::kOutcomeFailure;
using Install::kOutcomeNone;
using Install::kOutcomeSuccess;
using TestSupport::Event;
using TestSupport::EventRecorder;

const std::wstring kInstallFailed = L"\u5B89\u88C5\u5305\u5B89\u88C5\u5931\u8D25";
const std::wstring kUninstallFailed = L"\u5B89\u88C5\u5305\u5378\u8F7D\u5931\u8D25";

struct ParseCase {
    const char* name;
    std::wstring text;
    std::vector<Event> events;
    int outcome;
    int codePageAfter;
};

TEST(OutputProtocol, InstallDialectLines) {
    const std::wstring long771(771, L'a');
    const std::wstring long772(772, L'a');
    const ParseCase cases[] = {
        {"progress", L"Progress=0.5\n", {{2002, 0.5, L""}}, kOutcomeNone, 0},
        {"progress letters", L"Progress=abc\n", {{2002, 0.0, L""}}, kOutcomeNone, 0},
        {"progress blanks and tail",
         L"Progress=  0.25xyz\r\n",
         {{2002, 0.25, L""}},
         kOutcomeNone,
         0},
        {"progress exponent", L"Progress=5e-1\n", {{2002, 0.5, L""}}, kOutcomeNone, 0},
        {"progress hex is no number", L"Progress=0x1p3\n", {{2002, 0.0, L""}}, kOutcomeNone, 0},
        {"progress overflow", L"Progress=1e999\n", {{2002, 0.0, L""}}, kOutcomeNone, 0},
        {"inst path",
         L"InstPath=C:\\Program Files\\\u5854\u6C83\n",
         {{3000, 0.0, L"C:\\Program Files\\\u5854\u6C83"}},
         kOutcomeNone,
         0},
        {"inst path empty", L"InstPath=\n", {{3000, 0.0, L""}}, kOutcomeNone, 0},
        {"exe path keeps CR",
         L"ExePath=C:\\a.exe\r\n",
         {{3001, 0.0, L"C:\\a.exe\r"}},
         kOutcomeNone,
         0},
        {"start exe", L"StartExe=b.exe", {{3001, 0.0, L"b.exe"}}, kOutcomeNone, 0},
        {"uninst exe path",
         L"UninstExePath=u.exe\nUninstExe=v.exe\n",
         {{3002, 0.0, L"u.exe"}, {3002, 0.0, L"v.exe"}},
         kOutcomeNone,
         0},
        {"uninst ep",
         L"UninstEp=C:\\x\\uninst.exe\n",
         {{3003, 0.0, L"C:\\x\\uninst.exe"}},
         kOutcomeNone,
         0},
        {"start url", L"StartUrl=http://x/y\n", {{3004, 0.0, L"http://x/y"}}, kOutcomeNone, 0},
        {"message", L"Message=\u4F60\u597D\n", {{3009, 0.0, L"\u4F60\u597D"}}, kOutcomeNone, 0},
        {"text value 771", L"Message=" + long771 + L"\n", {{3009, 0.0, long771}}, kOutcomeNone, 0},
        {"text value 772", L"Message=" + long772 + L"\n", {{3009, 0.0, L""}}, kOutcomeNone, 0},
        {"state success with CR", L"State=Success\r\n", {{2003, 0.0, L""}}, kOutcomeSuccess, 0},
        {"state fail", L"State= Fail \n", {{2004, 0.0, kInstallFailed}}, kOutcomeFailure, 0},
        {"state other word", L"State=success\nState=Running\n", {}, kOutcomeNone, 0},
        {"error", L"Error=disk full\n", {{2004, 1000.0, L"disk full"}}, kOutcomeFailure, 0},
        {"error then success",
         L"Error=x\nState=Success\n",
         {{2004, 1000.0, L"x"}, {2003, 0.0, L""}},
         kOutcomeSuccess,
         0},
        {"success then fail",
         L"State=Success\nState=Fail\n",
         {{2003, 0.0, L""}, {2004, 0.0, kInstallFailed}},
         kOutcomeFailure,
         0},
        {"lines after a final line",
         L"State=Success\nProgress=1\n",
         {{2003, 0.0, L""}, {2002, 1.0, L""}},
         kOutcomeSuccess,
         0},
        {"top show -1", L"TopShowDetention=-1\n", {{3007, 4294967295.0, L""}}, kOutcomeNone, 0},
        {"top show 3000", L"TopShowDetention= 3000ms\n", {{3007, 3000.0, L""}}, kOutcomeNone, 0},
        {"finish close", L"FinsihCloseDetention=5000\n", {{3008, 5000.0, L""}}, kOutcomeNone, 0},
        {"finish close overflow",
         L"FinsihCloseDetention=99999999999\n",
         {{3008, 0.0, L""}},
         kOutcomeNone,
         0},
        {"finish close correct spelling is no key",
         L"FinishCloseDetention=5\n",
         {},
         kOutcomeNone,
         0},
        {"startup styles",
         L"StartupStyle= AutoStartup \nStartupStyle=UserStartup\r\nStartupStyle=autostartup\n"
         L"StartupStyle=NonStartup\n",
         {{3005, 1.0, L""}, {3005, 2.0, L""}, {3005, 0.0, L""}, {3005, 0.0, L""}},
         kOutcomeNone,
         0},
        {"encode 936", L"Encode=936\n", {}, kOutcomeNone, 936},
        {"encode utf8", L"Encode=UTF8\r\n", {}, kOutcomeNone, 65001},
        {"encode acp", L"Encode=936\nEncode=ACP\n", {}, kOutcomeNone, 0},
        {"encode letter", L"Encode=x936\n", {}, kOutcomeNone, 0},
        {"encode sign and tail", L"Encode=-5abc\n", {}, kOutcomeNone, -5},
        {"encode too big", L"Encode=4294967296\n", {}, kOutcomeNone, 0},
        {"key is case-sensitive",
         L"progress=0.5\nPROGRESS=0.5\n Progress=0.5\n",
         {},
         kOutcomeNone,
         0},
        {"unknown and empty lines", L"\n\r\nHello\nFoo=bar\n", {}, kOutcomeNone, 0},
        {"last piece without feed",
         L"Progress=0.1\nProgress=0.2",
         {{2002, 0.1, L""}, {2002, 0.2, L""}},
         kOutcomeNone,
         0},
    };
    for (const auto& c : cases) {
        EventRecorder recorder;
        Install::ProtocolState state;
        const int outcome = Install::ParseInstallOutput(c.text, state, recorder.Callback());
        EXPECT_EQ(recorder.Events(), c.events) << c.name;
        EXPECT_EQ(outcome, c.outcome) << c.name;
        EXPECT_EQ(state.codePage, c.codePageAfter) << c.name;
    }
}

TEST(OutputProtocol, EncodeChangesOnlyTheStateNotTheCurrentText) {
    // The parser receives already decoded text; a switch inside it is only
    // remembered for what the caller decodes next.
    EventRecorder recorder;
    Install::ProtocolState state;
    Install::ParseInstallOutput(L"Encode=UTF8\nMessage=\u00E4\n", state, recorder.Callback());
    EXPECT_EQ(state.codePage, 65001);
    EXPECT_EQ(recorder.Events(), (std::vector<Event>{{3009, 0.0, L"\u00E4"}}));
}

TEST(OutputProtocol, InstallVersionNumbers) {
    struct Case {
        std::wstring text;
        int before[3];
        int after[3];
    };
    const Case cases[] = {
        {L"InstallVersion=1.2.3\n", {0, 0, 0}, {1, 2, 3}},
        {L"InstallVersion=4.5\n", {7, 7, 7}, {4, 5, 7}},
        {L"InstallVersion=4.x.6\n", {7, 7, 7}, {4, 7, 7}},
        {L"InstallVersion=abc\n", {7, 8, 9}, {7, 8, 9}},
        {L"InstallVersion= 10. 20. 30\r\n", {0, 0, 0}, {10, 20, 30}},
        {L"InstallVersion=1.99999999999.3\n", {0, 0, 0}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        EventRecorder recorder;
        Install::ProtocolState state;
        for (int i = 0; i < 3; ++i) state.version[i] = c.before[i];
        EXPECT_EQ(Install::ParseInstallOutput(c.text, state, recorder.Callback()), kOutcomeNone);
        EXPECT_TRUE(recorder.Events().empty());
        for (int i = 0; i < 3; ++i) EXPECT_EQ(state.version[i], c.after[i]) << i;
    }
}

TEST(OutputProtocol, ExePathIsLogged) {
    TestSupport::LogCapture capture;
    EventRecorder recorder;
    Install::ProtocolState state;
    Install::ParseInstallOutput(L"ExePath=C:\\\u5854\\a.exe\n", state, recorder.Callback());
    const auto lines = capture.TextsOf(L"CInstaller::Parse");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(TestSupport::MessageOf(lines[0]), L"ExePath: C:\\\u5854\\a.exe");
}

TEST(OutputProtocol, UninstallDialectLines) {
    const ParseCase cases[] = {
        {"progress", L"Progress=0.4\n", {{5002, 0.4, L""}}, kOutcomeNone, 0},
        {"error", L"Error=locked\r\n", {{5005, 0.0, L"locked\r"}}, kOutcomeFailure, 0},
        {"state success", L"State=Success\r\n", {{5003, 0.0, L""}}, kOutcomeSuccess, 0},
        {"state fail", L"State=Fail\n", {{5005, 0.0, kUninstallFailed}}, kOutcomeFailure, 0},
        {"progress then error",
         L"Progress=0.4\nError=m\n",
         {{5002, 0.4, L""}, {5005, 0.0, L"m"}},
         kOutcomeFailure,
         0},
        {"install keys ignored",
         L"InstPath=C:\\x\nExePath=a\nMessage=m\nStartupStyle=AutoStartup\nTopShowDetention=1\n",
         {},
         kOutcomeNone,
         0},
        {"encode utf8", L"Encode=UTF8\n", {}, kOutcomeNone, 65001},
        {"encode number is not taken", L"Encode=936\n", {}, kOutcomeNone, 0},
    };
    for (const auto& c : cases) {
        EventRecorder recorder;
        Install::ProtocolState state;
        const int outcome = Install::ParseUninstallOutput(c.text, state, recorder.Callback());
        EXPECT_EQ(recorder.Events(), c.events) << c.name;
        EXPECT_EQ(outcome, c.outcome) << c.name;
        EXPECT_EQ(state.codePage, c.codePageAfter) << c.name;
    }
}

TEST(OutputProtocol, AnEmptyCallbackIsHarmless) {
    Install::ProtocolState state;
    EXPECT_EQ(Install::ParseInstallOutput(L"Progress=1\nError=x\n", state, StatusCallback()),
              kOutcomeFailure);
}

struct FeedCase {
    const char* name;
    std::vector<std::string> reads;
    std::vector<std::string> complete;  // what each read hands on
    std::string flushed;
};

TEST(OutputLineBuffer, ReassemblesLinesAcrossReads) {
    const FeedCase cases[] = {
        {"whole lines", {"a\nb\n"}, {"a\nb\n"}, ""},
        {"split key", {"Progr", "ess=0.5\n"}, {"", "Progress=0.5\n"}, ""},
        {"split in three", {"Err", "or=x", "\r\nState"}, {"", "", "Error=x\r\n"}, "State"},
        {"crlf split between CR and LF", {"State=Fail\r", "\n"}, {"", "State=Fail\r\n"}, ""},
        {"zero byte ends a read", {std::string("ab\n\0cd\n", 7), "ef\n"}, {"ab\n", "ef\n"}, ""},
        {"multi-byte character cut",
         {"Message=\xE5\xA1", "\x94\n"},
         {"", "Message=\xE5\xA1\x94\n"},
         ""},
        {"tail flushed at end", {"Progress=1\nState=Success"}, {"Progress=1\n"}, "State=Success"},
        {"empty reads", {"", "a", "", "\n"}, {"", "", "", "a\n"}, ""},
    };
    for (const auto& c : cases) {
        Install::OutputLineBuffer buffer;
        ASSERT_EQ(c.reads.size(), c.complete.size()) << c.name;
        for (size_t i = 0; i < c.reads.size(); ++i) {
            EXPECT_EQ(buffer.Feed(c.reads[i].data(), c.reads[i].size()), c.complete[i])
                << c.name << " read " << i;
        }
        EXPECT_EQ(buffer.Flush(), c.flushed) << c.name;
        EXPECT_EQ(buffer.Flush(), "") << c.name;
    }
}

TEST(OutputLineBuffer, AnOverlongLineIsDroppedUpToItsLineFeed) {
    Install::OutputLineBuffer buffer;
    const std::string block(1024, 'x');
    for (int i = 0; i < 100; ++i) {  // 100 KB without a line feed
        EXPECT_EQ(buffer.Feed(block.data(), block.size()), "");
    }
    EXPECT_FALSE(buffer.HasPartialLine());
    // The rest of the overlong line (even one that looks like a key) is skipped.
    const std::string end = "Error=tail of the long line\nState=Success\n";
    EXPECT_EQ(buffer.Feed(end.data(), end.size()), "State=Success\n");
    EXPECT_EQ(buffer.Flush(), "");
}

TEST(OutputLineBuffer, BoundIsOnTheKeptLineOnly) {
    Install::OutputLineBuffer buffer;
    const std::string exact(Install::OutputLineBuffer::kMaxLineBytes, 'y');
    EXPECT_EQ(buffer.Feed(exact.data(), exact.size()), "");
    EXPECT_TRUE(buffer.HasPartialLine());
    EXPECT_EQ(buffer.Feed("\n", 1), exact + "\n");
    const std::string over(Install::OutputLineBuffer::kMaxLineBytes + 1, 'y');
    EXPECT_EQ(buffer.Feed(over.data(), over.size()), "");
    EXPECT_FALSE(buffer.HasPartialLine());
    EXPECT_EQ(buffer.Flush(), "");
    // After a flush the buffer starts clean.
    EXPECT_EQ(buffer.Feed("a\n", 2), "a\n");
}

}  // namespace
