#include "install/download_installer.h"

#include <mutex>

#include "config/installer_settings.h"
#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "download/win_http_downloader.h"
#include "install/process_id_by_name.h"
#include "utils/debug_log.h"
#include "utils/file_system.h"

namespace {

const wchar_t kPackagePrefix[] = L"\\__Package_";
const wchar_t kProductWord[] = L"TarvoPDFEditor";
const wchar_t kUninstallerCopyName[] = L"\\TarvoPDFEditor_un_asa.exe";

// The package path of the last cleanup, shared by every orchestrator of the
// process, so a package left by an earlier run into another directory goes
// at the next cleanup.
std::mutex g_rememberedLock;
std::wstring g_rememberedPackage;

// The package reports its result before it has ended, and a running program
// cannot be deleted: keep trying for a few seconds before giving up, so a
// finished run does not leave the package behind.
void DeletePackageFile(const std::wstring& path) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (DeleteFileW(path.c_str())) return;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME) {
            return;
        }
        Sleep(100);
    }
}

}  // namespace

std::wstring PackagePathFor(const std::wstring& installDir) {
    return installDir + kPackagePrefix + kProductWord + L".exe";
}

std::wstring UninstallerCopyPathFor(const std::wstring& tempDir) {
    return tempDir.empty() ? std::wstring() : tempDir + kUninstallerCopyName;
}

std::wstring DirectoryOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

CDownloadInstaller::CDownloadInstaller(StatusCallback callback, const std::wstring& downloadUrl,
                                       const std::wstring& oldUninstaller,
                                       const std::wstring& installDir, bool desktopShortcut,
                                       bool quickLaunchShortcut, bool adminAccount)
    : m_callback(std::move(callback)),
      m_downloadUrl(downloadUrl),
      m_oldUninstaller(oldUninstaller),
      m_installDir(installDir),
      m_desktopShortcut(desktopShortcut),
      m_quickLaunchShortcut(quickLaunchShortcut),
      m_adminAccount(adminAccount),
      m_processLookup(ProcessIdByName) {}

CDownloadInstaller::~CDownloadInstaller() {
    // The uninstaller's worker may start the downloader and the downloader's
    // worker the installer runner, so each goes before what it could start.
    m_uninstaller.reset();
    m_downloader.reset();
    m_installer.reset();
    if (!m_uninstallerCopy.empty()) DeleteFileW(m_uninstallerCopy.c_str());
}

void CDownloadInstaller::Configure(const std::wstring& downloadUrl,
                                   const std::wstring& oldUninstaller,
                                   const std::wstring& installDir, bool desktopShortcut,
                                   bool quickLaunchShortcut, bool adminAccount, bool elevated,
                                   const std::wstring& language) {
    m_downloadUrl = downloadUrl;
    m_oldUninstaller = oldUninstaller;
    m_installDir = installDir;
    m_desktopShortcut = desktopShortcut;
    m_quickLaunchShortcut = quickLaunchShortcut;
    m_adminAccount = adminAccount;
    m_elevated = elevated;
    m_language = language;
}

void CDownloadInstaller::SetTempDirectoryForTest(const std::wstring& tempDir) {
    m_tempDirOverridden = true;
    m_tempDirOverride = tempDir;
}

void CDownloadInstaller::SetProcessLookupForTest(std::function<DWORD(const std::wstring&)> lookup) {
    m_processLookup = std::move(lookup);
}

std::wstring CDownloadInstaller::TempDirectory() const {
    return m_tempDirOverridden ? m_tempDirOverride : Utils::GetTempDirectory();
}

