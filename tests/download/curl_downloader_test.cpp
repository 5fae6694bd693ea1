#include "download/curl_downloader.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "download/package_integrity.h"
#include "tests/download/listener_recorder.h"
#include "tests/download/test_server.h"
#include "tests/log_capture.h"

namespace {

using TestSupport::DownloadEvent;
using TestSupport::FileSize;
using TestSupport::ListenerRecorder;
using TestSupport::PackageMd5;
using TestSupport::PackageUrlW;
using TestSupport::ScratchDir;

DownloadTiming Fast() {
    DownloadTiming t = DownloadTiming::SingleConnection();
    t.retryPauseMs = 1;
    t.progressGateMs = 0;
    return t;
}

const std::wstring kPackage = L"__Package_TarvoPDFEditor.exe";

// Fractions in (0, 1], each report above the one before.
void ExpectProgressSane(const std::vector<double>& progress) {
    for (size_t i = 0; i < progress.size(); ++i) {
        EXPECT_GT(progress[i], 0.0);
        EXPECT_LE(progress[i], 1.0);
        if (i > 0) {
            EXPECT_GT(progress[i], progress[i - 1]);
        }
    }
}

// The one test with the real pauses and progress gate.
TEST(CurlDownloader, RealTimeCleanDownloadReportsStartProgressSuccess) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=3000000,rate=1500000";
    ListenerRecorder rec;
    CCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    const auto codes = rec.Codes();
    EXPECT_EQ(codes, (std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}));
    const auto events = rec.Events();
    EXPECT_EQ(events.front().progress, 1.0);
    EXPECT_EQ(events.back().text, L"LibCurl");
    EXPECT_FALSE(rec.Progress().empty());
    ExpectProgressSane(rec.Progress());
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
    EXPECT_EQ(FileSize(dir.File(kPackage + L".part")), -1);
    EXPECT_NE(events.front().thread, GetCurrentThreadId());
}

TEST(CurlDownloader, FinalUrlWithoutDigestIsANoticeThenSuccess) {
    REQUIRE_SERVER();
    ScratchDir dir;
    ListenerRecorder rec;
    CCurlDownloader downloader(rec.Callback(), PackageUrlW("size=1500000,digest=none"),
                               dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_MD5, DL_CODE_SUCCESS}));
    EXPECT_EQ(rec.Events()[rec.Events().size() - 2].text, L"curl获取url-md5失败");
}

TEST(CurlDownloader, AttemptBudgetsEndWithTheLastResult) {
    REQUIRE_SERVER();
    const struct {
        std::string opts;
        int result;
        int gets;  // GET requests of the package the run made
    } cases[] = {
        {"size=2000000,close=1000,id=budget18", CURLE_PARTIAL_FILE, 12},
        {"size=2000000,getstatus=500,id=budget22", CURLE_HTTP_RETURNED_ERROR, 6},
        {"size=2000000,status=404,id=budget404", CurlClient::kNoLength, 0},
        {"size=1048575,id=budgetsmall", CurlClient::kNoLength, 0},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        TestSupport::LogCapture log;
        ListenerRecorder rec;
        CCurlDownloader downloader(rec.Callback(), PackageUrlW(c.opts), dir.File(kPackage));
        downloader.SetTimingForTest(Fast());
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(1)) << c.opts;
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL})) << c.opts;
        EXPECT_EQ(rec.Events().back().progress, static_cast<double>(c.result)) << c.opts;
        EXPECT_EQ(rec.Events().back().text, L"LibCurl");
        const std::string id = c.opts.substr(c.opts.find("id=") + 3);
        EXPECT_EQ(TestSupport::FetchText("/hits/" + id), std::to_string(c.gets) + "\n") << c.opts;
        const auto retries = log.TextsOf(L"CCurlDownloader::dlThreadFun");
        const size_t attempts = c.result == CURLE_PARTIAL_FILE ? 12 : 6;
        ASSERT_EQ(retries.size(), attempts - 1) << c.opts;
        EXPECT_EQ(TestSupport::MessageOf(retries[0]),
                  L"CurlDownLoader Code=" + std::to_wstring(c.result) + L"\r\n");
    }
}

