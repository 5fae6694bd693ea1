#pragma once
// The headless run ("-silent=true"): one installation without any window, for
// unattended installs. It makes the checks the main window makes before a run,
// runs the pipeline once with the settings' package URL into the default
// install directory (or the one given by "-installdir="), writes the records
// as the window's finish step does, and reports on the console of its parent
// when there is one: one line per phase, at most one progress line per second.
// The result is a distinct exit code per failure class (HeadlessExit).
//
// Ownership: RunHeadless owns the pipeline and the console output for the
// length of the call; the pipeline's workers only queue copies of their
// events, which the calling thread handles. The calling thread also watches
// the runners' workers, so a worker that ends without a result fails the run
// instead of hanging it.
#include <string>

#include "config/command_line_options.h"
#include "install/install_records.h"
#include "install/pre_run_checks.h"

enum HeadlessExit : int {
    kHeadlessOk = 0,
    kHeadlessAlreadyRunning = 2,    // the application or an old uninstaller copy runs
    kHeadlessInvalidDirectory = 3,  // the install directory cannot be created
    kHeadlessNotEnoughSpace = 4,    // less than 1 GiB free on its drive
    kHeadlessDownloadFailed = 5,    // the package could not be downloaded
    kHeadlessUninstallFailed = 6,   // the old version could not be removed
    kHeadlessInstallFailed = 7,     // the package failed (or its runner ended without a result)
};

struct HeadlessOptions {
    bool silent = false;      // "-silent=true"
    std::wstring installDir;  // "-installdir=", empty for the default
};
HeadlessOptions ReadHeadlessOptions(const CommandLineOptions& options);

// Exit code for a refusing pre-run check (kHeadlessOk for PreRunResult::Ok).
int HeadlessExitFor(PreRunResult result);
// Exit code for a final pipeline event; -1 when `code` is not final.
int HeadlessExitForEvent(int code);
// "-installdir=" as used: blanks, trailing separators and a stray closing
// quote removed (a drive root keeps its backslash).
std::wstring NormalizeInstallDir(const std::wstring& dir);

// Where the run keeps its records; the defaults are the real ones.
struct HeadlessPlaces {
    RecordsKey recordsKey = DefaultRecordsKey();
    std::wstring analyticsDir;  // empty: AnalyticsDataDir()
};

int RunHeadless(const HeadlessOptions& options, const HeadlessPlaces& places = HeadlessPlaces());
