#include "download/mt_curl_downloader.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "download/curl_client.h"
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
    DownloadTiming t = DownloadTiming::TwoPart();
    t.retryPauseMs = 1;
    t.progressGateMs = 0;
    t.partStaggerMs = 1;
    t.lowSpeedTimeSec = 1;
    return t;
}

const std::wstring kPackage = L"__Package_TarvoPDFEditor.exe";

// Ranges ("a-b") the package with this id was asked for, in order.
std::vector<std::string> Ranges(const std::string& id) {
    std::vector<std::string> out;
    for (const auto& line : TestSupport::RequestLog(id)) {
        if (line.rfind("GET ", 0) != 0) continue;
        const std::string range = line.substr(line.rfind(' ') + 1);
        out.push_back(range.rfind("bytes=", 0) == 0 ? range.substr(6) : range);
    }
    return out;
}

void ExpectGrowingProgress(const std::vector<double>& progress) {
    for (size_t i = 0; i < progress.size(); ++i) {
        EXPECT_GT(progress[i], 0.0);
        EXPECT_LE(progress[i], 1.0);
        if (i > 0) {
            EXPECT_GE(progress[i] - progress[i - 1], 0.01 - 1e-9);
        }
    }
}

TEST(MTCurlDownloader, RealTimeTwoPartDownload) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=20971520,rate=8000000,id=mtreal";
    TestSupport::LogCapture log;
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}));
    EXPECT_FALSE(rec.Progress().empty());
    ExpectGrowingProgress(rec.Progress());
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
    EXPECT_EQ(FileSize(dir.File(kPackage + L"_0")), -1);
    EXPECT_EQ(FileSize(dir.File(kPackage + L"_1")), -1);
    EXPECT_TRUE(log.AnyContains(L"partPath::" + dir.File(kPackage + L"_1")));
    EXPECT_TRUE(log.AnyContains(L"(CMTCurlDownloader::waitForFinishThreadFun)"));
}

TEST(MTCurlDownloader, SplitAndProbeLimits) {
    REQUIRE_SERVER();
    const struct {
        int64_t size;
        int final;
        std::vector<std::string> ranges;
    } cases[] = {
        {255, DL_CODE_FAIL, {}},
        {256, DL_CODE_SUCCESS, {"0-255"}},
        {20971519, DL_CODE_SUCCESS, {"0-20971518"}},
        {20971520, DL_CODE_SUCCESS, {"0-10485759", "10485760-20971519"}},
        {20971521, DL_CODE_SUCCESS, {"0-10485759", "10485760-20971520"}},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string id = "split" + std::to_string(c.size);
        const std::string opts = "size=" + std::to_string(c.size) + ",id=" + id;
        TestSupport::LogCapture log;
        ListenerRecorder rec;
        CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
        downloader.SetTimingForTest(Fast());
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(1)) << c.size;
        EXPECT_EQ(rec.Codes().back(), c.final) << c.size;
        auto ranges = Ranges(id);
        std::sort(ranges.begin(), ranges.end());
        EXPECT_EQ(ranges, c.ranges) << c.size;
        if (c.final == DL_CODE_SUCCESS) {
            EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts)) << c.size;
            EXPECT_EQ(log.AnyContains(L"partPath::"), c.ranges.size() == 2) << c.size;
        } else {
            EXPECT_EQ(rec.Events().back().progress, 0.0);
        }
    }
}

TEST(MTCurlDownloader, LengthBeyond32BitsIsRefused) {
    REQUIRE_SERVER();
    for (const char* opts : {"size=300,headlength=2147483648", "size=300,headlength=4294967596",
                             "size=300,nolength=1"}) {
        ScratchDir dir;
        ListenerRecorder rec;
        CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
        downloader.SetTimingForTest(Fast());
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(1)) << opts;
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL})) << opts;
    }
}

TEST(MTCurlDownloader, PartWithOneByteLeftReceivesIt) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=300,close=299,faults=1,id=onebyte";
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes().back(), DL_CODE_SUCCESS);
    EXPECT_EQ(Ranges("onebyte"), (std::vector<std::string>{"0-299", "299-299"}));
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
}

TEST(MTCurlDownloader, PartEndingBeforeItsRangeIsContinued) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts =
        "size=300,nolength=1,headlength=300,close=100,faults=1,digest=none,id=shortpart";
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes().back(), DL_CODE_SUCCESS);
    EXPECT_EQ(Ranges("shortpart"), (std::vector<std::string>{"0-299", "100-299"}));
    EXPECT_EQ(FileSize(dir.File(kPackage)), 300);
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
}

TEST(MTCurlDownloader, StalledPartTimesOutAndIsTriedAgain) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=600000,stall=3,faults=1,id=stalled";
    TestSupport::LogCapture log;
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes().back(), DL_CODE_SUCCESS);
    EXPECT_TRUE(log.AnyContains(L"CurlDownLoader Code=28\r\n"));
    EXPECT_EQ(Ranges("stalled"), (std::vector<std::string>{"0-599999", "0-599999"}));
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
}

