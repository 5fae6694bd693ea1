#pragma once
// CurlClient: the transfer engine of the single-connection downloader.
//
// Start learns the package's final URL and length with body-less probes (once
// per object, as long as they produced a usable answer), then transfers the
// final URL into "<target>.part", resuming from whatever that file holds, and
// on success moves it onto the target path. Each Start is one attempt; the
// temporary file survives failed attempts so the next one continues it.
//
// Ownership: the client owns every easy handle and file it opens, each for the
// length of one operation. The owner (the downloader) owns the client and
// calls Start on one thread at a time; only Cancel may come from elsewhere.
// Progress goes, at most once per gate period, to the progress sink on the
// thread running Start.
#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "download/streaming_md5.h"

using ProgressSink = void (*)(void* owner, double speed, double percent);

// Write function of every probe: accepts and drops the bytes.
size_t DiscardBody(char* data, size_t size, size_t count, void* userData);
// The handle's effective URL after redirects, "" when libcurl has none.
std::string GetRealUrl(CURL* handle);

class CurlClient {
  public:
    // Client results besides libcurl's own codes.
    static constexpr int kRenameFailed = -995;    // package not moved onto the target
    static constexpr int kTempFileFailed = -996;  // temporary file could not be opened
    static constexpr int kNoHandle = -997;        // no easy handle
    static constexpr int kNoLength = -998;        // no usable package length
    static constexpr double kMinLength = 1048576.0;
    // libcurl's receive buffer: its 16 KiB default costs most of the
    // throughput under Wine.
    static constexpr long kReceiveBuffer = 512 * 1024;

    CurlClient(const std::wstring& url, const std::wstring& filePath, void* owner,
               ProgressSink sink = nullptr);
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    std::wstring PartPath(bool temporary) const;
    // One attempt: 0, a libcurl code, or one of the client results above.
    int Start();
    // Makes a running transfer end at its next progress callback (code 42).
    void Cancel() { m_cancel = true; }

    static CURL* Head(const std::string& url);
    static double GetDownloadFileLength(CURL* handle);
    static std::string GetRealUrl_Str(const std::string& url);
    static double GetDownloadFileLength_Str(const std::string& url);
    static int ProgressCallback(void* client, curl_off_t dlTotal, curl_off_t dlNow,
                                curl_off_t ulTotal, curl_off_t ulNow);
    static size_t WriteToFile(char* data, size_t size, size_t count, void* client);

    const std::string& RealUrl() const { return m_realUrl; }
    double FileLength() const { return m_fileLength; }
    // MD5 of the package the last successful Start moved onto the target,
    // computed while it arrived; "" when it is not known.
    const std::string& StreamedDigest() const { return m_streamedDigest; }

    void SetProgressSink(ProgressSink sink) { m_progressSink = sink; }
    void SetProgressGateMs(unsigned gateMs) { m_progressGateMs = gateMs; }
    void SetStallTimeSec(long seconds) { m_stallTimeSec = seconds; }
    // Longest a body-less probe may take, for every probe of the process (a
    // server that accepts and never answers would otherwise block forever).
    static constexpr long kProbeTimeoutSec = 60;
    static void SetProbeTimeoutForTest(long seconds);
    static long ProbeTimeoutSec();
    // Whether Start also computes the package's digest while it arrives (on
    // a helper thread); off by default, the downloader turns it on.
    void SetStreamDigest(bool on) { m_streamDigest = on; }

  private:
    void HashExistingPrefix();

    std::wstring m_url;
    std::wstring m_filePath;
    void* m_owner;
    CURL* m_curl = nullptr;  // borrowed view of the transfer's handle during Start
    ProgressSink m_progressSink;
    double m_fileLength = -1.0;
    int64_t m_resumeOffset = -1;
    long long m_lastProgressTime = 0;
    std::atomic<bool> m_cancel{false};
    std::string m_realUrl;

    FILE* m_file = nullptr;  // borrowed view of the open temporary file during Start
    unsigned m_progressGateMs = 1000;
    long m_stallTimeSec = 60;
    StreamingMd5 m_hasher;
    bool m_hashing = false;
    bool m_streamDigest = false;
    std::string m_streamedDigest;
};
