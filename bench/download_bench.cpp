// Benchmark driver for the download engine, run by bench/run.sh under Wine.
// Each mode does one operation and prints "seconds=<s> peak_ws=<bytes>" plus
// mode-specific fields; the script computes ratios against peers it measured
// in the same run. Not a test: it asserts nothing.
#include <windows.h>
#include <psapi.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "download/curl_client.h"
#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "download/md5.h"
#include "download/package_integrity.h"
#include "download/streaming_md5.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

unsigned long long PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

struct Finals {
    std::mutex mutex;
    std::condition_variable cv;
    int code = 0;
    double progress = 0.0;
    StatusCallback Callback() {
        return [this](int c, double p, const wchar_t*) {
            if (c != DL_CODE_SUCCESS && c != DL_CODE_FAIL && c != DL_CODE_RETRY) return;
            std::lock_guard<std::mutex> lock(mutex);
            code = c;
            progress = p;
            cv.notify_all();
        };
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex);
        cv.wait(lock, [this] { return code != 0; });
    }
};

template <typename Downloader>
int RunDownloader(const std::wstring& url, const std::wstring& target) {
    Finals finals;
    Downloader downloader(finals.Callback(), url, target);
    const double begin = Now();
    downloader.Start();
    finals.Wait();
    const double seconds = Now() - begin;
    wprintf(L"seconds=%.4f peak_ws=%llu code=%d result=%g\n", seconds, PeakWorkingSet(),
            finals.code, finals.progress);
    return finals.code == DL_CODE_SUCCESS ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr,
                 L"usage: download_bench transfer|transfer-digest|downloader|mt|md5|stream-md5 "
                 L"<url|file> [target]\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    if (mode == L"md5") {
        const double begin = Now();
        const std::string digest = GetFileMd5(std::wstring(argv[2]));
        const double seconds = Now() - begin;
        wprintf(L"seconds=%.4f peak_ws=%llu md5=%hs\n", seconds, PeakWorkingSet(), digest.c_str());
        return digest.empty() ? 1 : 0;
    }
    if (mode == L"stream-md5") {
        // The streamed digest alone: 256 MiB from memory in libcurl-sized pieces.
        std::string piece(512 * 1024, 'x');
        StreamingMd5 md5;
        const double begin = Now();
        md5.Begin();
        for (int i = 0; i < 512; ++i) md5.Feed(piece.data(), piece.size());
        const std::string digest = md5.Finish();
        const double seconds = Now() - begin;
        Download::Md5 direct;
        const double begin2 = Now();
        for (int i = 0; i < 512; ++i) direct.Update(piece.data(), piece.size());
        direct.FinishHex();
        const double seconds2 = Now() - begin2;
        wprintf(L"seconds=%.4f direct=%.4f md5=%hs\n", seconds, seconds2, digest.c_str());
        return 0;
    }
    if (argc < 4) return 2;
    const std::wstring url = argv[2];
    const std::wstring target = argv[3];
    if (mode == L"transfer" || mode == L"transfer-digest") {
        CurlClient client(url, target, nullptr);
        client.SetStreamDigest(mode == L"transfer-digest");
        const double begin = Now();
        const int result = client.Start();
        const double seconds = Now() - begin;
        wprintf(L"seconds=%.4f peak_ws=%llu result=%d\n", seconds, PeakWorkingSet(), result);
        return result == 0 ? 0 : 1;
    }
    if (mode == L"downloader") return RunDownloader<CCurlDownloader>(url, target);
    if (mode == L"mt") return RunDownloader<CMTCurlDownloader>(url, target);
    return 2;
}
