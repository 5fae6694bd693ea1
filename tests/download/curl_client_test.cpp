#include "download/curl_client.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "download/package_integrity.h"
#include "tests/download/test_server.h"
#include "tests/log_capture.h"
#include "utils/text.h"

namespace {

using TestSupport::FileSize;
using TestSupport::PackageMd5;
using TestSupport::PackageUrlW;
using TestSupport::ScratchDir;

struct Progress {
    std::vector<double> percents;
    static void Sink(void* owner, double, double percent) {
        static_cast<Progress*>(owner)->percents.push_back(percent);
    }
};

TEST(CurlClient, CleanTransferMovesTheTemporaryFileOntoTheTarget) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=3000000,id=clean";
    const std::wstring target = dir.File(L"__Package_TarvoPDFEditor.exe");
    ASSERT_TRUE(TestSupport::WriteFileBytes(target, "old package"));
    TestSupport::LogCapture log;
    Progress progress;
    CurlClient client(PackageUrlW(opts), target, &progress, &Progress::Sink);
    client.SetProgressGateMs(0);
    client.SetStreamDigest(true);
    ASSERT_EQ(client.Start(), 0);
    const std::string md5 = PackageMd5(opts);
    EXPECT_EQ(FileSize(target), 3000000);
    EXPECT_EQ(GetFileMd5(target), md5);
    EXPECT_EQ(client.StreamedDigest(), md5);
    EXPECT_EQ(FileSize(target + L".part"), -1);
    EXPECT_EQ(GetUrlMd5(client.RealUrl()), md5);
    EXPECT_EQ(client.FileLength(), 3000000.0);
    ASSERT_FALSE(progress.percents.empty());
    for (double p : progress.percents) {
        EXPECT_GT(p, 0.0);
        EXPECT_LE(p, 100.0);
    }
    const auto lines = log.TextsOf(L"CurlClient::Start");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(TestSupport::MessageOf(lines.front()), L"start download\r\n");
    EXPECT_EQ(TestSupport::MessageOf(lines[lines.size() - 2]), L"error:0:No error\r\n");
    EXPECT_EQ(TestSupport::MessageOf(lines.back()), L"end download\r\n");
}

TEST(CurlClient, ResultsOfFailedAndBorderlineTransfers) {
    REQUIRE_SERVER();
    const struct {
        std::string opts;
        int result;
        int64_t tempSize;  // -1: no temporary file may exist
    } cases[] = {
        {"size=1048575", CurlClient::kNoLength, -1},
        {"size=1048576", 0, -1},
        {"size=2000000,status=404", CurlClient::kNoLength, -1},
        {"size=2000000,nolength=1", CurlClient::kNoLength, -1},
        {"size=2000000,getstatus=500", CURLE_HTTP_RETURNED_ERROR, 0},
        {"size=2000000,close=300000", CURLE_PARTIAL_FILE, 300000},
        {"size=2000000,length=2500000", CURLE_PARTIAL_FILE, 2000000},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::wstring target = dir.File(L"pkg.exe");
        CurlClient client(PackageUrlW(c.opts), target, nullptr);
        EXPECT_EQ(client.Start(), c.result) << c.opts;
        EXPECT_EQ(FileSize(target + L".part"), c.tempSize) << c.opts;
        EXPECT_EQ(FileSize(target) >= 0, c.result == 0) << c.opts;
    }
}

TEST(CurlClient, NextAttemptResumesFromTheTemporaryFileWithoutProbing) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=2000000,close=1000000,faults=1,id=resume";
    const std::wstring target = dir.File(L"pkg.exe");
    Progress progress;
    CurlClient client(PackageUrlW(opts), target, &progress, &Progress::Sink);
    client.SetProgressGateMs(0);
    client.SetStreamDigest(true);
    ASSERT_EQ(client.Start(), CURLE_PARTIAL_FILE);
    ASSERT_EQ(FileSize(target + L".part"), 1000000);
    progress.percents.clear();
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(GetFileMd5(target), PackageMd5(opts));
    EXPECT_EQ(client.StreamedDigest(), PackageMd5(opts));
    ASSERT_FALSE(progress.percents.empty());
    EXPECT_GE(progress.percents.front(), 50.0);  // counts the bytes already on disk
    const auto requests = TestSupport::RequestLog("resume");
    ASSERT_EQ(requests.size(), 3u);  // HEAD, GET, ranged GET: no second probe
    EXPECT_EQ(requests[0].rfind("HEAD ", 0), 0u);
    EXPECT_EQ(requests[1].substr(requests[1].size() - 2), " -");
    EXPECT_EQ(requests[2].substr(requests[2].rfind(' ') + 1), "bytes=1000000-");
}

TEST(CurlClient, ShortBodyWithoutLengthIsContinuedNotAccepted) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts =
        "size=2000000,nolength=1,headlength=2000000,close=600000,faults=1,id=short";
    const std::wstring target = dir.File(L"pkg.exe");
    CurlClient client(PackageUrlW(opts), target, nullptr);
    EXPECT_EQ(client.Start(), CURLE_PARTIAL_FILE);
    EXPECT_EQ(FileSize(target), -1);
    EXPECT_EQ(FileSize(target + L".part"), 600000);
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(GetFileMd5(target), PackageMd5(opts));
}

