#pragma once
// WinHttpDownloader: the downloader of download type 2, one GET through
// WinHTTP written into the target file (no libcurl, no resumption, no digest
// check). A run reports DL_CODE_START, DL_CODE_PROGRESS while the length is
// known (at most once per gate period, only when it grew), then
// DL_CODE_SUCCESS or DL_CODE_FAIL with the Windows error or the HTTP status.
// The target is emptied before every attempt, and an error page (status 400
// or more) is removed instead of being left as the package. The downloader
// owns its worker; each run owns its WinHttpClient.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "download/download_timing.h"
#include "download/downloader.h"
#include "utils/thread.h"

class WinHttpDownloader : public CDownloader {
  public:
    // Failure value when the target cannot be emptied or the body came short.
    static constexpr int kTargetFailed = -996;
    static constexpr int kIncomplete = 18;

    WinHttpDownloader(const StatusCallback& listener, const std::wstring& url,
                      const std::wstring& filePath);
    ~WinHttpDownloader() override;
    WinHttpDownloader(const WinHttpDownloader&) = delete;
    WinHttpDownloader& operator=(const WinHttpDownloader&) = delete;

    void Start() override;
    void SetTimingForTest(const DownloadTiming& timing) { m_timing = timing; }

    static unsigned ThreadFun(void* self);

  private:
    unsigned Run();
    void Report(int code, double progress, const wchar_t* text);
    static bool EmptyTarget(void* self);
    static void OnProgress(void* self, uint64_t received, uint64_t total);

    StatusCallback m_listener;
    std::wstring m_filePath;
    std::wstring m_url;
    std::unique_ptr<Utils::Thread> m_thread;

    std::vector<std::unique_ptr<Utils::Thread>> m_retired;
    DownloadTiming m_timing = DownloadTiming::SingleConnection();
    long long m_lastProgressTime = 0;
    double m_lastFraction = 0.0;
    std::atomic<bool> m_stopping{false};
};
