#include "download/win_http_client.h"

#include <cwctype>
#include <memory>

#include "download/file_ptr.h"
#include "utils/text.h"

namespace {

struct InternetCloser {
    void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using InternetPtr = std::unique_ptr<void, InternetCloser>;

constexpr int kAttempts = 3;

void DebugText(const wchar_t* format, DWORD code) {
    wchar_t text[128];
    swprintf(text, 128, format, static_cast<int>(code));
    OutputDebugStringW(text);
}

bool StartsWithNoCase(const std::wstring& text, size_t at, const std::wstring& word) {
    if (text.size() < at + word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (towlower(text[at + i]) != towlower(word[i])) return false;
    }
    return true;
}

// Each header line in turn, without its line end.
template <typename Fn>
void ForEachLine(const std::wstring& headers, Fn fn) {
    size_t pos = 0;
    while (pos < headers.size()) {
        size_t end = headers.find(L'\n', pos);
        if (end == std::wstring::npos) end = headers.size();
        std::wstring line = headers.substr(pos, end - pos);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        fn(line);
        pos = end + 1;
    }
}

}  // namespace

WinHttpClient::WinHttpClient(const std::wstring& url) : m_url(url) {}

WinHttpClient::~WinHttpClient() {
    if (m_session) WinHttpCloseHandle(m_session);
}

void WinHttpClient::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
    m_timeouts[0] = resolveMs;
    m_timeouts[1] = connectMs;
    m_timeouts[2] = sendMs;
    m_timeouts[3] = receiveMs;
}

void WinHttpClient::SetProxy(const std::wstring& proxy, const std::wstring& user,
                             const std::wstring& pass) {
    m_proxy = proxy;
    m_proxyUser = user;
    m_proxyPassword = pass;
}

void WinHttpClient::SetProgressCallback(ProgressCallback callback, void* context) {
    m_progress = callback;
    m_progressContext = context;
}

void WinHttpClient::SetAttemptHook(AttemptHook hook, void* context) {
    m_attemptHook = hook;
    m_attemptContext = context;
}

int WinHttpClient::StatusNumber() const { return _wtoi(m_statusCode.c_str()); }

std::wstring WinHttpClient::ParseCharset(const std::wstring& headers) {
    const size_t at = headers.find(L"charset=");
    if (at == std::wstring::npos) return std::wstring();
    size_t end = at + 8;
    while (end < headers.size() &&
           (iswalnum(headers[end]) || headers[end] == L'-' || headers[end] == L'_')) {
        ++end;
    }
    return headers.substr(at + 8, end - at - 8);
}

uint64_t WinHttpClient::ParseContentLength(const std::wstring& headers) {
    uint64_t value = 0;
    ForEachLine(headers, [&](const std::wstring& line) {
        if (!StartsWithNoCase(line, 0, L"Content-Length: ")) return;
        uint64_t v = 0;
        for (size_t i = 16; i < line.size() && iswdigit(line[i]); ++i) {
            if (v > (UINT64_MAX - 9) / 10) return;  // absurd length: ignored
            v = v * 10 + (line[i] - L'0');
        }
        value = v;
    });
    return value;
}

std::wstring WinHttpClient::ParseLocation(const std::wstring& headers) {
    std::wstring location;
    ForEachLine(headers, [&](const std::wstring& line) {
        if (!StartsWithNoCase(line, 0, L"Location: ")) return;
        const std::wstring value = line.substr(10);
        if (StartsWithNoCase(value, 0, L"http://") || StartsWithNoCase(value, 0, L"https://")) {
            location = value;
        }
    });
    return location;
}

std::wstring WinHttpClient::ParseCookies(const std::wstring& headers) {
    std::wstring joined;
    ForEachLine(headers, [&](const std::wstring& line) {
        if (!StartsWithNoCase(line, 0, L"Set-Cookie:")) return;
        size_t from = 11;
        while (from < line.size() && (line[from] == L' ' || line[from] == L'\t')) ++from;
        if (!joined.empty()) joined += L"; ";
        joined += line.substr(from);
    });
    joined = Utils::TrimLeft(joined);
    if (!joined.empty() && joined.back() != L';') joined += L';';
    return joined;
}

