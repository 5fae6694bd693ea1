#pragma once
// CInstaller — runs the downloaded package silently and turns its output into
// status events.
//
// Start() composes the package's command line from the current options and
// the extra installer arguments of g_settings, then runs the package on a
// worker thread named "ABDEF": it reports IST_CODE_START and IST_CODE_PROGRESS
// (0.0), launches the package with its standard output piped back, parses the
// output (CInstaller::Parse) every 100 ms and ends with exactly one final
// event: the package's own final line (success or failure), IST_CODE_SUCCESS
// with 1.0 when the package ended without one, or IST_CODE_FAIL with 1.0 (no
// package command) or 2.0 (launch failed, including a command line too long
// for the launcher). Every event arrives on the worker thread.
//
// After a final line nothing more is reported, but the output is still
// drained until the package ends, so a package that keeps writing cannot
// block against the wait for it. The package's exit code is not examined.
//
// Ownership: the runner owns its worker and, through the worker, the child.
// The orchestrator sets the options before a start and not during a run.
// Destruction waits for the worker (and so for the package) to end.
#include <windows.h>

#include <memory>
#include <string>

#include "install/output_protocol.h"
#include "install/status_codes.h"
#include "utils/thread.h"

struct InstallCommandLineParts {
    std::wstring packageCommand;  // the package path in double quotes
    bool adminAccount = false;
    bool elevated = true;
    bool desktopShortcut = false;
    bool quickLaunchShortcut = false;
    std::wstring language;          // omitted when empty
    std::wstring extraArgs;         // verbatim, omitted when empty
    std::wstring installDirectory;  // omitted when empty
};

// The package's silent command line, piece by piece in its fixed order.
std::wstring ComposeInstallCommandLine(const InstallCommandLineParts& parts);

class CInstaller {
  public:
    CInstaller(StatusCallback callback, const std::wstring& packageCommand,
               const std::wstring& installDirectory, bool desktopShortcut, bool quickLaunchShortcut,
               bool adminAccount);
    ~CInstaller();
    CInstaller(const CInstaller&) = delete;
    CInstaller& operator=(const CInstaller&) = delete;

    void SetInstallDirectory(const std::wstring& directory) { m_installDirectory = directory; }
    void SetDesktopShortcut(bool on) { m_desktopShortcut = on; }
    void SetQuickLaunchShortcut(bool on) { m_quickLaunchShortcut = on; }
    void SetAdminAccount(bool on) { m_adminAccount = on; }
    void SetElevated(bool on) { m_elevated = on; }
    void SetLanguage(const std::wstring& language) { m_language = language; }

    // Composes the command line, replaces an earlier worker (waiting for it)
    // and starts a new run. Returns at once.
    void Start();
    // The command line for the current options.
    std::wstring ComposeCommandLine() const;
    // Parses one piece of decoded output (see install/output_protocol.h).
    int Parse(const std::wstring& text);

    // Waits up to `timeoutMs` for the current run to end; true when no run is
    // in progress afterwards.
    bool Wait(DWORD timeoutMs) const;
    const std::wstring& CommandLine() const { return m_commandLine; }
    int CodePage() const { return m_protocol.codePage; }
    const int* Version() const { return m_protocol.version; }
    const Utils::Thread* Worker() const { return m_worker.get(); }

    // Test seam: the pause between reads (100 ms).
    void SetReadPause(DWORD ms) { m_readPauseMs = ms; }

  private:
    void Run();
    void Report(int code, double progress, const wchar_t* text);

    StatusCallback m_callback;
    std::wstring m_packageCommand;
    std::wstring m_installDirectory;
    std::wstring m_commandLine;
    bool m_desktopShortcut;
    bool m_quickLaunchShortcut;
    bool m_adminAccount;
    bool m_elevated = true;
    std::wstring m_language;
    Install::ProtocolState m_protocol;
    DWORD m_readPauseMs = 100;
    std::unique_ptr<Utils::Thread> m_worker;
    // A worker replaced from inside its own run cannot be waited for there;
    // it is kept here and joined by the next replacement or the destructor.
    std::unique_ptr<Utils::Thread> m_retired;
};
