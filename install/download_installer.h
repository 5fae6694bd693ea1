#pragma once
// CDownloadInstaller — drives one installation: removes the recorded old
// version (a copy of its uninstaller run from the installer's temporary
// directory), downloads the package into the install directory with the
// downloader chosen by the download type, runs the package silently, and
// deletes the package afterwards.
//
// Every event of every phase goes first, unchanged, to the owner's callback;
// the phases are chained inside those events on the components' own workers
// (uninstall success starts the download, download success starts the
// installer runner, a download retry restarts the downloader). The
// orchestrator reports nothing of its own: a failure reaches the owner as the
// event of the component that failed.
//
// Ownership: owns the downloader and the installer runner (created at the
// first Start and kept, with the URL, package path and package command of
// that start) and the uninstaller runner (new at every Start that finds an
// old version). Configure and Start run on the owner's thread, never while a
// run is in progress. The owner's callback must be safe to call from any
// thread. Destruction waits for the components' workers to end (uninstaller
// runner, then downloader, then installer runner, so no worker can start a
// component that is already gone).
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "download/downloader.h"
#include "install/installer.h"
#include "install/status_codes.h"
#include "install/uninstaller.h"

// Image name of the application probed by the install-anew wait.
inline constexpr wchar_t kApplicationImageName[] = L"TarvoPDFEditor.exe";

// install directory + "\__Package_TarvoPDFEditor.exe".
std::wstring PackagePathFor(const std::wstring& installDir);
// tempDir (ends with a backslash) + "\TarvoPDFEditor_un_asa.exe"; empty when
// there is no temporary directory.
std::wstring UninstallerCopyPathFor(const std::wstring& tempDir);
// The path without its last component.
std::wstring DirectoryOf(const std::wstring& path);

class CDownloadInstaller {
  public:
    CDownloadInstaller(StatusCallback callback, const std::wstring& downloadUrl,
                       const std::wstring& oldUninstaller, const std::wstring& installDir,
                       bool desktopShortcut, bool quickLaunchShortcut, bool adminAccount);
    ~CDownloadInstaller();
    CDownloadInstaller(const CDownloadInstaller&) = delete;
    CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

    void Configure(const std::wstring& downloadUrl, const std::wstring& oldUninstaller,
                   const std::wstring& installDir, bool desktopShortcut, bool quickLaunchShortcut,
                   bool adminAccount, bool elevated, const std::wstring& language);
    // Begins a run; returns once the first phase is on its worker (after the
    // install-anew wait for the application, when that applies).
    void Start();

    // Read-only views for owners that watch the workers and for tests.
    const CInstaller* Installer() const { return m_installer.get(); }
    const UnInstaller* Uninstaller() const { return m_uninstaller.get(); }
    const std::wstring& PackagePath() const { return m_packagePath; }

    // Test seams: where the uninstaller copy goes (default: the installer's
    // temporary directory), how the application is looked up and how long the
    // install-anew wait pauses between looks (100 ms).
    void SetTempDirectoryForTest(const std::wstring& tempDir);
    void SetProcessLookupForTest(std::function<DWORD(const std::wstring&)> lookup);
    void SetAppWaitPauseForTest(DWORD ms) { m_appWaitPauseMs = ms; }

  private:
    void OnDownloadEvent(int code, double progress, const wchar_t* text);
    void OnUninstallEvent(int code, double progress, const wchar_t* text);
    void OnInstallEvent(int code, double progress, const wchar_t* text);
    void CleanupPackage();
    std::wstring TempDirectory() const;

    StatusCallback m_callback;
    std::wstring m_downloadUrl;
    std::wstring m_oldUninstaller;
    std::wstring m_installDir;
    std::wstring m_packagePath;
    std::wstring m_language;
    bool m_desktopShortcut;
    bool m_quickLaunchShortcut;
    bool m_adminAccount;
    bool m_elevated = false;

    bool m_tempDirOverridden = false;
    std::wstring m_tempDirOverride;
    std::function<DWORD(const std::wstring&)> m_processLookup;
    DWORD m_appWaitPauseMs = 100;
    std::wstring m_uninstallerCopy;

    // Declared in reverse order of destruction (see the header comment).
    std::unique_ptr<CInstaller> m_installer;
    std::unique_ptr<CDownloader> m_downloader;
    std::unique_ptr<UnInstaller> m_uninstaller;
};
