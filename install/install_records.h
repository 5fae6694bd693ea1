#pragma once
// Records of an installation that outlive the installer: the registry values
// that tell the next run where the installed version and its uninstaller entry
// are, the rules for the default and a custom install directory, and the INI
// files ("set.ini" in the install directory, the analytics INI in the per-user
// data directory) that the installed application reads.
//
// Every failure is silent: reads yield empty or default texts, writes are
// skipped. The registry root and key, the environment the directory rules
// depend on and the analytics directory are parameters, so tests use scratch
// keys and temporary folders; the plain overloads use the real locations.
// All functions are called on the UI thread (or the headless run's thread).
#include <windows.h>

#include <string>

// Product folder and file names these records use.
inline constexpr wchar_t kProductFolderName[] = L"TarvoPDFEditor";
inline constexpr wchar_t kUninstallEntryName[] = L"uninst.ep";

// Where the two registry values live.
struct RecordsKey {
    HKEY root;
    std::wstring subKey;
};
// HKEY_CURRENT_USER "Software\OrvanSoft\TarvoPDFEditor".
RecordsKey DefaultRecordsKey();

struct InstallRecords {
    std::wstring installDir;   // "InstallPath"
    std::wstring uninstaller;  // "UnInstallEp", or installDir + "\uninst.ep" when missing
};

// Reads "InstallPath" and "UnInstallEp"; both empty when the key cannot be opened.
InstallRecords ReadInstallRecords(const RecordsKey& key);
InstallRecords ReadInstallRecords();

// Writes "InstallPath" = installDir, and "UnInstallEp" = the entry (the
// reported one, or installDir + "\uninst.ep" when none was reported) only when
// a file exists there. Returns the entry.
std::wstring WriteInstallRecords(const RecordsKey& key, const std::wstring& installDir,
                                 const std::wstring& reportedEntry);
std::wstring WriteInstallRecords(const std::wstring& installDir, const std::wstring& reportedEntry);

// What the default directory depends on besides the old records.
struct InstallDirEnvironment {
    bool adminAccount = false;     // the console user's account is an administrator's
    bool elevated = false;         // this process runs with administrator rights
    std::wstring appData;          // "APPDATA", empty when unreadable
    std::wstring programFilesX86;  // 32-bit program files folder, empty when unavailable
    std::wstring programFiles;     // program files folder, empty when unavailable
};
// The running system's answers (probes, environment, shell folders).
InstallDirEnvironment ProbeInstallDirEnvironment();

struct DefaultDir {
    std::wstring dir;
    bool adminAccount = false;
    bool elevated = false;
};
// The old install directory when its uninstaller file exists; otherwise
// "APPDATA\velmar\TarvoPDFEditor" for an elevated administrator, else the
// program files folder + "\TarvoPDFEditor".
DefaultDir ComputeDefaultInstallDir(const std::wstring& oldInstallDir, bool oldUninstallerExists,
                                    const InstallDirEnvironment& env);
DefaultDir DefaultInstallDir(const std::wstring& oldInstallDir, const std::wstring& oldUninstaller);

// The default itself when `text` names the same directory; otherwise `text`
// with "/" turned into "\" joined with "TarvoPDFEditor".
std::wstring ComputeCustomInstallDir(const std::wstring& text, const std::wstring& defaultDir);
std::wstring CustomInstallDir(const std::wstring& text, const std::wstring& oldInstallDir,
                              const std::wstring& oldUninstaller);

// True only when `chosenDir` is the old install directory and its "set.ini"
// says IsOverride=false (exactly).
bool IsOverrideForbidden(const std::wstring& oldInstallDir, const std::wstring& chosenDir);

// "<base>\OrvanData\TarvoPDFEditor".
std::wstring AnalyticsDataDirUnder(const std::wstring& base);
// Under "APPDATA", or the documents folder shared by all users when unreadable.
std::wstring AnalyticsDataDir();

// Writes "set.ini" in installDir (APPStore = appStore, AppName, a fresh
// DeviceID) and, when analyticsDir exists or can be created, the analytics INI
// path into it and the current local time into the analytics INI.
void WriteInstallIni(const std::wstring& installDir, const std::wstring& analyticsDir,
                     const std::wstring& appStore);
// The same with AnalyticsDataDir() and the running executable's file name.
void WriteInstallIni(const std::wstring& installDir);

// Plain helpers the rules above are built from.
// dir + "\" + name (no second backslash); empty when the result exceeds 260 characters.
std::wstring JoinPath(const std::wstring& dir, const std::wstring& name);
// True when both texts name the same directory: separators "\" and "/" alike,
// repeated and trailing separators ignored, letters compared without case.
bool IsSameDirectory(const std::wstring& a, const std::wstring& b);
// "%d-%02d-%02d %02d:%02d:%02d".
std::wstring FormatUpdateTime(const SYSTEMTIME& time);
// The file name (with extension, without directory) of the running executable.
std::wstring RunningExeFileName();
