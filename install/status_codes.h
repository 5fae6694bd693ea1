#pragma once
// The pipeline's one reporting channel and its full table of codes. Every
// downloader, runner and the orchestration report through a StatusCallback on
// their own worker thread; the text is valid only during the call, so a
// receiver that keeps it copies it. The double is a fraction 0..1 for progress
// codes and a numeric failure code for failures.
#include <functional>

using StatusCallback = std::function<void(int code, double progress, const wchar_t* text)>;

enum StatusCode : int {
    // Download (downloaders).
    DL_CODE_START = 1001,
    DL_CODE_PROGRESS = 1002,
    DL_CODE_SUCCESS = 1003,
    DL_CODE_FAIL = 1004,
    DL_CODE_RETRY = 1005,
    DL_CODE_MD5 = 1006,

    // Installation (installer runner).
    IST_CODE_START = 2001,
    IST_CODE_PROGRESS = 2002,
    IST_CODE_SUCCESS = 2003,
    IST_CODE_FAIL = 2004,

    // Installation facts reported by the package (installer runner).
    IST_CODE_INST_PATH = 3000,
    IST_CODE_EXE_PATH = 3001,
    IST_CODE_UNINST_EXE = 3002,
    IST_CODE_UNINST_EP = 3003,
    IST_CODE_START_URL = 3004,
    IST_CODE_STARTUP_STYLE = 3005,
    // 3006 is not used.
    IST_CODE_TOP_SHOW_DETENTION = 3007,
    IST_CODE_FINISH_CLOSE_DETENTION = 3008,
    IST_CODE_MESSAGE = 3009,

    // Removal of the old version (uninstaller runner). UNIST_CODE_START is
    // defined and handled, but no component sends it.
    UNIST_CODE_START = 5001,
    UNIST_CODE_PROGRESS = 5002,
    UNIST_CODE_SUCCESS = 5003,
    UNIST_CODE_FAIL = 5004,
    UNIST_CODE_ERROR = 5005,
};
