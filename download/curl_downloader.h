#pragma once
// CCurlDownloader: the single-connection downloader (download type 1).
//
// Each run: DL_CODE_START, then up to 12 attempt points of CurlClient::Start
// (an early close costs 1, any other failure 2, with a pause between
// attempts; each attempt resumes the temporary file), then the MD5 check of
// the package against the digest in the final URL, then the final code. One
// checksum mismatch per downloader ends with DL_CODE_RETRY; the next with
// DL_CODE_FAIL. The downloader owns its client and its worker threads.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "download/curl_client.h"
#include "download/download_timing.h"
#include "download/downloader.h"
#include "download/win_handle.h"
#include "utils/thread.h"

class CCurlDownloader : public CDownloader {
  public:
    // Result of an attempt whose package landed on the target but cannot be
    // read back (so it could be neither checked nor installed).
    static constexpr int kTargetUnreadable = -994;

    CCurlDownloader(const StatusCallback& listener, const std::wstring& url,
                    const std::wstring& filePath);
    ~CCurlDownloader() override;
    CCurlDownloader(const CCurlDownloader&) = delete;
    CCurlDownloader& operator=(const CCurlDownloader&) = delete;

    void Start() override;

    // Test seam: shorter pauses and progress gate.
    void SetTimingForTest(const DownloadTiming& timing);

    static void OnClientProgress(void* owner, double speed, double percent);
    static unsigned dlThreadFun(void* self);

  private:
    unsigned Run();
    int Attempt();
    void Report(int code, double progress, const wchar_t* text);

    StatusCallback m_listener;
    std::wstring m_filePath;
    std::wstring m_url;
    CurlClient m_client;
    std::unique_ptr<Utils::Thread> m_thread;
    bool m_retried = false;
    double m_lastFraction = 0.0;  // last progress reported in this run

    // Workers that asked for their own replacement (Start from inside the
    // listener); joined later from another thread.
    std::vector<std::unique_ptr<Utils::Thread>> m_retired;
    DownloadTiming m_timing = DownloadTiming::SingleConnection();
    std::atomic<bool> m_stopping{false};
    WinHandle m_stopEvent;
};
