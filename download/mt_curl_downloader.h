#pragma once
// CMTCurlDownloader: the two-part ranged downloader (download type 3).
//
// A run probes the final URL and length once per downloader, splits the
// package into one part (below 20,971,520 bytes) or two, receives each part's
// byte range into "<target>_<i>" on a thread of its own, then a finishing
// thread appends the parts, moves the result onto the target and checks its
// MD5 against the digest in the final URL. Part failures are retried inside
// the part thread; a run that still fails, or whose digest mismatches, ends
// with DL_CODE_RETRY the first time in the downloader's life and DL_CODE_FAIL
// after. A retried run resumes the part files when progress had been reported.
//
// Ownership: the downloader owns its parts (handles, files), its worker
// (Utils::Thread) and the part and finishing threads (std::thread, joined by
// the finishing thread resp. by the next Start or the destructor). Lengths
// and offsets are 32-bit: packages of 2 GiB or more are refused by the probe.
#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "download/curl_handle.h"
#include "download/download_timing.h"
#include "download/md5.h"
#include "download/downloader.h"
#include "download/win_handle.h"
#include "utils/thread.h"

class CMTCurlDownloader : public CDownloader {
  public:
    static constexpr int32_t kPartSplit = 10485760;
    static constexpr int32_t kMinLength = 256;

    struct DownloadPartNode {
        FILE* file = nullptr;  // owned; open for appending while receiving
        int32_t start = 0;     // next byte to receive
        int32_t end = 0;       // last byte of the part (inclusive)
        CurlEasyPtr curl;
        std::string url;
        std::wstring path;
        int status = -1;  // 0 complete, -1 to receive, -2 file not opened, else libcurl code
        std::atomic<int64_t> received{0};
        int32_t attemptStart = 0;  // first byte asked for by the running attempt
        bool answerChecked = false;
        // Part 0 only: MD5 of the bytes on disk, kept up to date as they
        // arrive, so the package's digest needs no pass of its own.
        Download::Md5 digest;
        bool digestValid = false;
    };

    CMTCurlDownloader(const StatusCallback& listener, const std::wstring& url,
                      const std::wstring& filePath);
    ~CMTCurlDownloader() override;
    CMTCurlDownloader(const CMTCurlDownloader&) = delete;
    CMTCurlDownloader& operator=(const CMTCurlDownloader&) = delete;

    void Start() override;
    void SetTimingForTest(const DownloadTiming& timing) { m_timing = timing; }
    // Test seam: runs on the finishing thread just before the parts are merged.
    void SetBeforeMergeHookForTest(std::function<void()> hook) { m_beforeMerge = std::move(hook); }

    bool getRealDownloadUrl(const std::string& url);
    int downloadExe(DownloadPartNode* part);

    static unsigned Start_Down(void* self);
    static size_t writePart(char* data, size_t size, size_t count, void* part);
    static int partProgressCallback(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    // Path of part file `index` of a target path.
    static std::wstring getPartPath(const std::wstring& target, int index);
    static void deletePartFiles(const std::wstring& target);

    // Read-only views for tests.
    const std::string& RealUrl() const { return m_realUrl; }
    int32_t FileLength() const { return m_fileLength; }

  private:
    unsigned RunWorker();
    void downloadThreadFun(DownloadPartNode* part);
    void waitForFinishThreadFun(std::vector<std::thread> partThreads);
    void Finish();
    // Appends the later part files to part 0 and moves it onto the target;
    // 0 or the failing status.
    int MergeParts();
    void EndWithFailure(int status);
    void releaseParts();
    void Report(int code, double progress, const wchar_t* text);
    bool Pause(unsigned ms);
    void JoinFinishers();

    std::vector<std::unique_ptr<DownloadPartNode>> m_parts;
    StatusCallback m_listener;
    std::wstring m_filePath;
    std::wstring m_url;
    std::string m_realUrl;
    int32_t m_fileLength = -1;
    std::string m_md5;
    double m_lastPercent = 0.0;
    std::atomic<int> m_runningParts{0};
    std::mutex m_lock;
    long long m_lastProgressTime = 0;
    bool m_retried = false;
    std::unique_ptr<Utils::Thread> m_thread;

    // Workers that asked for their own replacement; joined from elsewhere.
    std::vector<std::unique_ptr<Utils::Thread>> m_retired;
    DownloadTiming m_timing = DownloadTiming::TwoPart();
    std::atomic<bool> m_stopping{false};
    WinHandle m_stopEvent;
    std::mutex m_finishersLock;
    std::vector<std::thread> m_finishers;
    std::function<void()> m_beforeMerge;
    std::string m_mergedDigest;  // digest of the merged package, "" when unknown
};