void CDownloadInstaller::Start() {
    m_packagePath = PackagePathFor(m_installDir);
    const int downloadType = g_settings.m_DownloadType;
    DEBUG_LOG_VERBATIM(L"CDownloadInstaller::Start", L"DL_TYPE=%d\r\n", downloadType);

    if (!m_downloader) {
        const StatusCallback listener = [this](int code, double progress, const wchar_t* text) {
            OnDownloadEvent(code, progress, text);
        };
        if (downloadType == 2) {
            m_downloader.reset(new WinHttpDownloader(listener, m_downloadUrl, m_packagePath));
        } else if (downloadType == 3) {
            m_downloader.reset(new CMTCurlDownloader(listener, m_downloadUrl, m_packagePath));
        } else {
            m_downloader.reset(new CCurlDownloader(listener, m_downloadUrl, m_packagePath));
        }
    }
    if (!m_installer) {
        m_installer.reset(
            new CInstaller([this](int code, double progress,
                                  const wchar_t* text) { OnInstallEvent(code, progress, text); },
                           L"\"" + m_packagePath + L"\"", m_installDir, m_desktopShortcut,
                           m_quickLaunchShortcut, m_adminAccount));
    }
    m_installer->SetInstallDirectory(m_installDir);
    m_installer->SetDesktopShortcut(m_desktopShortcut);
    m_installer->SetQuickLaunchShortcut(m_quickLaunchShortcut);
    m_installer->SetAdminAccount(m_adminAccount);
    m_installer->SetElevated(m_elevated);
    m_installer->SetLanguage(m_language);

    const DWORD attributes = m_oldUninstaller.empty()
                                 ? INVALID_FILE_ATTRIBUTES
                                 : GetFileAttributesW(m_oldUninstaller.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // The previous run's uninstaller has ended (a run is never in progress
        // here); its worker goes before the copy is replaced.
        m_uninstaller.reset();
        const std::wstring copy = UninstallerCopyPathFor(TempDirectory());
        if (!copy.empty()) {
            // A stale copy must not stand in for a copy that failed.
            DeleteFileW(copy.c_str());
            CopyFileW(m_oldUninstaller.c_str(), copy.c_str(), FALSE);
            m_uninstallerCopy = copy;
        }
        m_uninstaller.reset(
            new UnInstaller([this](int code, double progress,
                                   const wchar_t* text) { OnUninstallEvent(code, progress, text); },
                            copy, DirectoryOf(m_oldUninstaller)));
        if (g_settings.m_InsNew) {
            DWORD running = 0;
            do {
                running = m_processLookup(kApplicationImageName);
                Sleep(m_appWaitPauseMs);
            } while (running != 0);
        }
        m_uninstaller->Start();
        return;
    }
    m_downloader->Start();
}

void CDownloadInstaller::OnDownloadEvent(int code, double progress, const wchar_t* text) {
    m_callback(code, progress, text);
    switch (code) {
        case DL_CODE_START:
            Utils::CreateDirectories(m_installDir);
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnDownloadEvent", L"DL_CODE_START");
            break;
        case DL_CODE_PROGRESS:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnDownloadEvent", L"DL_CODE_PROGRESS");
            break;
        case DL_CODE_SUCCESS:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnDownloadEvent", L"DOWNLOAD_SUCCESS");
            m_installer->Start();
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnDownloadEvent", L"DL_CODE_SUCCESS");
            break;
        case DL_CODE_FAIL:
            CleanupPackage();
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnDownloadEvent", L"DL_CODE_FAIL");
            break;
        case DL_CODE_RETRY:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnDownloadEvent", L"DL_CODE_RETRY");
            m_downloader->Start();
            break;
        default:
            break;
    }
}

void CDownloadInstaller::OnUninstallEvent(int code, double progress, const wchar_t* text) {
    m_callback(code, progress, text);
    switch (code) {
        case UNIST_CODE_START:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnUninstallEvent", L"UNIST_CODE_START");
            break;
        case UNIST_CODE_PROGRESS:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnUninstallEvent", L"UNIST_CODE_PROGRESS");
            break;
        case UNIST_CODE_SUCCESS:
            if (m_installer) m_downloader->Start();
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnUninstallEvent", L"UNIST_CODE_SUCCESS");
            break;
        case UNIST_CODE_FAIL:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnUninstallEvent", L"UNIST_CODE_FAIL");
            break;
        case UNIST_CODE_ERROR:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnUninstallEvent", L"UNIST_CODE_ERROR");
            break;
        default:
            break;
    }
}

void CDownloadInstaller::OnInstallEvent(int code, double progress, const wchar_t* text) {
    m_callback(code, progress, text);
    switch (code) {
        case IST_CODE_START:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnInstallEvent", L"IST_CODE_START");
            break;
        case IST_CODE_PROGRESS:
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnInstallEvent", L"IST_CODE_PROGRESS %d",
                           static_cast<int>(progress * 100));
            break;
        case IST_CODE_SUCCESS:
            CleanupPackage();
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnInstallEvent", L"INSTALL_SUCCESS");
            break;
        case IST_CODE_FAIL:
            CleanupPackage();
            DEBUG_LOG_LINE(L"CDownloadInstaller::OnInstallEvent", L"IST_CODE_FAIL");
            break;
        default:
            break;
    }
}

void CDownloadInstaller::CleanupPackage() {
    DeletePackageFile(m_packagePath);
    std::lock_guard<std::mutex> lock(g_rememberedLock);
    if (!g_rememberedPackage.empty()) DeletePackageFile(g_rememberedPackage);
    g_rememberedPackage = m_packagePath;
}