TEST(CurlClient, ServerWithoutRangesRestartsTheTemporaryFile) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=2000000,norange=1,close=500000,faults=1";
    const std::wstring target = dir.File(L"pkg.exe");
    CurlClient client(PackageUrlW(opts), target, nullptr);
    EXPECT_EQ(client.Start(), CURLE_PARTIAL_FILE);
    EXPECT_EQ(client.Start(), CURLE_RANGE_ERROR);
    EXPECT_EQ(FileSize(target + L".part"), -1);
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(GetFileMd5(target), PackageMd5(opts));
}

TEST(CurlClient, CompressingServerStillYieldsThePackage) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=1500000,gzip=1";
    const std::wstring target = dir.File(L"pkg.exe");
    CurlClient client(PackageUrlW(opts), target, nullptr);
    ASSERT_EQ(client.Start(), 0);
    EXPECT_TRUE(client.StreamedDigest().empty());  // not asked for
    EXPECT_EQ(FileSize(target), 1500000);
    EXPECT_EQ(GetFileMd5(target), PackageMd5(opts));
}

TEST(CurlClient, LocalFileUrlIsSizedByTheSecondProbe) {
    ScratchDir dir;
    const std::wstring source = dir.File(L"source.bin");
    std::string bytes(1048576 + 17, 'x');
    for (size_t i = 0; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(i);
    ASSERT_TRUE(TestSupport::WriteFileBytes(source, bytes));
    std::wstring url = L"file:///" + source;
    for (auto& ch : url) {
        if (ch == L'\\') ch = L'/';
    }
    const std::wstring target = dir.File(L"pkg.exe");
    CurlClient client(url, target, nullptr);
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(TestSupport::ReadFileBytes(target), bytes);
    EXPECT_EQ(client.FileLength(), static_cast<double>(bytes.size()));
}

TEST(CurlClient, FailedMoveOntoTheTargetIsAFailedAttempt) {
    REQUIRE_SERVER();
    ScratchDir dir;
    const std::string opts = "size=1048576,id=blocked";
    const std::wstring target = dir.File(L"pkg.exe");
    // A folder where the package should go: it can be neither deleted as a
    // file nor replaced by the move.
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    CurlClient client(PackageUrlW(opts), target, nullptr);
    EXPECT_EQ(client.Start(), CurlClient::kRenameFailed);
    EXPECT_EQ(FileSize(target + L".part"), 1048576);
    ASSERT_TRUE(RemoveDirectoryW(target.c_str()));
    // The next attempt finds the temporary file complete and only moves it.
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(GetFileMd5(target), PackageMd5(opts));
}

TEST(CurlClient, CancelEndsAStalledTransfer) {
    REQUIRE_SERVER();
    ScratchDir dir;
    CurlClient client(PackageUrlW("size=2000000,stall=30,stallat=1000"), dir.File(L"pkg.exe"),
                      nullptr);
    std::thread canceller([&] {
        Sleep(300);
        client.Cancel();
    });
    EXPECT_EQ(client.Start(), CURLE_ABORTED_BY_CALLBACK);
    canceller.join();
}

TEST(CurlClient, StalledTransferAndSilentProbeTimeOut) {
    REQUIRE_SERVER();
    ScratchDir dir;
    CurlClient stalled(PackageUrlW("size=2000000,stall=30,stallat=0"), dir.File(L"a.exe"), nullptr);
    stalled.SetStallTimeSec(1);
    EXPECT_EQ(stalled.Start(), CURLE_OPERATION_TIMEDOUT);
    CurlClient::SetProbeTimeoutForTest(1);
    CurlClient silent(PackageUrlW("size=2000000,headstall=30"), dir.File(L"b.exe"), nullptr);
    const int result = silent.Start();
    CurlClient::SetProbeTimeoutForTest(CurlClient::kProbeTimeoutSec);
    EXPECT_EQ(result, CurlClient::kNoLength);
}

TEST(CurlClient, ProbesReportFinalUrlAndLength) {
    REQUIRE_SERVER();
    const std::string url = TestSupport::PackageUrl("size=1234567");
    const std::string md5 = PackageMd5("size=1234567");
    CURL* head = CurlClient::Head(url);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(GetUrlMd5(GetRealUrl(head)), md5);
    EXPECT_EQ(CurlClient::GetDownloadFileLength(head), 1234567.0);
    curl_easy_cleanup(head);
    const std::string real = CurlClient::GetRealUrl_Str(url);
    EXPECT_EQ(GetUrlMd5(real), md5);
    EXPECT_EQ(CurlClient::GetDownloadFileLength_Str(real), 1234567.0);
    CURL* missing = CurlClient::Head(TestSupport::PackageUrl("status=404"));
    EXPECT_EQ(CurlClient::GetDownloadFileLength(missing), -1.0);
    curl_easy_cleanup(missing);
    const std::string refused = "http://127.0.0.1:1/x";
    EXPECT_EQ(CurlClient::GetRealUrl_Str(refused), refused);
}

}  // namespace
