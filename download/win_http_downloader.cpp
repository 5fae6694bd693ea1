#include "download/win_http_downloader.h"

#include <windows.h>

#include "download/file_ptr.h"
#include "download/win_http_client.h"

WinHttpDownloader::WinHttpDownloader(const StatusCallback& listener, const std::wstring& url,
                                     const std::wstring& filePath)
    : m_listener(listener), m_filePath(filePath), m_url(url) {}

WinHttpDownloader::~WinHttpDownloader() {
    m_stopping = true;
    m_thread.reset();
    m_retired.clear();
}

void WinHttpDownloader::Start() {
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
    m_thread.reset(new Utils::Thread(this, L"ABDEF", &WinHttpDownloader::ThreadFun));
    m_thread->Resume();
}

void WinHttpDownloader::Report(int code, double progress, const wchar_t* text) {
    if (m_stopping || !m_listener) return;
    m_listener(code, progress, text);
}

unsigned WinHttpDownloader::ThreadFun(void* self) {
    try {
        return static_cast<WinHttpDownloader*>(self)->Run();
    } catch (...) {
        return 1;
    }
}

bool WinHttpDownloader::EmptyTarget(void* context) {
    // The client appends: every attempt must start from an empty file, or a
    // failed attempt's bytes would precede the package.
    auto* self = static_cast<WinHttpDownloader*>(context);
    return FilePtr(_wfopen(self->m_filePath.c_str(), L"wb")) != nullptr;
}

void WinHttpDownloader::OnProgress(void* context, uint64_t received, uint64_t total) {
    auto* self = static_cast<WinHttpDownloader*>(context);
    if (total == 0 || received > total) return;
    const unsigned gate = self->m_timing.progressGateMs;
    const long long now = ProgressGateBucket(gate);
    if (gate != 0 && now == self->m_lastProgressTime) return;
    const double fraction = static_cast<double>(received) / static_cast<double>(total);
    if (fraction <= self->m_lastFraction) return;
    self->m_lastProgressTime = now;
    self->m_lastFraction = fraction;
    self->Report(DL_CODE_PROGRESS, fraction, L"");
}

unsigned WinHttpDownloader::Run() {
    m_lastFraction = 0.0;
    Report(DL_CODE_START, 1.0, L"");
    if (m_filePath.empty()) {
        Report(DL_CODE_FAIL, 1.0, L"");
        return 0;
    }
    if (!EmptyTarget(this)) {
        Report(DL_CODE_FAIL, static_cast<double>(kTargetFailed), L"WinHttp");
        return 0;
    }
    WinHttpClient client(m_url);
    client.SetResponseFilePath(m_filePath);
    client.SetAttemptHook(&WinHttpDownloader::EmptyTarget, this);
    client.SetProgressCallback(&WinHttpDownloader::OnProgress, this);
    const bool complete = client.Request(L"GET");
    int failure = 0;
    if (!complete) {
        failure = static_cast<int>(client.LastError());
        if (failure == 0) failure = kTargetFailed;
    } else if (client.StatusNumber() >= 400) {
        failure = client.StatusNumber();
    } else {
        WIN32_FILE_ATTRIBUTE_DATA data;
        const bool sized = GetFileAttributesExW(m_filePath.c_str(), GetFileExInfoStandard, &data);
        const uint64_t size =
            sized ? (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow : 0;
        if (!sized) {
            failure = kTargetFailed;
        } else if (client.ContentLength() != 0 && size != client.ContentLength()) {
            failure = kIncomplete;
        }
    }
    if (failure != 0) {
        // What is on disk is an error page or a fragment, not the package.
        DeleteFileW(m_filePath.c_str());
        Report(DL_CODE_FAIL, static_cast<double>(failure), L"WinHttp");
        return 0;
    }
    Report(DL_CODE_SUCCESS, 0.0, L"WinHttp");
    return 0;
}
