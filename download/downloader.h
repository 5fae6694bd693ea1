#pragma once
// CDownloader: the contract every downloader fulfils. Start launches a run on
// the downloader's own worker and returns at once; the run tells the listener
// (a StatusCallback copied at construction) how it goes: DL_CODE_START, any
// number of DL_CODE_PROGRESS, at most one DL_CODE_MD5 notice, then exactly one
// of DL_CODE_SUCCESS, DL_CODE_FAIL or DL_CODE_RETRY. On DL_CODE_RETRY (sent at
// most once per downloader) the listener may call Start again, also from
// inside the callback. Listener calls come from the downloader's threads only.
//
// Destroying a downloader stops its run: nothing is reported after that, and
// the destructor returns once its threads no longer touch it. It must not be
// destroyed from inside its own listener.
#include "install/status_codes.h"

class CDownloader {
  public:
    virtual ~CDownloader() = default;
    virtual void Start() = 0;
};
