#include "download/mt_curl_downloader.h"

#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "download/curl_client.h"
#include "download/file_ptr.h"
#include "download/package_integrity.h"
#include "utils/debug_log.h"
#include "utils/text.h"

namespace {

constexpr int kAttemptBudget = 12;
constexpr int kPartFileFailed = -2;

std::wstring CurlText(int code) {
    return Utils::AnsiToWide(curl_easy_strerror(static_cast<CURLcode>(code)), 0);
}

std::string NarrowUrl(const std::wstring& url) {
    if (url.rfind(L"file:///", 0) == 0) return Utils::WideToAnsi(url, 0);
    return Utils::WideToAnsi(url, CP_UTF8);
}

int64_t SizeOf(const std::wstring& path) {
    struct _stat64 st;
    return _wstat64(path.c_str(), &st) == 0 ? st.st_size : -1;
}

bool Readable(const std::wstring& path) { return FilePtr(_wfopen(path.c_str(), L"rb")) != nullptr; }

// Feeds the first `length` bytes of a file to the digest; false when they
// cannot all be read.
bool HashPrefix(const std::wstring& path, int64_t length, Download::Md5& digest) {
    if (length == 0) return true;
    FilePtr in(_wfopen(path.c_str(), L"rb"));
    if (!in) return false;
    setvbuf(in.get(), nullptr, _IONBF, 0);
    std::vector<char> buffer(1 << 20);
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(length, buffer.size()));
        const size_t n = fread(buffer.data(), 1, want, in.get());
        if (n == 0) return false;
        digest.Update(buffer.data(), n);
        length -= static_cast<int64_t>(n);
    }
    return true;
}

}  // namespace

CMTCurlDownloader::CMTCurlDownloader(const StatusCallback& listener, const std::wstring& url,
                                     const std::wstring& filePath)
    : m_listener(listener),
      m_filePath(filePath),
      m_url(url),
      m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    // Files of an earlier process are never resumed.
    if (!filePath.empty()) {
        DeleteFileW(filePath.c_str());
        deletePartFiles(filePath);
    }
}

CMTCurlDownloader::~CMTCurlDownloader() {
    m_stopping = true;
    if (m_stopEvent.Valid()) SetEvent(m_stopEvent.Get());
    m_thread.reset();
    m_retired.clear();
    JoinFinishers();
    m_thread.reset();
    releaseParts();
}

std::wstring CMTCurlDownloader::getPartPath(const std::wstring& target, int index) {
    return target + L"_" + std::to_wstring(index);
}

void CMTCurlDownloader::deletePartFiles(const std::wstring& target) {
    DeleteFileW(getPartPath(target, 0).c_str());
    DeleteFileW(getPartPath(target, 1).c_str());
}

void CMTCurlDownloader::releaseParts() {
    for (auto& part : m_parts) {
        if (part->file) fclose(part->file);
        part->file = nullptr;
        part->curl.reset();
    }
    m_parts.clear();
}

void CMTCurlDownloader::Report(int code, double progress, const wchar_t* text) {
    if (m_stopping || !m_listener) return;
    m_listener(code, progress, text);
}

bool CMTCurlDownloader::Pause(unsigned ms) {
    return WaitForSingleObject(m_stopEvent.Get(), ms) != WAIT_OBJECT_0;
}

void CMTCurlDownloader::JoinFinishers() {
    // Finishing threads of earlier runs are joined here; the calling thread (a
    // finishing thread answering DL_CODE_RETRY) never joins itself.
    std::vector<std::thread> toJoin;
    {
        std::lock_guard<std::mutex> guard(m_finishersLock);
        for (auto it = m_finishers.begin(); it != m_finishers.end();) {
            if (it->get_id() == std::this_thread::get_id()) {
                ++it;
            } else {
                toJoin.push_back(std::move(*it));
                it = m_finishers.erase(it);
            }
        }
    }
    for (auto& t : toJoin) t.join();
}

void CMTCurlDownloader::Start() {
    if (m_stopping) return;
    const DWORD self = GetCurrentThreadId();
    if (m_thread) {
        if (m_thread->m_threadId == self) {
            m_retired.push_back(std::move(m_thread));
        } else {
            m_thread.reset();
        }
    }
    for (auto it = m_retired.begin(); it != m_retired.end();) {
        if ((*it)->m_threadId != self) {
            it = m_retired.erase(it);
        } else {
            ++it;
        }
    }
    JoinFinishers();
    m_thread.reset(new Utils::Thread(this, L"ABDEF", &CMTCurlDownloader::Start_Down));
    m_thread->Resume();
}

