#pragma once
// The one record of effective installer settings. Built-in defaults, then the
// configuration file "OrvanInstallerConfig.ini" beside the executable (read by
// the constructor during static initialisation), then the command line (applied
// by the entry sequence): a switch that is present wins over the file, the file
// wins over the default. Written on the main thread before any worker exists;
// read-only afterwards.
#include <string>

#include "config/command_line_options.h"

// Product identifier of this build and the products whose packages have a
// separate 64-bit route.
constexpr int kRouteProductId = 677;
extern const int k64BitRouteIds[5];

// Route name for a Windows version name, product identifier and WOW64 answer.
std::wstring RouteNameFor(const std::wstring& osVersionName, int productId, bool isWow64);
// Replaces every "${ROUTE}" in `url` with `route`.
std::wstring SubstituteRoute(const std::wstring& url, const std::wstring& route);

// The package URL used when neither the file nor the command line names one.
extern const wchar_t kDefaultDownloadUrl[];
extern const wchar_t kConfigFileName[];

class InstallerSettings {
  public:
    // Defaults, then the configuration file beside the running executable.
    InstallerSettings();
    // Defaults only: for tests, which then load a file or options of their own.
    struct NoConfigFile {};
    explicit InstallerSettings(NoConfigFile);

    void LoadInstallerConfig();
    // Reads the "Install" section of the given INI file; a missing file leaves
    // everything as it is.
    void LoadInstallerConfigFrom(const std::wstring& iniPath);
    // Applies the process command line.
    void ApplyCommandLine();
    void ApplyCommandLine(const CommandLineOptions& options);

    void SetDownloadUrl(const std::wstring& url);
    // Every "${ROUTE}" replaced by the running system's route name.
    static std::wstring ResolveRoute(const std::wstring& url);

    std::wstring m_DownloadUrl;
    int m_DownloadType = 1;
    bool m_IsCheckNet = false;
    double m_DownloadScale = 0.7;
    std::wstring m_InstCmd;
    int m_Language = -1;
    bool m_InsNew = false;

  private:
    void SetDefaults();
    void SetDownloadScale(double scale);
};

// Full path of "OrvanInstallerConfig.ini" beside the running executable.
std::wstring ConfigFilePath();

extern InstallerSettings g_settings;