TEST(MTCurlDownloader, FailedPartKeepsItsFileAndTheRetryResumes) {
    REQUIRE_SERVER();
    ScratchDir dir;
    // 13 attempts that each end early (result 18) after 100,000 more bytes.
    const std::string opts = "size=2000000,close=100000,faults=13,id=keep";
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    rec.OnEvent([&](const DownloadEvent& e) {
        if (e.code == DL_CODE_RETRY) {
            EXPECT_EQ(FileSize(dir.File(kPackage + L"_0")), 1300000);
            downloader.Start();
        }
    });
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(2));
    EXPECT_EQ(rec.Codes(),
              (std::vector<int>{DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}));
    // The second run's first report continues from the earlier percent.
    const auto events = rec.Events();
    size_t secondStart = 0;
    for (size_t i = 1; i < events.size(); ++i) {
        if (events[i].code == DL_CODE_START) secondStart = i;
    }
    ASSERT_LT(secondStart + 1, events.size());
    if (events[secondStart + 1].code == DL_CODE_PROGRESS) {
        EXPECT_GE(events[secondStart + 1].progress, 0.65);
    }
    for (const auto& e : rec.Events()) {
        if (e.code == DL_CODE_RETRY) {
            EXPECT_EQ(e.progress, 18.0);
        }
    }
    const auto ranges = Ranges("keep");
    ASSERT_EQ(ranges.size(), 14u);
    EXPECT_EQ(ranges.back(), "1300000-1999999");
    ExpectGrowingProgress(rec.Progress());
    EXPECT_EQ(GetFileMd5(dir.File(kPackage)), PackageMd5(opts));
}

TEST(MTCurlDownloader, FailureWithoutProgressDeletesPartFiles) {
    REQUIRE_SERVER();
    ScratchDir dir;
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW("size=20971520,getstatus=500"),
                                 dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_RETRY}));
    EXPECT_EQ(rec.Events().back().progress, 22.0);
    EXPECT_EQ(FileSize(dir.File(kPackage + L"_0")), -1);
    EXPECT_EQ(FileSize(dir.File(kPackage + L"_1")), -1);
    downloader.Start();  // the retry is used up: this run fails for good
    ASSERT_TRUE(rec.WaitForFinals(2));
    EXPECT_EQ(rec.Codes().back(), DL_CODE_FAIL);
    EXPECT_EQ(rec.Events().back().progress, 22.0);
}

TEST(MTCurlDownloader, MismatchDeletesThePackageRetriesOnceThenFails) {
    REQUIRE_SERVER();
    ScratchDir dir;
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW("size=1000,digest=wrong"),
                                 dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    rec.OnEvent([&](const DownloadEvent& e) {
        if (e.code == DL_CODE_RETRY) downloader.Start();
    });
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(2));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_MD5, DL_CODE_RETRY,
                                             DL_CODE_START, DL_CODE_MD5, DL_CODE_FAIL}));
    for (const auto& e : rec.Events()) {
        if (e.code == DL_CODE_MD5) {
            EXPECT_EQ(e.text, L"mtcurl文件md5校验失败");
        }
    }
    EXPECT_EQ(FileSize(dir.File(kPackage)), -1);
}

TEST(MTCurlDownloader, MissingPartFileAtTheMergeFailsTheRun) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=20971520,digest=none";
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW(opts), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.SetBeforeMergeHookForTest([&] { DeleteFileW(dir.File(kPackage + L"_1").c_str()); });
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_RETRY}));
    EXPECT_EQ(rec.Events().back().progress, -2.0);
    EXPECT_EQ(FileSize(dir.File(kPackage)), -1);
}

TEST(MTCurlDownloader, MergedPackageThatCannotBePlacedIsNoSuccess) {
    REQUIRE_SERVER();
    ScratchDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.File(kPackage).c_str(), nullptr));
    ListenerRecorder rec;
    CMTCurlDownloader downloader(rec.Callback(), PackageUrlW("size=5000"), dir.File(kPackage));
    downloader.SetTimingForTest(Fast());
    downloader.Start();
    ASSERT_TRUE(rec.WaitForFinals(1));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_RETRY}));
    EXPECT_EQ(rec.Events().back().progress, static_cast<double>(CurlClient::kRenameFailed));
}

TEST(MTCurlDownloader, EmptyTargetPathFailsAndEndsTheRun) {
    ListenerRecorder rec;
    {
        CMTCurlDownloader downloader(rec.Callback(), L"http://127.0.0.1:1/x", L"");
        downloader.Start();
        ASSERT_TRUE(rec.WaitForFinals(1));
    }
    EXPECT_EQ(rec.Codes(true), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(rec.Events().back().progress, 1.0);
}

}  // namespace
