#pragma once
// Owners for libcurl objects, so every easy handle and header list has exactly
// one owner and is released on every path. EnsureCurlReady runs libcurl's
// global initialisation once, thread-safely, before the first handle exists
// (the program never calls the global clean-up).
#include <curl/curl.h>

#include <memory>

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlSlistPtr = std::unique_ptr<curl_slist, CurlSlistDeleter>;

void EnsureCurlReady();
// A new easy handle (null when libcurl cannot create one).
CurlEasyPtr NewCurlEasy();
