#include "download/curl_handle.h"

#include <mutex>

void EnsureCurlReady() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

CurlEasyPtr NewCurlEasy() {
    EnsureCurlReady();
    return CurlEasyPtr(curl_easy_init());
}