bool WinHttpClient::SendWithProxyFallback(HINTERNET request, bool post) {
    const void* body =
        post && !m_requestBody.empty() ? m_requestBody.data() : WINHTTP_NO_REQUEST_DATA;
    const DWORD length = post ? static_cast<DWORD>(m_requestBody.size()) : 0;
    if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, const_cast<void*>(body),
                           length, length, 0)) {
        return true;
    }
    m_lastError = GetLastError();
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&ie)) return false;
    bool sent = false;
    if (ie.lpszAutoConfigUrl) {
        WINHTTP_AUTOPROXY_OPTIONS options = {};
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT | WINHTTP_AUTOPROXY_CONFIG_URL;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP;
        options.lpszAutoConfigUrl = ie.lpszAutoConfigUrl;
        options.fAutoLogonIfChallenged = TRUE;
        WINHTTP_PROXY_INFO info = {};
        if (WinHttpGetProxyForUrl(m_session, m_url.c_str(), &options, &info)) {
            WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info);
            sent = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                      const_cast<void*>(body), length, length, 0) != FALSE;
            if (info.lpszProxy) GlobalFree(info.lpszProxy);
            if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
        }
    } else if (ie.lpszProxy) {
        // A fixed proxy is set now and used by the next attempt.
        WINHTTP_PROXY_INFO info = {};
        info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        info.lpszProxy = ie.lpszProxy;
        WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info);
    }
    if (ie.lpszAutoConfigUrl) GlobalFree(ie.lpszAutoConfigUrl);
    if (ie.lpszProxy) GlobalFree(ie.lpszProxy);
    if (ie.lpszProxyBypass) GlobalFree(ie.lpszProxyBypass);
    return sent;
}

bool WinHttpClient::ReadBody(HINTERNET request) {
    const bool toFile = m_writeToFile && !m_responseFile.empty();
    FilePtr file;
    if (toFile) {
        file.reset(_wfopen(m_responseFile.c_str(), L"ab+"));
        if (!file) {
            DebugText(L"Failed to open response file. Error code: %d", GetLastError());
        }
    }
    m_body.clear();
    uint64_t received = 0;
    std::vector<char> chunk;
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) {
            m_lastError = GetLastError();
            return false;
        }
        if (available == 0) break;
        chunk.resize(available);
        DWORD read = 0;
        if (!WinHttpReadData(request, chunk.data(), available, &read)) {
            m_lastError = GetLastError();
            return false;
        }
        if (read == 0) break;
        if (toFile) {
            if (!file) return false;  // the body has nowhere to go
            if (fwrite(chunk.data(), 1, read, file.get()) < read) {
                DebugText(L"Failed to write response data. Error code: %d", GetLastError());
                m_lastError = ERROR_WRITE_FAULT;
                return false;
            }
        } else {
            m_body.insert(m_body.end(), chunk.data(), chunk.data() + read);
        }
        received += read;
        if (m_progress) m_progress(m_progressContext, received, m_contentLength);
    }
    if (file && fclose(file.release()) != 0) {
        m_lastError = ERROR_WRITE_FAULT;
        return false;
    }
    return true;
}

