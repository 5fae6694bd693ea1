#include "tests/download/test_server.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "download/curl_handle.h"
#include "utils/text.h"

namespace TestSupport {
namespace {

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

}  // namespace

std::string ServerBase() {
    const char* base = std::getenv("TARVO_TEST_SERVER");
    return base ? std::string(base) : std::string();
}

std::string PackageUrl(const std::string& options) { return ServerBase() + "/start/" + options; }

std::wstring PackageUrlW(const std::string& options) {
    return Utils::AnsiToWide(PackageUrl(options), CP_UTF8);
}

std::string FetchText(const std::string& path) {
    CurlEasyPtr curl = NewCurlEasy();
    if (!curl) return std::string();
    std::string body;
    const std::string url = ServerBase() + path;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 20L);
    if (curl_easy_perform(curl.get()) != CURLE_OK) return std::string();
    return body;
}

std::string PackageMd5(const std::string& options) {
    const std::string info = FetchText("/info/" + options);
    return info.substr(0, info.find(' '));
}

std::vector<std::string> RequestLog(const std::string& id) {
    std::vector<std::string> lines;
    const std::string text = FetchText("/log/" + id);
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find('\n', pos);
        lines.push_back(text.substr(pos, end - pos));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return lines;
}

ScratchDir::ScratchDir() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    for (;;) {
        wchar_t name[64];
        swprintf(name, 64, L"tarvo-dl-%lu-%ld\\", GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        m_path = std::wstring(temp) + name;
        if (CreateDirectoryW(m_path.c_str(), nullptr)) break;
    }
}

ScratchDir::~ScratchDir() {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((m_path + L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryW((m_path + name).c_str());
            } else {
                DeleteFileW((m_path + name).c_str());
            }
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(m_path.c_str());
}

int64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string out;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

}  // namespace TestSupport
