#include "download/curl_client.h"

#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "download/curl_handle.h"
#include "download/download_timing.h"
#include "download/file_ptr.h"
#include "utils/debug_log.h"
#include "utils/text.h"

namespace {

// libcurl's text for a result (an unknown code gets libcurl's own "unknown"
// text), as a wide string for the log's "%s".
std::wstring CurlText(int code) {
    return Utils::AnsiToWide(curl_easy_strerror(static_cast<CURLcode>(code)), 0);
}

// UTF-8 for network URLs; local "file:///" URLs name a path, which libcurl
// hands to the narrow file functions, so they go in the ANSI code page.
std::string NarrowUrl(const std::wstring& url) {
    if (url.rfind(L"file:///", 0) == 0) return Utils::WideToAnsi(url, 0);
    return Utils::WideToAnsi(url, CP_UTF8);
}

// Options of a body-less probe; the OR of their results.
int SetProbeOptions(CURL* curl, const std::string& url, bool withHeader) {
    int rc = 0;
    rc |= curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (withHeader) {
        rc |= curl_easy_setopt(curl, CURLOPT_HEADER, 1L);
    } else {
        rc |= curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    }
    rc |= curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    rc |= curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &DiscardBody);
    rc |= curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, CurlClient::ProbeTimeoutSec());
    return rc;
}

std::atomic<long> g_probeTimeoutSec{CurlClient::kProbeTimeoutSec};

int64_t FileSizeOf(const std::wstring& path) {
    struct _stat64 st;
    return _wstat64(path.c_str(), &st) == 0 ? st.st_size : -1;
}

}  // namespace

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

void CurlClient::SetProbeTimeoutForTest(long seconds) { g_probeTimeoutSec = seconds; }
long CurlClient::ProbeTimeoutSec() { return g_probeTimeoutSec; }

std::string GetRealUrl(CURL* handle) {
    if (handle == nullptr) return std::string();
    char* url = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
        return std::string();
    }
    return url;
}

CurlClient::CurlClient(const std::wstring& url, const std::wstring& filePath, void* owner,
                       ProgressSink sink)
    : m_url(url), m_filePath(filePath), m_owner(owner), m_progressSink(sink) {}

CurlClient::~CurlClient() {
    m_cancel = true;
    DeleteFileW(PartPath(true).c_str());
}

std::wstring CurlClient::PartPath(bool temporary) const {
    return temporary ? m_filePath + L".part" : m_filePath;
}

CURL* CurlClient::Head(const std::string& url) {
    CurlEasyPtr curl = NewCurlEasy();
    int rc = 0;
    if (curl) {
        rc = SetProbeOptions(curl.get(), url, false);
        if (rc == 0) {
            rc = curl_easy_perform(curl.get());
            if (rc != 0) {
                DEBUG_LOG_VERBATIM(L"CurlClient::Head", L"error:%d:%s", rc, CurlText(rc).c_str());
            }
        }
    }
    DEBUG_LOG_LINE(L"CurlClient::Head", L"error:%d:%s", rc, CurlText(rc).c_str());
    return curl.release();
}

double CurlClient::GetDownloadFileLength(CURL* handle) {
    if (handle == nullptr) return -1.0;
    curl_off_t length = -1;
    const int rc = curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    DEBUG_LOG_LINE(L"CurlClient::GetDownloadFileLength", L"error:%d:%s", rc, CurlText(rc).c_str());
    long code = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK) return -1.0;
    if (code < 200 || code > 399) return -1.0;
    return rc == CURLE_OK ? static_cast<double>(length) : -1.0;
}

std::string CurlClient::GetRealUrl_Str(const std::string& url) {
    std::string real;
    CurlEasyPtr curl = NewCurlEasy();
    if (curl && SetProbeOptions(curl.get(), url, false) == 0) {
        const int rc = curl_easy_perform(curl.get());
        if (rc != 0) {
            DEBUG_LOG_VERBATIM(L"CurlClient::GetRealUrl_Str", L"error:%d:%s", rc,
                               CurlText(rc).c_str());
        } else {
            real = GetRealUrl(curl.get());
        }
    }
    return real.empty() ? url : real;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& url) {
    double length = -1.0;
    int logged = 0;
    CurlEasyPtr curl = NewCurlEasy();
    if (curl) {
        logged = SetProbeOptions(curl.get(), url, true);
        if (logged == 0) {
            curl_easy_perform(curl.get());
            curl_off_t value = -1;
            if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &value) ==
                CURLE_OK) {
                length = static_cast<double>(value);
            }
            long code = 0;
            logged = curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &code);
        }
    }
    DEBUG_LOG_LINE(L"CurlClient::GetDownloadFileLength_Str", L"error:%d:%s", logged,
                   CurlText(logged).c_str());
    return length;
}