unsigned CMTCurlDownloader::Start_Down(void* self) {
    try {
        return static_cast<CMTCurlDownloader*>(self)->RunWorker();
    } catch (...) {
        return 1;
    }
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& url) {
    m_realUrl.clear();
    m_md5.clear();
    m_fileLength = 0;
    CurlEasyPtr curl = NewCurlEasy();
    if (!curl) return false;
    CurlSlistPtr headers(curl_slist_append(nullptr, "Connection: keep-alive"));
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    int rc = 0;
    rc |= curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    rc |= curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    rc |= curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    rc |= curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
    rc |= curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
    rc |= curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &DiscardBody);
    rc |= curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, CurlClient::ProbeTimeoutSec());
    if (rc != 0) return false;
    if (curl_easy_perform(c) != CURLE_OK) return false;

    char* effective = nullptr;
    if (curl_easy_getinfo(c, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective &&
        *effective) {
        m_realUrl = effective;
        DEBUG_LOG_LINE(L"CMTCurlDownloader::getRealDownloadUrl", L"Download File real url %s",
                       Utils::AnsiToWide(m_realUrl, CP_UTF8).c_str());
        m_md5 = GetUrlMd5(m_realUrl);
    }
    curl_off_t length = -1;
    long code = 0;
    if (curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK && code >= 200 &&
        code <= 399) {
        // Offsets are 32-bit: a package of 2 GiB or more cannot be split, and
        // must not wrap around into a small positive length.
        m_fileLength = (length < 0 || length > INT32_MAX) ? -1 : static_cast<int32_t>(length);
        DEBUG_LOG_LINE(L"CMTCurlDownloader::getRealDownloadUrl", L"Download File Length %lld",
                       static_cast<long long>(m_fileLength));
    }
    return !m_realUrl.empty() && m_fileLength >= kMinLength;
}

unsigned CMTCurlDownloader::RunWorker() {
    Report(DL_CODE_START, 1.0, L"");
    DEBUG_LOG_LINE(L"CMTCurlDownloader::Start_Down", L"start download");
    if (m_filePath.empty()) {
        Report(DL_CODE_FAIL, 1.0, L"");
        return 0;
    }
    const std::string url = NarrowUrl(m_url);
    DeleteFileW(m_filePath.c_str());
    if (m_lastPercent == 0.0) deletePartFiles(m_filePath);

    if (m_realUrl.empty() || m_fileLength < kMinLength) {
        if (!getRealDownloadUrl(url)) {
            Report(DL_CODE_FAIL, 0.0, L"LibCurl");
            return 0;
        }
    }
    int count = m_fileLength / kPartSplit;
    if (count == 0) count = 1;
    if (count > 2) count = 2;
    const int32_t each = m_fileLength / count;
    int32_t offset = 0;
    for (int i = 0; i < count; ++i) {
        const int32_t size = (i == count - 1) ? m_fileLength - offset : each;
        auto part = std::make_unique<DownloadPartNode>();
        part->path = getPartPath(m_filePath, i);
        int64_t existing = SizeOf(part->path);
        if (existing > size) {
            // Longer than its range: not ours to continue.
            DeleteFileW(part->path.c_str());
            existing = 0;
        }
        if (existing < 0) existing = 0;
        part->received = existing;
        part->start = offset + static_cast<int32_t>(existing);
        part->end = offset + size - 1;
        part->curl = NewCurlEasy();
        part->url = m_realUrl;
        if (i == 0) part->digestValid = HashPrefix(part->path, existing, part->digest);
        if (part->start > part->end) {
            part->status = 0;
        } else {
            part->status = -1;
            part->file = _wfopen(part->path.c_str(), L"ab+");
            if (!part->file) part->status = kPartFileFailed;
        }
        m_parts.push_back(std::move(part));
        offset += size;
    }

    std::vector<std::thread> threads;
    for (auto& part : m_parts) {
        if (part->status != -1) continue;
        ++m_runningParts;
        try {
            DownloadPartNode* node = part.get();
            threads.emplace_back([this, node] { downloadThreadFun(node); });
        } catch (...) {
            --m_runningParts;  // the part keeps status -1: it counts as failed
        }
        Pause(m_timing.partStaggerMs);
    }
    try {
        std::lock_guard<std::mutex> guard(m_finishersLock);
        m_finishers.emplace_back(&CMTCurlDownloader::waitForFinishThreadFun, this,
                                 std::move(threads));
    } catch (...) {
        // No thread for the finish: finish here rather than leave the run hanging.
        waitForFinishThreadFun(std::move(threads));
    }
    return 0;
}

void CMTCurlDownloader::downloadThreadFun(DownloadPartNode* part) {
    try {
        int budget = kAttemptBudget;
        int result = downloadExe(part);
        while (result != 0 && budget > 0 && !m_stopping) {
            budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
            DEBUG_LOG_LINE(L"CMTCurlDownloader::downloadThreadFun", L"CurlDownLoader Code=%d",
                           result);
            if (!Pause(m_timing.retryPauseMs)) break;
            result = downloadExe(part);
        }
    } catch (...) {
        // The part keeps the status of its last attempt.
    }
    if (part->file) fclose(part->file);
    part->file = nullptr;
    --m_runningParts;
}

