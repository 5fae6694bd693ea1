#include "download/package_integrity.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "download/file_ptr.h"
#include "download/md5.h"
#include "utils/text.h"

std::string GetFileMd5(const std::wstring& path) {
    if (path.empty()) return std::string();
    try {
        FilePtr file(_wfopen(path.c_str(), L"rb"));
        if (!file) return std::string();
        // Large unbuffered reads: the digest runs at memory speed, so the
        // per-call cost of small reads would dominate under Wine.
        setvbuf(file.get(), nullptr, _IONBF, 0);
        std::vector<unsigned char> buffer(1 << 20);
        Download::Md5 md5;
        for (;;) {
            const size_t n = fread(buffer.data(), 1, buffer.size(), file.get());
            if (n > 0) md5.Update(buffer.data(), n);
            if (n < buffer.size()) break;
        }
        // A read error is not the end of the file: the digest would be of a
        // prefix, so it is no digest at all.
        if (ferror(file.get())) return std::string();
        return md5.FinishHex();
    } catch (...) {
        return std::string();
    }
}

std::string GetFileMd5(const std::string& ansiPath) {
    if (ansiPath.empty()) return std::string();
    const std::wstring wide = Utils::AnsiToWide(ansiPath, 0);
    if (wide.empty()) return std::string();
    return GetFileMd5(wide);
}

std::string GetUrlMd5(const std::string& url) {
    if (url.empty()) return std::string();
    const size_t last = url.rfind('/');
    if (last == std::string::npos) return std::string();
    const std::string head = url.substr(0, last);
    const size_t previous = head.rfind('/');
    if (previous == std::string::npos) return std::string();
    return head.substr(previous + 1);
}