void CurlClient::HashExistingPrefix() {
    // The digest streams alongside the transfer; bytes kept from an earlier
    // attempt are hashed first, from the temporary file itself.
    m_hashing = false;
    if (!m_streamDigest || m_resumeOffset < 0) return;  // unknown prefix: no streamed digest
    m_hashing = m_hasher.Begin();
    if (!m_hashing || m_resumeOffset == 0) return;
    FilePtr in(_wfopen(PartPath(true).c_str(), L"rb"));
    if (!in) {
        m_hasher.Abandon();
        m_hashing = false;
        return;
    }
    setvbuf(in.get(), nullptr, _IONBF, 0);
    std::vector<char> buffer(1 << 20);
    int64_t left = m_resumeOffset;
    while (left > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(left, buffer.size()));
        const size_t n = fread(buffer.data(), 1, want, in.get());
        if (n == 0) break;
        m_hasher.Feed(buffer.data(), n);
        left -= static_cast<int64_t>(n);
    }
    if (left != 0) {
        m_hasher.Abandon();
        m_hashing = false;
    }
}

int CurlClient::Start() {
    DEBUG_LOG_LINE(L"CurlClient::Start", L"start download");
    m_streamedDigest.clear();
    const std::wstring tempPath = PartPath(true);
    const std::wstring targetPath = PartPath(false);
    const std::string url = NarrowUrl(m_url);

    if (m_realUrl.empty() || m_fileLength < kMinLength) {
        CurlEasyPtr head(Head(url));
        m_realUrl = GetRealUrl(head.get());
        m_fileLength = GetDownloadFileLength(head.get());
    }
    int result = 0;
    CurlEasyPtr curl;
    FilePtr file;
    CurlSlistPtr headers;
    if (m_realUrl.empty() || m_fileLength < kMinLength) {
        m_realUrl = GetRealUrl_Str(url);
        if (!m_realUrl.empty()) m_fileLength = GetDownloadFileLength_Str(m_realUrl);
        if (m_fileLength < kMinLength) result = kNoLength;
    }
    if (result == 0) {
        curl = NewCurlEasy();
        if (!curl) result = kNoHandle;
    }
    if (result == 0) {
        // A temporary file longer than the package cannot be continued.
        if (FileSizeOf(tempPath) > static_cast<int64_t>(m_fileLength))
            DeleteFileW(tempPath.c_str());
        file.reset(_wfopen(tempPath.c_str(), L"ab+"));
        if (!file) result = kTempFileFailed;
    }
    if (result == 0) {
        m_curl = curl.get();
        m_file = file.get();
        // A large stream buffer: fewer, bigger writes through Wine.
        setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
        // Only what is decoded may be asked for: this libcurl has no zlib, so a
        // compressed answer would be stored as the package.
        curl_slist* list = curl_slist_append(nullptr, "Connection: keep-alive");
        if (list != nullptr) {
            curl_slist* more = curl_slist_append(list, "Accept-Encoding: identity");
            if (more != nullptr) list = more;
        }
        headers.reset(list);
        CURL* c = curl.get();
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(c, CURLOPT_TCP_KEEPALIVE, 1L);
        curl_easy_setopt(c, CURLOPT_TCP_KEEPIDLE, 10L);
        curl_easy_setopt(c, CURLOPT_TCP_KEEPINTVL, 10L);
        curl_easy_setopt(c, CURLOPT_TIMEOUT, 0L);
        curl_easy_setopt(c, CURLOPT_BUFFERSIZE, kReceiveBuffer);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, m_stallTimeSec);
        int rc = 0;
        rc |= curl_easy_setopt(c, CURLOPT_URL, m_realUrl.c_str());
        rc |= curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
        rc |= curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CurlClient::WriteToFile);
        rc |= curl_easy_setopt(c, CURLOPT_WRITEDATA, this);
        rc |= curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
        rc |= curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
        rc |= curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
        rc |= curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
        rc |= curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 60L);
        m_resumeOffset = FileSizeOf(tempPath);
        if (m_resumeOffset > 0) {
            rc |= curl_easy_setopt(c, CURLOPT_RESUME_FROM_LARGE,
                                   static_cast<curl_off_t>(m_resumeOffset));
        }
        if (rc == 0) {
            HashExistingPrefix();
            // A temporary file that already holds the whole package (its move
            // failed last time) needs no request: the server would refuse the
            // empty range.
            const bool complete = m_resumeOffset == static_cast<int64_t>(m_fileLength);
            result = complete ? 0 : curl_easy_perform(c);
        } else {
            result = rc;
        }
    }
    DEBUG_LOG_LINE(L"CurlClient::Start", L"error:%d:%s", result, CurlText(result).c_str());

    m_curl = nullptr;
    m_file = nullptr;
    curl.reset();
    bool flushed = true;
    if (file) flushed = fflush(file.get()) == 0;
    file.reset();
    headers.reset();
    std::string digest = m_hashing ? m_hasher.Finish() : std::string();
    m_hashing = false;
    if (result == 0 && !flushed) result = CURLE_WRITE_ERROR;
    if (result == 0) {
        // A body that ended early without a length of its own (the connection
        // simply closed) looks like success to libcurl; the probed length
        // says otherwise, and the next attempt continues it.
        const int64_t got = FileSizeOf(tempPath);
        if (got != static_cast<int64_t>(m_fileLength)) {
            if (got > static_cast<int64_t>(m_fileLength)) DeleteFileW(tempPath.c_str());
            result = CURLE_PARTIAL_FILE;
            DEBUG_LOG_LINE(L"CurlClient::Start", L"error:%d:%s", result, CurlText(result).c_str());
        }
    } else if (result == CURLE_RANGE_ERROR) {
        // The server cannot continue the temporary file: start it afresh.
        DeleteFileW(tempPath.c_str());
    }
    if (result == 0) {
        DeleteFileW(targetPath.c_str());
        if (!MoveFileW(tempPath.c_str(), targetPath.c_str())) {
            // The package is not where the caller will look for it: this
            // attempt failed, and the next one finds the complete temporary
            // file and only has to move it.
            result = kRenameFailed;
            DEBUG_LOG_LINE(L"CurlClient::Start", L"error:%d:%s", result, CurlText(result).c_str());
        } else {
            m_streamedDigest = digest;
        }
    }
    DEBUG_LOG_LINE(L"CurlClient::Start", L"end download");
    return result;
}

