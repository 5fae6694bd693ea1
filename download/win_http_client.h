#pragma once
// WinHttpClient: one HTTP request through the system's WinHTTP stack (GET or
// POST, extra headers, cookies, a proxy), with the response body either kept
// in memory (decoded to text by its charset) or appended to a file.
//
// The client owns its session handle (opened on first use, closed at
// destruction) and, during Request, the connection and request handles. Up
// to three attempts are made on one request handle; each failing step records
// its Windows error as the last error. One thread uses a client at a time.
#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <string>
#include <vector>

class WinHttpClient {
  public:
    // Called with the body bytes received so far in this attempt and the
    // announced length (0 when unknown).
    using ProgressCallback = void (*)(void* context, uint64_t received, uint64_t total);
    // Called before every attempt; returning false skips that attempt.
    using AttemptHook = bool (*)(void* context);

    explicit WinHttpClient(const std::wstring& url);
    ~WinHttpClient();
    WinHttpClient(const WinHttpClient&) = delete;
    WinHttpClient& operator=(const WinHttpClient&) = delete;

    // True when a complete response was received (whatever its status).
    bool Request(const std::wstring& method);

    void SetResponseFilePath(const std::wstring& path) { m_responseFile = path; }
    void SetWriteToFile(bool on) { m_writeToFile = on; }
    void SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);
    void SetVerifyCertificates(bool on) { m_verifyCertificates = on; }
    void SetAdditionalHeaders(const std::wstring& headers) { m_headers = headers; }
    void SetRequestCookies(const std::wstring& cookies) { m_requestCookies = cookies; }
    void SetRequestBody(const std::string& body) { m_requestBody = body; }
    void SetProxy(const std::wstring& proxy, const std::wstring& user, const std::wstring& pass);
    void SetProgressCallback(ProgressCallback callback, void* context);
    void SetAttemptHook(AttemptHook hook, void* context);

    DWORD LastError() const { return m_lastError; }
    const std::wstring& StatusCode() const { return m_statusCode; }
    int StatusNumber() const;
    uint64_t ContentLength() const { return m_contentLength; }
    const std::wstring& RawHeaders() const { return m_rawHeaders; }
    const std::wstring& ResponseText() const { return m_responseText; }
    const std::wstring& Charset() const { return m_charset; }
    const std::wstring& Location() const { return m_location; }
    const std::wstring& Cookies() const { return m_cookies; }
    const std::vector<char>& Body() const { return m_body; }

    // Header reading, apart from WinHTTP so it can be tested on plain text.
    static std::wstring ParseCharset(const std::wstring& headers);
    static uint64_t ParseContentLength(const std::wstring& headers);
    static std::wstring ParseLocation(const std::wstring& headers);
    static std::wstring ParseCookies(const std::wstring& headers);

  private:
    bool Attempt(HINTERNET request, bool post);
    bool ReadBody(HINTERNET request);
    bool SendWithProxyFallback(HINTERNET request, bool post);

    HINTERNET m_session = nullptr;
    bool m_verifyCertificates = false;
    std::wstring m_url;
    std::wstring m_hostName;
    std::wstring m_rawHeaders;
    std::wstring m_responseText;
    std::wstring m_charset;
    std::vector<char> m_body;
    uint64_t m_contentLength = 0;
    std::wstring m_cookies;
    std::wstring m_statusCode;
    std::wstring m_location;
    DWORD m_lastError = 0;
    int m_timeouts[4] = {0, 60000, 30000, 30000};
    std::wstring m_responseFile;
    bool m_writeToFile = true;

    std::wstring m_headers;
    std::wstring m_requestCookies;
    std::string m_requestBody;
    std::wstring m_proxy;
    std::wstring m_proxyUser;
    std::wstring m_proxyPassword;
    ProgressCallback m_progress = nullptr;
    void* m_progressContext = nullptr;
    AttemptHook m_attemptHook = nullptr;
    void* m_attemptContext = nullptr;
};
