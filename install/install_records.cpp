#include "install/install_records.h"

#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "utils/account.h"
#include "utils/file_system.h"
#include "utils/guid.h"

namespace {

const wchar_t kRecordsSubKey[] = L"Software\\OrvanSoft\\TarvoPDFEditor";
const wchar_t kInstallPathValue[] = L"InstallPath";
const wchar_t kUninstallEpValue[] = L"UnInstallEp";
const wchar_t kPerUserBase[] = L"velmar";
const wchar_t kSetIniName[] = L"set.ini";
const wchar_t kAnalyticsIniName[] = L"ORSensorsAnalytics.ini";
// "IsOverride" is read into a buffer of this many characters.
const DWORD kIsOverrideChars = 20;

// Sole owner of one open registry key.
class RegKey {
  public:
    RegKey() = default;
    ~RegKey() {
        if (m_key != nullptr) RegCloseKey(m_key);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool Open(HKEY root, const std::wstring& subKey, REGSAM access) {
        return RegOpenKeyExW(root, subKey.c_str(), 0, access, &m_key) == ERROR_SUCCESS;
    }
    bool Create(HKEY root, const std::wstring& subKey) {
        return RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                               nullptr) == ERROR_SUCCESS;
    }
    // The value's text up to its first NUL; empty when missing or unreadable.
    // The type is not checked: whatever bytes are stored are read as UTF-16.
    std::wstring ReadText(const wchar_t* name) const {
        DWORD bytes = 0;
        if (RegQueryValueExW(m_key, name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
            return std::wstring();
        }
        // One character more than the value (rounded up), zeroed, so the text
        // always ends in a NUL even when the stored value does not.
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
        DWORD size = bytes;
        if (RegQueryValueExW(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                             &size) != ERROR_SUCCESS) {
            return std::wstring();
        }
        return std::wstring(buffer.data());
    }
    // A complete REG_SZ string, the terminating NUL counted in the size.
    void WriteText(const wchar_t* name, const std::wstring& text) const {
        RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

  private:
    HKEY m_key = nullptr;
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool FileExists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ReadEnvironment(const wchar_t* name) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n =
            GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(n + 1);
    }
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
        return std::wstring();
    }
    return path;
}

// Only absolute paths are written to: the profile functions would put a bare
// file name into the Windows directory.
bool IsAbsolute(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) return true;
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

std::vector<std::wstring> Components(const std::wstring& path) {
    std::vector<std::wstring> parts;
    std::wstring current;
    for (wchar_t c : path) {
        if (IsSeparator(c)) {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

size_t LeadingSeparators(const std::wstring& path) {
    size_t n = 0;
    while (n < path.size() && IsSeparator(path[n])) ++n;
    return n < 2 ? n : 2;
}

}  // namespace

RecordsKey DefaultRecordsKey() { return RecordsKey{HKEY_CURRENT_USER, kRecordsSubKey}; }

std::wstring JoinPath(const std::wstring& dir, const std::wstring& name) {
    std::wstring result = dir;
    if (!result.empty() && result.back() != L'\\') result.push_back(L'\\');
    result += name;
    if (result.size() > Utils::kMaxPathChars) return std::wstring();
    return result;
}

bool IsSameDirectory(const std::wstring& a, const std::wstring& b) {
    const std::vector<std::wstring> left = Components(a);
    const std::vector<std::wstring> right = Components(b);
    if (left.empty() || left.size() != right.size()) return false;
    if (LeadingSeparators(a) != LeadingSeparators(b)) return false;
    for (size_t i = 0; i < left.size(); ++i) {
        if (CompareStringOrdinal(left[i].c_str(), static_cast<int>(left[i].size()),
                                 right[i].c_str(), static_cast<int>(right[i].size()),
                                 TRUE) != CSTR_EQUAL) {
            return false;
        }
    }
    return true;
}

std::wstring FormatUpdateTime(const SYSTEMTIME& time) {
    wchar_t text[128] = {};
    swprintf(text, 128, L"%d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay,
             time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::wstring RunningExeFileName() {
    std::vector<wchar_t> path(MAX_PATH + 1);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            const std::wstring full(path.data(), n);
            const size_t slash = full.find_last_of(L"\\/");
            return slash == std::wstring::npos ? full : full.substr(slash + 1);
        }
        path.resize(path.size() * 2);
    }
}

InstallRecords ReadInstallRecords(const RecordsKey& key) {
    InstallRecords records;
    RegKey reg;
    if (!reg.Open(key.root, key.subKey, KEY_READ)) return records;
    records.installDir = reg.ReadText(kInstallPathValue);
    records.uninstaller = reg.ReadText(kUninstallEpValue);
    if (records.uninstaller.empty() && !records.installDir.empty()) {
        records.uninstaller = JoinPath(records.installDir, kUninstallEntryName);
    }
    return records;
}

InstallRecords ReadInstallRecords() { return ReadInstallRecords(DefaultRecordsKey()); }

std::wstring WriteInstallRecords(const RecordsKey& key, const std::wstring& installDir,
                                 const std::wstring& reportedEntry) {
    {
        RegKey reg;
        if (reg.Create(key.root, key.subKey)) reg.WriteText(kInstallPathValue, installDir);
    }
    std::wstring entry = reportedEntry;
    if (entry.empty() && !installDir.empty()) entry = JoinPath(installDir, kUninstallEntryName);
    // An entry that does not exist would make the next run believe nothing is
    // installed there, so the former value is kept instead.
    if (FileExists(entry)) {
        RegKey reg;
        if (reg.Create(key.root, key.subKey)) reg.WriteText(kUninstallEpValue, entry);
    }
    return entry;
}

std::wstring WriteInstallRecords(const std::wstring& installDir,
                                 const std::wstring& reportedEntry) {
    return WriteInstallRecords(DefaultRecordsKey(), installDir, reportedEntry);
}

InstallDirEnvironment ProbeInstallDirEnvironment() {
    InstallDirEnvironment env;
    std::wstring user;
    env.adminAccount = Utils::GetConsoleUserName(user) && Utils::IsAdminAccount(user);
    env.elevated = Utils::IsUserAdmin();
    env.appData = ReadEnvironment(L"APPDATA");
    env.programFilesX86 = ShellFolder(CSIDL_PROGRAM_FILESX86);
    env.programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    return env;
}

DefaultDir ComputeDefaultInstallDir(const std::wstring& oldInstallDir, bool oldUninstallerExists,
                                    const InstallDirEnvironment& env) {
    DefaultDir result;
    result.adminAccount = env.adminAccount;
    result.elevated = env.elevated;
    if (!oldInstallDir.empty() && oldUninstallerExists) {
        result.dir = oldInstallDir;
        return result;
    }
    std::wstring base;
    if (env.adminAccount && env.elevated && !env.appData.empty()) {
        base = JoinPath(env.appData, kPerUserBase);
    } else if (!env.programFilesX86.empty()) {
        base = env.programFilesX86;
    } else {
        base = env.programFiles;
    }
    result.dir = JoinPath(base, kProductFolderName);
    return result;
}

DefaultDir DefaultInstallDir(const std::wstring& oldInstallDir,
                             const std::wstring& oldUninstaller) {
    return ComputeDefaultInstallDir(oldInstallDir, FileExists(oldUninstaller),
                                    ProbeInstallDirEnvironment());
}

std::wstring ComputeCustomInstallDir(const std::wstring& text, const std::wstring& defaultDir) {
    if (IsSameDirectory(defaultDir, text)) return defaultDir;
    std::wstring dir = text;
    for (wchar_t& c : dir) {
        if (c == L'/') c = L'\\';
    }
    return JoinPath(dir, kProductFolderName);
}

std::wstring CustomInstallDir(const std::wstring& text, const std::wstring& oldInstallDir,
                              const std::wstring& oldUninstaller) {
    return ComputeCustomInstallDir(text, DefaultInstallDir(oldInstallDir, oldUninstaller).dir);
}

bool IsOverrideForbidden(const std::wstring& oldInstallDir, const std::wstring& chosenDir) {
    if (oldInstallDir.empty() || !IsSameDirectory(oldInstallDir, chosenDir)) return false;
    const std::wstring ini = JoinPath(chosenDir, kSetIniName);
    if (!IsAbsolute(ini)) return false;
    wchar_t value[kIsOverrideChars] = {};
    GetPrivateProfileStringW(L"Uninstall", L"IsOverride", L"true", value, kIsOverrideChars,
                             ini.c_str());
    return std::wcscmp(value, L"false") == 0;
}

std::wstring AnalyticsDataDirUnder(const std::wstring& base) {
    if (base.empty()) return std::wstring();
    const std::wstring data = JoinPath(base, L"OrvanData");
    return data.empty() ? std::wstring() : JoinPath(data, kProductFolderName);
}

std::wstring AnalyticsDataDir() {
    std::wstring base = ReadEnvironment(L"APPDATA");
    if (base.empty()) base = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    return AnalyticsDataDirUnder(base);
}

void WriteInstallIni(const std::wstring& installDir, const std::wstring& analyticsDir,
                     const std::wstring& appStore) {
    const std::wstring setIni =
        installDir.empty() ? std::wstring() : JoinPath(installDir, kSetIniName);
    const bool haveSetIni = IsAbsolute(setIni);
    if (haveSetIni) {
        WritePrivateProfileStringW(L"Install", L"APPStore", appStore.c_str(), setIni.c_str());
        WritePrivateProfileStringW(L"Install", L"AppName", kProductFolderName, setIni.c_str());
        WritePrivateProfileStringW(L"Install", L"DeviceID", Utils::NewGuidString().c_str(),
                                   setIni.c_str());
    }
    if (!IsAbsolute(analyticsDir) || !Utils::CreateDirectories(analyticsDir)) return;
    const std::wstring analyticsIni = JoinPath(analyticsDir, kAnalyticsIniName);
    if (analyticsIni.empty()) return;
    if (haveSetIni) {
        WritePrivateProfileStringW(L"Install", L"ORSensorsAnalyticsIni", analyticsIni.c_str(),
                                   setIni.c_str());
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    WritePrivateProfileStringW(L"Init", L"UpdateTime", FormatUpdateTime(now).c_str(),
                               analyticsIni.c_str());
}

void WriteInstallIni(const std::wstring& installDir) {
    WriteInstallIni(installDir, AnalyticsDataDir(), RunningExeFileName());
}