int CMTCurlDownloader::downloadExe(DownloadPartNode* part) {
    if (part->start > part->end) {
        // Every byte of the range is on disk (the last attempt's answer ran
        // past the range and was cut there).
        if (part->file) fclose(part->file);
        part->file = nullptr;
        part->status = 0;
        return 0;
    }
    if (!part->curl) part->curl = NewCurlEasy();
    if (!part->curl) {
        part->status = CurlClient::kNoHandle;
        return part->status;
    }
    char range[64];
    snprintf(range, sizeof range, "%ld-%ld", static_cast<long>(part->start),
             static_cast<long>(part->end));
    part->attemptStart = part->start;
    part->answerChecked = false;
    CURL* c = part->curl.get();
    int rc = 0;
    rc |= curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    rc |= curl_easy_setopt(c, CURLOPT_URL, part->url.c_str());
    rc |= curl_easy_setopt(c, CURLOPT_TIMEOUT, 0L);
    rc |= curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    rc |= curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CMTCurlDownloader::writePart);
    rc |= curl_easy_setopt(c, CURLOPT_WRITEDATA, part);
    rc |= curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    rc |= curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::partProgressCallback);
    rc |= curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
    rc |= curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    rc |= curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 60L);
    rc |= curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
    rc |= curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
    rc |= curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    rc |= curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, m_timing.lowSpeedTimeSec);
    rc |= curl_easy_setopt(c, CURLOPT_RANGE, range);
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, CurlClient::kReceiveBuffer);
    if (rc != 0) return rc;

    int result = curl_easy_perform(c);
    if (result == CURLE_OK && part->start <= part->end) {
        // The answer ended (connection closed, no length of its own) before
        // the range did: the rest is still to come.
        result = CURLE_PARTIAL_FILE;
    }
    if (result != CURLE_OK) {
        DEBUG_LOG_LINE(L"CMTCurlDownloader::downloadExe", L"error:%d:%s", result,
                       CurlText(result).c_str());
    } else {
        DEBUG_LOG_LINE(L"CMTCurlDownloader::downloadExe", L"curl_easy_cleanup");
    }
    curl_easy_reset(c);
    if (part->file && fflush(part->file) != 0) {
        // Bytes counted as received never reached the disk.
        part->digestValid = false;
        if (result == CURLE_OK) {
            part->status = CURLE_WRITE_ERROR;
            return part->status;
        }
    }
    if (result == CURLE_OK && part->file) {
        fclose(part->file);
        part->file = nullptr;
    }
    part->status = result;
    return result;
}

size_t CMTCurlDownloader::writePart(char* data, size_t size, size_t count, void* userData) {
    auto* part = static_cast<DownloadPartNode*>(userData);
    if (part->file == nullptr || part->start > part->end) return 0;
    if (!part->answerChecked) {
        part->answerChecked = true;
        // A server that ignores the range answers 200 with the package from
        // its first byte: only the first part may take that.
        long code = 0;
        curl_easy_getinfo(part->curl.get(), CURLINFO_RESPONSE_CODE, &code);
        if (code == 200 && part->attemptStart != 0) return 0;
    }
    const size_t n = size * count;
    const int64_t left = static_cast<int64_t>(part->end) - part->start + 1;
    const size_t take = static_cast<int64_t>(n) > left ? static_cast<size_t>(left) : n;
    const size_t written = fwrite(data, 1, take, part->file);
    if (part->digestValid) part->digest.Update(data, written);
    part->start += static_cast<int32_t>(written);
    part->received += static_cast<int64_t>(written);
    return written;
}

int CMTCurlDownloader::partProgressCallback(void* userData, curl_off_t, curl_off_t, curl_off_t,
                                            curl_off_t) {
    auto* self = static_cast<CMTCurlDownloader*>(userData);
    if (self->m_stopping) return 1;
    std::lock_guard<std::mutex> guard(self->m_lock);
    const unsigned gate = self->m_timing.progressGateMs;
    const long long now = ProgressGateBucket(gate);
    if (gate != 0 && now == self->m_lastProgressTime) return 0;
    self->m_lastProgressTime = now;
    double x = 0.0;
    if (self->m_fileLength >= kMinLength) {
        for (const auto& part : self->m_parts) {
            const int64_t received = part->received;
            if (received > 0) x += static_cast<double>(received) * 100.0 / self->m_fileLength;
        }
        if (x > 100.0) return 0;
    }
    if (x - self->m_lastPercent >= 1.0) {
        self->m_lastPercent = x;
        self->Report(DL_CODE_PROGRESS, x / 100.0, L"");
    }
    return 0;
}