bool WinHttpClient::Attempt(HINTERNET request, bool post) {
    if (!m_headers.empty()) {
        WinHttpAddRequestHeaders(request, m_headers.c_str(), static_cast<DWORD>(-1),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    }
    if (!m_requestCookies.empty()) {
        const std::wstring cookie = L"Cookie: " + m_requestCookies;
        WinHttpAddRequestHeaders(
            request, cookie.c_str(), static_cast<DWORD>(-1),
            WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON);
    }
    if (!m_proxy.empty()) {
        WINHTTP_PROXY_INFO info = {};
        info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        info.lpszProxy = const_cast<wchar_t*>(m_proxy.c_str());
        WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info);
        if (!m_proxyUser.empty()) {
            WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC,
                                  m_proxyUser.c_str(), m_proxyPassword.c_str(), nullptr);
        }
    }
    if (!SendWithProxyFallback(request, post)) return false;
    if (!WinHttpReceiveResponse(request, nullptr)) {
        m_lastError = GetLastError();
        return false;
    }
    DWORD size = 0;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                        WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
    m_rawHeaders.clear();
    if (size > 0) {
        std::wstring headers(size / sizeof(wchar_t) + 1, L'\0');
        if (WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF,
                                WINHTTP_HEADER_NAME_BY_INDEX, &headers[0], &size,
                                WINHTTP_NO_HEADER_INDEX)) {
            headers.resize(size / sizeof(wchar_t));
            m_rawHeaders = headers;
        }
    }
    m_charset = ParseCharset(m_rawHeaders);
    m_contentLength = ParseContentLength(m_rawHeaders);
    m_location = ParseLocation(m_rawHeaders);
    m_cookies = ParseCookies(m_rawHeaders);
    wchar_t status[32] = {};
    DWORD statusSize = sizeof status;
    m_statusCode.clear();
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE, WINHTTP_HEADER_NAME_BY_INDEX,
                            status, &statusSize, WINHTTP_NO_HEADER_INDEX)) {
        m_statusCode = status;
    }
    if (!ReadBody(request)) return false;
    const std::string narrow(m_body.begin(), m_body.end());
    const bool utf8 = m_charset.size() >= 5 && StartsWithNoCase(m_charset, 0, L"utf-8");
    m_responseText = Utils::AnsiToWide(narrow, utf8 ? CP_UTF8 : 0);
    if (!post && m_responseText.find(L"<html>") != std::wstring::npos &&
        m_responseText.find(L"</html>") == std::wstring::npos) {
        m_lastError = ERROR_INVALID_DATA;  // a page cut short
        return false;
    }
    return true;
}

bool WinHttpClient::Request(const std::wstring& methodIn) {
    if (m_url.empty()) {
        m_lastError = ERROR_PATH_NOT_FOUND;
        return false;
    }
    std::wstring method = methodIn;
    for (auto& ch : method) ch = static_cast<wchar_t>(towupper(ch));
    if (method != L"GET" && method != L"POST") {
        m_lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (!m_session) {
        m_session = WinHttpOpen(L"WinHttpClient", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        if (!m_session) {
            m_lastError = GetLastError();
            return false;
        }
        WinHttpSetTimeouts(m_session, m_timeouts[0], m_timeouts[1], m_timeouts[2], m_timeouts[3]);
    }
    wchar_t host[261] = {};
    wchar_t path[1301] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 260;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 1300;
    parts.dwExtraInfoLength = 0;
    if (!WinHttpCrackUrl(m_url.c_str(), 0, 0, &parts)) {
        m_lastError = GetLastError();
        return false;
    }
    m_hostName = host;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    InternetPtr connection(WinHttpConnect(m_session, host, parts.nPort, 0));
    if (!connection) {
        m_lastError = GetLastError();
        return false;
    }
    InternetPtr request(WinHttpOpenRequest(connection.get(), method.c_str(), path, nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                           secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) {
        m_lastError = GetLastError();
        return false;
    }
    if (secure && !m_verifyCertificates) {
        DWORD flags = 0x3100;  // unknown authority, bad date, wrong name
        WinHttpSetOption(request.get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    }
    const bool post = method == L"POST";
    for (int i = 0; i < kAttempts; ++i) {
        if (m_attemptHook && !m_attemptHook(m_attemptContext)) continue;
        if (Attempt(request.get(), post)) return true;
    }
    return false;
}
