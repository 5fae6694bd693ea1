#include "config/installer_settings.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "utils/file_system.h"
#include "utils/os_version.h"
#include "utils/text.h"

InstallerSettings g_settings;

const int k64BitRouteIds[5] = {267, 385, 257, 335, 318};
const wchar_t kDefaultDownloadUrl[] = L"http://${ROUTE}.dl.tarvopdf.com/software/509";
const wchar_t kConfigFileName[] = L"OrvanInstallerConfig.ini";

namespace {

const wchar_t kSection[] = L"Install";
const wchar_t kRoutePlaceholder[] = L"${ROUTE}";
constexpr DWORD kValueChars = 260;

std::wstring ReadProfileString(const std::wstring& path, const wchar_t* key,
                               const wchar_t* fallback) {
    wchar_t buffer[kValueChars] = {};
    GetPrivateProfileStringW(kSection, key, fallback, buffer, kValueChars, path.c_str());
    return buffer;
}

}  // namespace

std::wstring RouteNameFor(const std::wstring& osVersionName, int productId, bool isWow64) {
    if (osVersionName.find(L"XP") != std::wstring::npos) return L"download_silent_xp";
    const bool listed = std::find(std::begin(k64BitRouteIds), std::end(k64BitRouteIds),
                                  productId) != std::end(k64BitRouteIds);
    if (listed && isWow64) return L"download_silent_64";
    return L"download_silent";
}

std::wstring SubstituteRoute(const std::wstring& url, const std::wstring& route) {
    if (url.find(kRoutePlaceholder) == std::wstring::npos) return url;
    return Utils::ReplaceAll(url, kRoutePlaceholder, route);
}

std::wstring InstallerSettings::ResolveRoute(const std::wstring& url) {
    if (url.find(kRoutePlaceholder) == std::wstring::npos) return url;
    std::wstring family, name;
    Utils::GetOsVersionName(family, name);
    return SubstituteRoute(url, RouteNameFor(name, kRouteProductId, Utils::IsWow64()));
}

std::wstring ConfigFilePath() {
    wchar_t exe[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring path(exe, n);
    const size_t slash = path.find_last_of(L"\\/");
    path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    return path + kConfigFileName;
}

InstallerSettings::InstallerSettings() {
    SetDefaults();
    LoadInstallerConfig();
}

InstallerSettings::InstallerSettings(NoConfigFile) { SetDefaults(); }

void InstallerSettings::SetDefaults() {
    SetDownloadUrl(kDefaultDownloadUrl);
    m_DownloadType = 1;
    m_IsCheckNet = false;
    m_DownloadScale = 0.7;
    m_InstCmd.clear();
    m_Language = -1;
    m_InsNew = false;
}

void InstallerSettings::SetDownloadUrl(const std::wstring& url) {
    m_DownloadUrl = ResolveRoute(url);
}

void InstallerSettings::SetDownloadScale(double scale) {
    // The progress formulas need a fraction: not-a-number keeps the previous
    // share, anything else (infinities included) is clamped into 0..1.
    if (std::isnan(scale)) return;
    m_DownloadScale = std::min(1.0, std::max(0.0, scale));
}

void InstallerSettings::LoadInstallerConfig() {
    const std::wstring path = ConfigFilePath();
    if (!path.empty()) LoadInstallerConfigFrom(path);
}

void InstallerSettings::LoadInstallerConfigFrom(const std::wstring& iniPath) {
    if (!Utils::PathExists(iniPath)) return;

    SetDownloadUrl(ReadProfileString(iniPath, L"DownloadUrl", kDefaultDownloadUrl));

    int type = 0;
    switch (ReadLeadingInt(ReadProfileString(iniPath, L"DownloadType", L"1"), type)) {
        case NumberRead::Ok:
            m_DownloadType = type;
            break;
        case NumberRead::None:
            m_DownloadType = 0;
            break;
        case NumberRead::OutOfRange:
            break;
    }

    m_IsCheckNet = ReadProfileString(iniPath, L"IsCheckNet", L"true") == L"true";

    double scale = 0.0;
    if (ReadLeadingDouble(ReadProfileString(iniPath, L"DownloadScale", L"0.7"), scale) !=
        NumberRead::Ok) {
        scale = 0.0;
    }
    SetDownloadScale(scale);

    m_InstCmd = ReadProfileString(iniPath, L"InstCmd", L"");
}

void InstallerSettings::ApplyCommandLine() {
    ApplyCommandLine(CommandLineOptions::FromCommandLine(GetCommandLineW()));
}

void InstallerSettings::ApplyCommandLine(const CommandLineOptions& options) {
    if (options.Has(L"-downloadurl")) SetDownloadUrl(options.GetString(L"-downloadurl"));
    if (options.Has(L"-downloadtype")) {
        m_DownloadType = options.GetInt(L"-downloadtype", m_DownloadType);
    }
    if (options.Has(L"-downloadscale")) {
        SetDownloadScale(options.GetDouble(L"-downloadscale", std::nan("")));
    }
    if (options.Has(L"-ischecknet")) m_IsCheckNet = options.GetBool(L"-ischecknet");
    if (options.Has(L"-instcmd")) m_InstCmd = options.GetString(L"-instcmd");
    if (options.Has(L"-language")) m_Language = options.GetInt(L"-language", m_Language);
    if (options.Has(L"-insnew")) m_InsNew = options.GetBool(L"-insnew");
}
