#include "download/curl_downloader.h"

#include "download/file_ptr.h"
#include "download/package_integrity.h"
#include "utils/debug_log.h"

namespace {

constexpr int kAttemptBudget = 12;

}  // namespace

CCurlDownloader::CCurlDownloader(const StatusCallback& listener, const std::wstring& url,
                                 const std::wstring& filePath)
    : m_listener(listener),
      m_filePath(filePath),
      m_url(url),
      m_client(url, filePath, this, &CCurlDownloader::OnClientProgress),
      m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    // A temporary file of an earlier process is never continued: its bytes
    // may belong to another package.
    if (!filePath.empty()) DeleteFileW(m_client.PartPath(true).c_str());
    // The digest is computed while the package arrives, so the check after
    // the last byte costs no second pass over the file.
    m_client.SetStreamDigest(true);
}

CCurlDownloader::~CCurlDownloader() {
    m_stopping = true;
    if (m_stopEvent.Valid()) SetEvent(m_stopEvent.Get());
    m_client.Cancel();
    m_thread.reset();
    m_retired.clear();
}

void CCurlDownloader::SetTimingForTest(const DownloadTiming& timing) {
    m_timing = timing;
    m_client.SetProgressGateMs(timing.progressGateMs);
    m_client.SetStallTimeSec(timing.stallTimeSec);
}

void CCurlDownloader::Start() {
    if (m_stopping) return;
    const DWORD self = GetCurrentThreadId();
    if (m_thread) {
        if (m_thread->m_threadId == self) {
            // Called from our own listener: this worker ends as soon as the
            // listener returns, so it is joined later instead of waiting for
            // itself here.
            m_retired.push_back(std::move(m_thread));
        } else {
            m_thread.reset();
        }
    }
    for (auto it = m_retired.begin(); it != m_retired.end();) {
        if ((*it)->m_threadId != self) {
            it = m_retired.erase(it);  // waits for that finished worker
        } else {
            ++it;
        }
    }
    m_thread.reset(new Utils::Thread(this, L"ABDEF", &CCurlDownloader::dlThreadFun));
    m_thread->Resume();
}

void CCurlDownloader::Report(int code, double progress, const wchar_t* text) {
    if (m_stopping || !m_listener) return;
    m_listener(code, progress, text);
}

void CCurlDownloader::OnClientProgress(void* owner, double speed, double percent) {
    auto* self = static_cast<CCurlDownloader*>(owner);
    if (speed <= 0.0 || percent > 100.0) return;
    // A stalled connection keeps a non-zero average speed: only growth is news.
    const double fraction = percent / 100.0;
    if (fraction <= self->m_lastFraction) return;
    self->m_lastFraction = fraction;
    self->Report(DL_CODE_PROGRESS, fraction, L"");
}

unsigned CCurlDownloader::dlThreadFun(void* self) {
    try {
        return static_cast<CCurlDownloader*>(self)->Run();
    } catch (...) {
        // A throwing listener must not take the process down with it.
        return 1;
    }
}

int CCurlDownloader::Attempt() {
    int result = m_client.Start();
    if (result == 0) {
        FilePtr check(_wfopen(m_filePath.c_str(), L"rb"));
        if (!check) result = kTargetUnreadable;
    }
    return result;
}

unsigned CCurlDownloader::Run() {
    m_lastFraction = 0.0;
    Report(DL_CODE_START, 1.0, L"");
    if (m_filePath.empty()) {
        // Nowhere to put the package: the run ends here.
        Report(DL_CODE_FAIL, 1.0, L"");
        return 0;
    }
    int budget = kAttemptBudget;
    int result = Attempt();
    while (result != 0) {
        if (m_stopping) return 0;
        budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
        if (budget <= 0) {
            Report(DL_CODE_FAIL, static_cast<double>(result), L"LibCurl");
            return 0;
        }
        DEBUG_LOG_LINE(L"CCurlDownloader::dlThreadFun", L"CurlDownLoader Code=%d", result);
        if (WaitForSingleObject(m_stopEvent.Get(), m_timing.retryPauseMs) == WAIT_OBJECT_0) {
            return 0;
        }
        result = Attempt();
    }

    const std::string expected = GetUrlMd5(m_client.RealUrl());
    if (expected.size() != 32) {
        Report(DL_CODE_MD5, 0.0, L"curl获取url-md5失败");
    } else {
        std::string actual = m_client.StreamedDigest();
        if (actual.empty()) actual = GetFileMd5(m_filePath);
        if (actual.size() == 32 && actual != expected) {
            Report(DL_CODE_MD5, 0.0, L"curl文件md5校验失败");
            if (!m_retried) {
                m_retried = true;
                Report(DL_CODE_RETRY, 0.0, L"LibCurl");
            } else {
                Report(DL_CODE_FAIL, 0.0, L"LibCurl");
            }
            return 0;
        }
    }
    Report(DL_CODE_SUCCESS, 0.0, L"LibCurl");
    return 0;
}