void CMTCurlDownloader::waitForFinishThreadFun(std::vector<std::thread> partThreads) {
    // Joining the part threads watches them directly: a part thread that
    // ended in any way ends the wait.
    for (auto& t : partThreads) t.join();
    try {
        Finish();
    } catch (...) {
        // A throwing listener must not end the process.
    }
}

int CMTCurlDownloader::MergeParts() {
    const std::wstring first = getPartPath(m_filePath, 0);
    m_mergedDigest.clear();
    DownloadPartNode* head = m_parts.empty() ? nullptr : m_parts[0].get();
    const bool hashing = head != nullptr && head->digestValid;
    std::vector<FilePtr> later;
    for (size_t i = 1; i < m_parts.size(); ++i) {
        FilePtr in(_wfopen(m_parts[i]->path.c_str(), L"rb"));
        if (!in) return kPartFileFailed;  // the package would lack that range
        later.push_back(std::move(in));
    }
    FilePtr out(_wfopen(first.c_str(), L"ab+"));
    if (!out) return kPartFileFailed;
    // From here on part 0 changes: a failure can no longer be resumed.
    m_lastPercent = 0.0;
    std::vector<char> buffer(1 << 20);
    for (size_t i = 1; i < m_parts.size(); ++i) {
        FILE* in = later[i - 1].get();
        size_t n;
        while ((n = fread(buffer.data(), 1, buffer.size(), in)) > 0) {
            if (fwrite(buffer.data(), 1, n, out.get()) != n) return CURLE_WRITE_ERROR;
            if (hashing) head->digest.Update(buffer.data(), n);
        }
        if (ferror(in)) return CURLE_READ_ERROR;
        later[i - 1].reset();
        DEBUG_LOG_LINE(L"CMTCurlDownloader::waitForFinishThreadFun", L"partPath::%s",
                       m_parts[i]->path.c_str());
    }
    if (fclose(out.release()) != 0) return CURLE_WRITE_ERROR;
    if (!MoveFileW(first.c_str(), m_filePath.c_str())) return CurlClient::kRenameFailed;
    deletePartFiles(m_filePath);
    if (!Readable(m_filePath)) return -994;
    if (hashing) m_mergedDigest = head->digest.FinishHex();
    return 0;
}

void CMTCurlDownloader::Finish() {
    if (m_stopping) {
        releaseParts();
        return;
    }
    int status = 0;
    for (const auto& part : m_parts) {
        if (part->status != 0) {
            status = part->status;
            break;
        }
    }
    if (status != 0) return EndWithFailure(status);

    if (m_beforeMerge) m_beforeMerge();
    const int merged = MergeParts();
    if (merged != 0) {
        if (m_lastPercent == 0.0) {
            // Part 0 was already being extended: nothing left to resume.
            DeleteFileW(m_filePath.c_str());
            deletePartFiles(m_filePath);
        }
        return EndWithFailure(merged);
    }
    if (m_md5.size() == 32) {
        const std::string actual = m_mergedDigest.empty() ? GetFileMd5(m_filePath) : m_mergedDigest;
        if (actual.size() == 32 && actual != m_md5) {
            Report(DL_CODE_MD5, 0.0, L"mtcurl文件md5校验失败");
            DeleteFileW(m_filePath.c_str());
            releaseParts();
            if (!m_retried) {
                m_retried = true;
                DEBUG_LOG_LINE(L"CMTCurlDownloader::waitForFinishThreadFun",
                               L"finish recv, md5 chaek failed retry once.");
                Report(DL_CODE_RETRY, 0.0, L"LibCurl");
            } else {
                DEBUG_LOG_LINE(L"CMTCurlDownloader::waitForFinishThreadFun",
                               L"finish recv, md5 chaek failed and retry failed.");
                Report(DL_CODE_FAIL, 0.0, L"LibCurl");
            }
            return;
        }
    } else {
        Report(DL_CODE_MD5, 0.0, L"mtcurl获取url-md5失败");
    }
    DEBUG_LOG_LINE(L"CMTCurlDownloader::waitForFinishThreadFun", L"finish recv");
    releaseParts();
    Report(DL_CODE_SUCCESS, 0.0, L"LibCurl");
}

void CMTCurlDownloader::EndWithFailure(int status) {
    releaseParts();
    if (m_lastPercent == 0.0) deletePartFiles(m_filePath);
    if (!m_retried) {
        m_retried = true;
        Report(DL_CODE_RETRY, static_cast<double>(status), L"LibCurl");
    } else {
        m_lastPercent = 0.0;
        Report(DL_CODE_FAIL, static_cast<double>(status), L"LibCurl");
    }
}