size_t CurlClient::WriteToFile(char* data, size_t size, size_t count, void* client) {
    auto* self = static_cast<CurlClient*>(client);
    if (self == nullptr || self->m_file == nullptr) return 0;
    const size_t written = fwrite(data, size, count, self->m_file);
    if (self->m_hashing) self->m_hasher.Feed(data, written * size);
    return written;
}

int CurlClient::ProgressCallback(void* client, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t,
                                 curl_off_t) {
    auto* self = static_cast<CurlClient*>(client);
    if (self->m_cancel) return 1;
    const long long now = ProgressGateBucket(self->m_progressGateMs);
    if (self->m_progressGateMs != 0 && now == self->m_lastProgressTime) return 0;
    self->m_lastProgressTime = now;

    curl_off_t bytesPerSecond = 0;
    if (curl_easy_getinfo(self->m_curl, CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond) != CURLE_OK) {
        bytesPerSecond = 0;
    }
    const double speed = static_cast<double>(bytesPerSecond);
    double percent;
    if (self->m_fileLength > kMinLength) {
        percent = (static_cast<double>(dlNow) + static_cast<double>(self->m_resumeOffset)) /
                  self->m_fileLength * 100.0;
    } else {
        if (dlNow <= 0 || dlTotal <= 0) return 0;
        percent = static_cast<double>(dlNow) * 100.0 / static_cast<double>(dlTotal);
    }
    if (percent == 0.0) return 0;
    if (self->m_progressSink != nullptr) self->m_progressSink(self->m_owner, speed, percent);
    if (dlTotal != 0) {
        DEBUG_LOG_VERBATIM(L"CurlClient::ProgressCallback",
                           L" %dM %dM   progress:%f%%  speed:%f \n",
                           static_cast<int>(dlNow / 1048576), static_cast<int>(dlTotal / 1048576),
                           static_cast<double>(static_cast<float>(percent)),
                           static_cast<double>(static_cast<float>(speed / 1024.0)));
    }
    return 0;
}
