#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/log_capture.h"
#include "utils/debug_log.h"

namespace {

using TestSupport::LogCapture;

std::wstring Padded(unsigned long value, int width) {
    wchar_t buf[32];
    swprintf(buf, 32, L"%0*lu", width, value);
    return buf;
}

TEST(DebugLog, LineFormHasThePrefixAndEndsWithCrLf) {
    LogCapture capture;
    const int line = __LINE__ + 1;
    DEBUG_LOG_LINE(L"Utils::Thread::CallBack", L"THREAD BEGIN");
    const auto texts = capture.Texts();
    ASSERT_EQ(texts.size(), 1u);
    const std::wstring expectedStart =
        L"<P" + Padded(GetCurrentProcessId(), 5) + L"><T" + Padded(GetCurrentThreadId(), 5) + L"><";
    EXPECT_EQ(texts[0].rfind(expectedStart, 0), 0u) << texts[0];
    const std::wregex shape(
        L"<P\\d{5,}><T\\d{5,}><(\\d{4})-(\\d{2})-(\\d{2}) \\d{2}:\\d{2}:\\d{2}\\.\\d{3}>"
        L"\\(Utils::Thread::CallBack\\)<(\\d{4,})>: THREAD BEGIN\r\n");
    std::wsmatch m;
    ASSERT_TRUE(std::regex_match(texts[0], m, shape)) << texts[0];
    EXPECT_EQ(std::stoi(m[4].str()), line);
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(std::stoi(m[1].str()), now.wYear);
}

TEST(DebugLog, VerbatimFormAddsNothing) {
    LogCapture capture;
    DEBUG_LOG_VERBATIM(L"Utils::CheckNetwork", L"GetConnectivity %d", 0);
    DEBUG_LOG_VERBATIM(L"CDownloadInstaller::Start", L"DL_TYPE=%d\r\n", 3);
    DEBUG_LOG_VERBATIM(L"CurlClient::ProgressCallback", L" %dM %dM\n", 1, 2);
    const auto messages = capture.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], L"GetConnectivity 0");
    EXPECT_EQ(messages[1], L"DL_TYPE=3\r\n");
    EXPECT_EQ(messages[2], L" 1M 2M\n");
}

TEST(DebugLog, MessageArgumentsFollowThePrefixFields) {
    LogCapture capture;
    const wchar_t* path = L"C:\\\u5854\u6C83\\__Package_TarvoPDFEditor.exe";
    DEBUG_LOG_LINE(L"CMTCurlDownloader::waitForFinishThreadFun", L"partPath::%s", path);
    DEBUG_LOG_LINE(L"CMTCurlDownloader::getRealDownloadUrl", L"Download File Length %lld",
                   static_cast<long long>(5000000000LL));
    DEBUG_LOG_LINE(L"CMTCurlDownloader::downloadExe", L"error:%d:%s", 28, L"Timeout was reached");
    DEBUG_LOG_VERBATIM(L"CurlClient::ProgressCallback", L"progress:%f%%\n", 12.5);
    const auto messages = capture.Messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], std::wstring(L"partPath::") + path + L"\r\n");
    EXPECT_EQ(messages[1], L"Download File Length 5000000000\r\n");
    EXPECT_EQ(messages[2], L"error:28:Timeout was reached\r\n");
    EXPECT_EQ(messages[3], L"progress:12.500000%\n");
}

TEST(DebugLog, WidthsAreMinimaNotCuts) {
    LogCapture capture;
    Utils::DebugLog(TARVO_LOG_PREFIX L"x", 1234567, 7, 2024, 3, 2, 9, 5, 7, 42, L"A::B", 123456);
    const auto texts = capture.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], L"<P1234567><T00007><2024-03-02 09:05:07.042>(A::B)<123456>: x");
}

TEST(DebugLog, LongLinesArriveWhole) {
    LogCapture capture;
    const std::wstring big(200000, L'\u5854');
    DEBUG_LOG_LINE(L"A::B", L"%s", big.c_str());
    const auto messages = capture.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], big + L"\r\n");
}

TEST(DebugLog, LinesOfManyThreadsNeverMix) {
    LogCapture capture;
    constexpr int kThreads = 4, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                DEBUG_LOG_LINE(L"T::Run", L"thread %d line %d of a message", t, i);
            }
        });
    }
    for (auto& th : threads) th.join();
    const auto texts = capture.Texts();
    ASSERT_EQ(texts.size(), static_cast<size_t>(kThreads * kLines));
    const std::wregex shape(
        L"<P\\d+><T\\d+><[^>]+>\\(T::Run\\)<\\d+>: thread \\d line \\d+ of a message\r\n");
    for (const auto& t : texts) EXPECT_TRUE(std::regex_match(t, shape)) << t;
}

}  // namespace