TEST(CurlDownloader, MismatchAsksForOneRetryThenFails) {
    REQUIRE_SERVER();
    for (const char* variant : {"digest=wrong", "digest=upper"}) {
        ScratchDir dir;
        ListenerRecorder rec;
        CCurlDownloader downloader(rec.Callback(),
                                   PackageUrlW(std::string("size=1100000,") + variant),
                                   dir.File(kPackage));
        downloader.SetTimingForTest(Fast());
        // The orchestration's answer: Start again from inside the callback,
        // on the downloader's own worker.
        rec.OnEvent([&](const DownloadEvent& e) {
            if (e.code == DL_CODE_RETRY) downloader.Start();
        });
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(2)) << variant;
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_MD5, DL_CODE_RETRY,
                                                 DL_CODE_START, DL_CODE_MD5, DL_CODE_FAIL}))
            << variant;
        for (const auto& e : rec.Events()) {
            if (e.code == DL_CODE_MD5) {
                EXPECT_EQ(e.text, L"curl文件md5校验失败");
            }
            if (e.code == DL_CODE_RETRY || e.code == DL_CODE_FAIL) {
                EXPECT_EQ(e.progress, 0.0);
            }
        }
        // The mismatching package stays for the listener to remove.
        EXPECT_EQ(FileSize(dir.File(kPackage)), 1100000);
    }
}

TEST(CurlDownloader, EarlyCloseIsResumedWithinTheRun) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=2000000,close=700000,faults=2,id=dlresume";
    ListenerRecorder rec;
    CCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}));
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
    const auto requests = TestSupport::RequestLog("dlresume");
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[2].substr(requests[2].rfind(' ') + 1), "bytes=700000-");
    EXPECT_EQ(requests[3].substr(requests[3].rfind(' ') + 1), "bytes=1400000-");
    const auto progress = rec.Progress();
    ExpectProgressSane(progress);
}

TEST(CurlDownloader, EmptyTargetPathFailsAndEndsTheRun) {
    ListenerRecorder rec;
    {
        CCurlDownloader downloader(rec.Callback(), L"http://127.0.0.1:1/x", L"");
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(1));
    }  // destruction waits for the worker: no event may follow
    EXPECT_EQ(rec.Codes(true), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(rec.Events().back().progress, 1.0);
    EXPECT_EQ(rec.Events().back().text, L"");
}

TEST(CurlDownloader, TemporaryFileOfAnEarlierProcessIsNotContinued) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=1200000,id=stale";
    ASSERT_TRUE(TestSupport::WriteFileBytes(dir.File(kPackage + L".part"), "stale bytes"));
    ListenerRecorder rec;
    CCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    EXPECT_EQ(FileSize(dir.File(kPackage + L".part")), -1);
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes().back(), DL_CODE_SUCCESS);
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
}

TEST(CurlDownloader, PackageThatCannotBePlacedIsNoSuccess) {
    REQUIRE_SERVER();
    ScratchDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.File(kPackage).c_str(), nullptr));
    ListenerRecorder rec;
    CCurlDownloader downloader(rec.Callback(), PackageUrlW("size=1048576"), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(rec.Events().back().progress, static_cast<double>(CurlClient::kRenameFailed));
}

TEST(CurlDownloader, DestructionStopsARunningDownload) {
    REQUIRE_SERVER();
    ScratchDir dir;
    ListenerRecorder rec;
    {
        CCurlDownloader downloader(rec.Callback(), PackageUrlW("size=2000000,stall=60,stallat=10"),
                                   dir.File(kPackage));
        downloader.SetTimingForTest(Fast());
        downloader.Start();
        Sleep(300);
    }
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START}));
}

}  // namespace
