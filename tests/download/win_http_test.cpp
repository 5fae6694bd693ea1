#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "download/package_integrity.h"
#include "download/win_http_client.h"
#include "download/win_http_downloader.h"
#include "tests/download/listener_recorder.h"
#include "tests/download/test_server.h"

namespace {

using TestSupport::FileSize;
using TestSupport::ListenerRecorder;
using TestSupport::PackageMd5;
using TestSupport::PackageUrlW;
using TestSupport::ScratchDir;

const std::wstring kPackage = L"__Package_TarvoPDFEditor.exe";

DownloadTiming Fast() {
    DownloadTiming t;
    t.progressGateMs = 0;
    return t;
}

TEST(WinHttp, RealTimeDownloadReportsTheContract) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=3000000,rate=1500000";
    // Whatever was at the target before is not part of the package.
    ASSERT_TRUE(TestSupport::WriteFileBytes(dir.File(kPackage), "left over"));
    ListenerRecorder rec;
    WinHttpDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}));
    const auto progress = rec.Progress();
    EXPECT_FALSE(progress.empty());
    for (size_t i = 0; i < progress.size(); ++i) {
        EXPECT_GT(progress[i], 0.0);
        EXPECT_LE(progress[i], 1.0);
        if (i > 0) {
            EXPECT_GT(progress[i], progress[i - 1]);
        }
    }
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
}

TEST(WinHttp, ErrorStatusesAndBrokenBodiesFailWithoutAPackage) {
    REQUIRE_SERVER();
    const struct {
        std::string opts;
        double progress;  // 0: any Windows error
    } cases[] = {
        {"size=5000,status=404", 404.0},
        {"size=5000,getstatus=500", 500.0},
        {"size=200000,close=1000", 0.0},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        ListenerRecorder rec;
        WinHttpDownloader downloader(rec.Callback(), PackageUrlW(c.opts), dir.File(kPackage));
        downloader.SetTimingForTest(Fast());
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(1)) << c.opts;
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL})) << c.opts;
        if (c.progress != 0.0) {
            EXPECT_EQ(rec.Events().back().progress, c.progress) << c.opts;
        } else {
            EXPECT_NE(rec.Events().back().progress, 0.0) << c.opts;
        }
        EXPECT_EQ(FileSize(dir.File(kPackage)), -1) << c.opts;
    }
}

TEST(WinHttp, EmptyTargetPathFails) {
    ListenerRecorder rec;
    {
        WinHttpDownloader downloader(rec.Callback(), L"http://127.0.0.1:1/x", L"");
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(1));
    }
    EXPECT_EQ(rec.Codes(true), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(rec.Events().back().progress, 1.0);
}

TEST(WinHttp, ClientAcceptsLowerCaseMethodsAndRefusesOthers) {
    REQUIRE_SERVER();
    WinHttpClient client(TestSupport::PackageUrlW("size=300") /* redirects end at the package */);
    client.SetWriteToFile(false);
    EXPECT_TRUE(client.Request(L"get"));
    EXPECT_EQ(client.StatusNumber(), 200);
    EXPECT_EQ(client.Body().size(), 300u);
    EXPECT_EQ(client.ContentLength(), 300u);
    EXPECT_FALSE(client.Request(L"PUT"));
    EXPECT_EQ(client.LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    WinHttpClient empty(L"");
    EXPECT_FALSE(empty.Request(L"GET"));
    EXPECT_EQ(empty.LastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(WinHttp, HeaderReading) {
    const std::wstring headers =
        L"HTTP/1.1 200 OK\r\n"
        L"Content-Type: text/html; charset=UTF-8\r\n"
        L"Content-Length: 12345\r\n"
        L"Location: https://example.test/a/b?c=d\r\n"
        L"Set-Cookie:  a=1; Path=/\r\n"
        L"Set-Cookie: b=2\r\n\r\n";
    EXPECT_EQ(WinHttpClient::ParseCharset(headers), L"UTF-8");
    EXPECT_EQ(WinHttpClient::ParseContentLength(headers), 12345u);
    EXPECT_EQ(WinHttpClient::ParseLocation(headers), L"https://example.test/a/b?c=d");
    EXPECT_EQ(WinHttpClient::ParseCookies(headers), L"a=1; Path=/; b=2;");
    EXPECT_EQ(WinHttpClient::ParseCharset(L"X: y\r\n"), L"");
    EXPECT_EQ(WinHttpClient::ParseContentLength(L"Content-Length: 99999999999999999999999\r\n"),
              0u);
    EXPECT_EQ(WinHttpClient::ParseLocation(L"Location: /relative\r\n"), L"");
    EXPECT_EQ(WinHttpClient::ParseCookies(L""), L"");
}

}  // namespace
