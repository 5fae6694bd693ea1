#pragma once
// UnInstaller — runs the old version's uninstaller (a temporary copy of it)
// silently and turns its output into status events.
//
// Start() composes the command line
//   "<path>" /S -adminact=<b> -authorizationact=<b> -console=show _?=<old dir>
// (the probes are asked at each start; the old directory stays last and
// unquoted, as silent uninstallers require) and runs the child on a worker
// named "UnInstaller". A missing file gives UNIST_CODE_FAIL with 1.0 and
// "可执行卸载文件不存在"; a failed launch (also a command line too long for the
// launcher) UNIST_CODE_FAIL with 2.0. Otherwise UNIST_CODE_PROGRESS (0.0)
// comes first and the output is parsed in the uninstallation dialect, without
// a pause, until the child ends; what it wrote before ending is still read. A
// final line does not stop the reading but suppresses the closing
// UNIST_CODE_SUCCESS with 1.0. UNIST_CODE_START is never sent. Every event
// arrives on the worker thread.
//
// Ownership: the runner owns its worker and, through it, the child; fields
// are fixed at construction. Destruction waits for the worker to end.
#include <windows.h>

#include <memory>
#include <string>

#include "install/output_protocol.h"
#include "install/status_codes.h"
#include "utils/thread.h"

// The uninstaller's command line for the given parts.
std::wstring ComposeUninstallCommandLine(const std::wstring& uninstallerPath, bool adminAccount,
                                         bool elevated, const std::wstring& oldInstallDirectory);

extern const wchar_t kUninstallerMissingText[];

class UnInstaller {
  public:
    UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath,
                const std::wstring& oldInstallDirectory);
    ~UnInstaller();
    UnInstaller(const UnInstaller&) = delete;
    UnInstaller& operator=(const UnInstaller&) = delete;

    void Start();
    // The command line with the probes asked now.
    std::wstring ComposeCommandLine() const;
    // Parses one piece of decoded output in the uninstallation dialect.
    int Parse(const std::wstring& text);

    bool Wait(DWORD timeoutMs) const;
    const std::wstring& CommandLine() const { return m_commandLine; }
    int CodePage() const { return m_protocol.codePage; }
    const Utils::Thread* Worker() const { return m_worker.get(); }

  private:
    void Run();
    void Report(int code, double progress, const wchar_t* text);

    StatusCallback m_callback;
    std::wstring m_uninstallerPath;
    std::wstring m_oldInstallDirectory;
    std::wstring m_commandLine;
    Install::ProtocolState m_protocol;
    std::unique_ptr<Utils::Thread> m_worker;
    std::unique_ptr<Utils::Thread> m_retired;  // see CInstaller
};
