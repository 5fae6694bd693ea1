#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <fstream>
#include <string>

#include "config/installer_settings.h"
#include "utils/os_version.h"

namespace {

const wchar_t kResolvedDefault[] = L"http://download_silent.dl.tarvopdf.com/software/509";

class IniFile {
  public:
    explicit IniFile(const std::string& content) {
        wchar_t base[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, base);
        m_path = std::wstring(base) + L"settings_test_" + std::to_wstring(GetCurrentProcessId()) +
                 L"_" + std::to_wstring(++s_counter) + L".ini";
        std::ofstream out(m_path.c_str(), std::ios::binary);
        out << content;
    }
    ~IniFile() { DeleteFileW(m_path.c_str()); }
    const std::wstring& Path() const { return m_path; }

  private:
    static int s_counter;
    std::wstring m_path;
};
int IniFile::s_counter = 0;

InstallerSettings Fresh() { return InstallerSettings(InstallerSettings::NoConfigFile{}); }

InstallerSettings FromFile(const std::string& content) {
    InstallerSettings s = Fresh();
    IniFile ini(content);
    s.LoadInstallerConfigFrom(ini.Path());
    return s;
}

InstallerSettings FromArgs(InstallerSettings s, const wchar_t* commandLine) {
    s.ApplyCommandLine(CommandLineOptions::FromCommandLine(commandLine));
    return s;
}

TEST(SettingsDefaults, NoFileNoSwitches) {
    const InstallerSettings s = Fresh();
    EXPECT_EQ(s.m_DownloadUrl, kResolvedDefault);
    EXPECT_EQ(s.m_DownloadType, 1);
    EXPECT_FALSE(s.m_IsCheckNet);
    EXPECT_DOUBLE_EQ(s.m_DownloadScale, 0.7);
    EXPECT_EQ(s.m_InstCmd, L"");
    EXPECT_EQ(s.m_Language, -1);
    EXPECT_FALSE(s.m_InsNew);
}

TEST(SettingsDefaults, MissingFileChangesNothing) {
    InstallerSettings s = Fresh();
    s.LoadInstallerConfigFrom(L"C:\\no\\such\\OrvanInstallerConfig.ini");
    EXPECT_EQ(s.m_DownloadUrl, kResolvedDefault);
    EXPECT_FALSE(s.m_IsCheckNet);
}

TEST(SettingsDefaults, GlobalRecordReadsTheFileBesideTheExecutable) {
    const std::wstring path = ConfigFilePath();
    const std::wstring suffix = L"\\OrvanInstallerConfig.ini";
    ASSERT_GT(path.size(), suffix.size());
    EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);
    // No file sits beside the test program, so the global record has the defaults.
    EXPECT_EQ(g_settings.m_DownloadUrl, kResolvedDefault);
    EXPECT_FALSE(g_settings.m_IsCheckNet);
}

TEST(SettingsFile, EmptySectionTurnsTheNetworkCheckOn) {
    const InstallerSettings s = FromFile("[Install]\r\n");
    EXPECT_TRUE(s.m_IsCheckNet);
    EXPECT_EQ(s.m_DownloadUrl, kResolvedDefault);
    EXPECT_EQ(s.m_DownloadType, 1);
    EXPECT_DOUBLE_EQ(s.m_DownloadScale, 0.7);
    EXPECT_EQ(s.m_InstCmd, L"");
}

TEST(SettingsFile, AllKeysAreRead) {
    const InstallerSettings s = FromFile(
        "[Other]\r\nDownloadType=9\r\n"
        "[Install]\r\nDownloadUrl=http://127.0.0.1:8080/${ROUTE}/x/${ROUTE}\r\n"
        "DownloadType=3\r\nIsCheckNet=false\r\nDownloadScale=0.25\r\nInstCmd=/quiet -x\r\n"
        "IsEnableAppSensors=true\r\nDlAppNameSuffix=.dl\r\n");
    EXPECT_EQ(s.m_DownloadUrl, L"http://127.0.0.1:8080/download_silent/x/download_silent");
    EXPECT_EQ(s.m_DownloadType, 3);
    EXPECT_FALSE(s.m_IsCheckNet);
    EXPECT_DOUBLE_EQ(s.m_DownloadScale, 0.25);
    EXPECT_EQ(s.m_InstCmd, L"/quiet -x");
}

TEST(SettingsFile, OddValues) {
    struct Case {
        const char* line;
        int type;
        double scale;
        bool checkNet;
    } cases[] = {
        {"DownloadScale=abc", 1, 0.0, true},   // letters: 0.0, not 0.7
        {"DownloadScale=0.5x", 1, 0.5, true},  // longest numeric prefix
        {"DownloadScale=1.5", 1, 1.0, true},   // clamped into 0..1
        {"DownloadScale=-3", 1, 0.0, true},
        {"DownloadScale=1e999", 1, 1.0, true},  // infinity clamped
        {"DownloadScale=-1e999", 1, 0.0, true},
        {"DownloadScale=nan", 1, 0.0, true},     // a word, not a number
        {"DownloadScale=0x1p-1", 1, 0.0, true},  // no hex: reads the leading 0
        {"DownloadScale= 2.5e-1", 1, 0.25, true},
        {"DownloadType=abc", 0, 0.7, true},
        {"DownloadType=3x", 3, 0.7, true},
        {"DownloadType=-2", -2, 0.7, true},
        {"DownloadType=99999999999", 1, 0.7, true},  // outside 32 bits: previous value
        {"IsCheckNet=TRUE", 1, 0.7, false},          // case-sensitive
        {"IsCheckNet=", 1, 0.7, false},
    };
    for (const auto& c : cases) {
        const InstallerSettings s = FromFile(std::string("[Install]\r\n") + c.line + "\r\n");
        EXPECT_EQ(s.m_DownloadType, c.type) << c.line;
        EXPECT_DOUBLE_EQ(s.m_DownloadScale, c.scale) << c.line;
        EXPECT_EQ(s.m_IsCheckNet, c.checkNet) << c.line;
    }
}

TEST(SettingsFile, LongValuesAreCutTo259Characters) {
    const std::string longCmd(400, 'c');
    const InstallerSettings s = FromFile("[Install]\r\nInstCmd=" + longCmd + "\r\n");
    EXPECT_EQ(s.m_InstCmd, std::wstring(259, L'c'));
}

TEST(SettingsCommandLine, SplittingFollowsTheWindowsRules) {
    const auto args = SplitCommandLine(
        L"\"C:\\Program Files\\inst.exe\" -instcmd=\"/D=C:\\a b\" -x=\\\"q\\\" plain");
    ASSERT_EQ(args.size(), 4u);
    EXPECT_EQ(args[0], L"C:\\Program Files\\inst.exe");
    EXPECT_EQ(args[1], L"-instcmd=/D=C:\\a b");
    EXPECT_EQ(args[2], L"-x=\"q\"");
    EXPECT_EQ(args[3], L"plain");
}

TEST(SettingsCommandLine, OptionsMapAndGetters) {
    const auto o = CommandLineOptions::FromCommandLine(
        L"inst.exe -a=1 -a=2 -b -c=x=y -d=  42abc -e=0.5x -f=true -g=True -h=");
    EXPECT_TRUE(o.Has(L"inst.exe"));  // the program path is an entry too
    EXPECT_EQ(o.GetString(L"inst.exe"), L"");
    EXPECT_EQ(o.GetString(L"-a"), L"1");  // first occurrence wins
    EXPECT_TRUE(o.Has(L"-b"));
    EXPECT_EQ(o.GetString(L"-b"), L"");
    EXPECT_EQ(o.GetString(L"-c"), L"x=y");
    EXPECT_EQ(o.GetString(L"42abc"), L"");  // separate argument, not a value
    EXPECT_EQ(o.GetInt(L"-d"), 0);
    EXPECT_EQ(o.GetInt(L"-a"), 1);
    EXPECT_EQ(o.GetInt(L"-missing"), 0);
    EXPECT_DOUBLE_EQ(o.GetDouble(L"-e", 9.0), 0.5);
    EXPECT_DOUBLE_EQ(o.GetDouble(L"-c", 9.0), 9.0);
    EXPECT_DOUBLE_EQ(o.GetDouble(L"-missing", 7.0), 7.0);
    EXPECT_TRUE(o.GetBool(L"-f"));
    EXPECT_FALSE(o.GetBool(L"-g"));
    EXPECT_FALSE(o.GetBool(L"-h"));
    EXPECT_FALSE(o.GetBool(L"-missing"));
    EXPECT_FALSE(o.Has(L"-A"));  // case-sensitive names
}

TEST(SettingsCommandLine, SwitchesOverrideTheFile) {
    IniFile ini(
        "[Install]\r\nDownloadUrl=http://file/pkg\r\nDownloadType=2\r\nIsCheckNet=true\r\n"
        "DownloadScale=0.4\r\nInstCmd=fromfile\r\n");
    InstallerSettings s = Fresh();
    s.LoadInstallerConfigFrom(ini.Path());
    s = FromArgs(s,
                 L"inst.exe -downloadurl=http://a/${ROUTE} -downloadurl=http://b "
                 L"-downloadtype=3 -ischecknet=false -downloadscale=0.9 -instcmd=/x "
                 L"-language=2 -insnew=true");
    EXPECT_EQ(s.m_DownloadUrl, L"http://a/download_silent");
    EXPECT_EQ(s.m_DownloadType, 3);
    EXPECT_FALSE(s.m_IsCheckNet);
    EXPECT_DOUBLE_EQ(s.m_DownloadScale, 0.9);
    EXPECT_EQ(s.m_InstCmd, L"/x");
    EXPECT_EQ(s.m_Language, 2);
    EXPECT_TRUE(s.m_InsNew);

    // Absent switches leave the file's values.
    InstallerSettings t = Fresh();
    t.LoadInstallerConfigFrom(ini.Path());
    t = FromArgs(t, L"inst.exe -language=1");
    EXPECT_EQ(t.m_DownloadUrl, L"http://file/pkg");
    EXPECT_EQ(t.m_DownloadType, 2);
    EXPECT_TRUE(t.m_IsCheckNet);
    EXPECT_DOUBLE_EQ(t.m_DownloadScale, 0.4);
    EXPECT_EQ(t.m_InstCmd, L"fromfile");
}

TEST(SettingsCommandLine, PresentSwitchesWithOddValues) {
    InstallerSettings base = Fresh();
    base.m_DownloadType = 3;
    base.m_Language = 4;
    base.m_IsCheckNet = true;
    base.m_InsNew = true;
    base.m_DownloadScale = 0.6;
    struct Case {
        const wchar_t* line;
        int type, language;
        double scale;
        bool checkNet, insNew;
        const wchar_t* url;
    } cases[] = {
        {L"i -downloadtype= -language=x", 0, 0, 0.6, true, true, nullptr},
        {L"i -downloadtype=99999999999 -language=-99999999999", 3, 4, 0.6, true, true, nullptr},
        {L"i -downloadtype=-2147483648 -language=2147483647", INT_MIN, INT_MAX, 0.6, true, true,
         nullptr},
        {L"i -downloadscale", 3, 4, 0.6, true, true, nullptr},  // no number: kept
        {L"i -downloadscale=abc", 3, 4, 0.6, true, true, nullptr},
        {L"i -downloadscale=0.5x", 3, 4, 0.5, true, true, nullptr},
        {L"i -downloadscale=7", 3, 4, 1.0, true, true, nullptr},
        {L"i -downloadscale=-0.1", 3, 4, 0.0, true, true, nullptr},
        {L"i -downloadscale=1e400", 3, 4, 1.0, true, true, nullptr},
        {L"i -ischecknet=TRUE -insnew", 3, 4, 0.6, false, false, nullptr},
        {L"i -ischecknet=true -insnew=true", 3, 4, 0.6, true, true, nullptr},
        {L"i -downloadurl=", 3, 4, 0.6, true, true, L""},
        {L"i -downloadurl=http://h/${ROUTE}/p?a=b", 3, 4, 0.6, true, true,
         L"http://h/download_silent/p?a=b"},
        {L"i -DownloadType=2 downloadtype=2", 3, 4, 0.6, true, true, nullptr},  // not our switches
    };
    for (const auto& c : cases) {
        const InstallerSettings s = FromArgs(base, c.line);
        const std::string label(c.line, c.line + wcslen(c.line));
        EXPECT_EQ(s.m_DownloadType, c.type) << label;
        EXPECT_EQ(s.m_Language, c.language) << label;
        EXPECT_DOUBLE_EQ(s.m_DownloadScale, c.scale) << label;
        EXPECT_EQ(s.m_IsCheckNet, c.checkNet) << label;
        EXPECT_EQ(s.m_InsNew, c.insNew) << label;
        EXPECT_EQ(s.m_DownloadUrl, c.url ? std::wstring(c.url) : base.m_DownloadUrl) << label;
    }
}

TEST(SettingsRoute, NameForEachSystem) {
    struct Case {
        const wchar_t* os;
        int product;
        bool wow;
        const wchar_t* route;
    } cases[] = {
        {L"XP", kRouteProductId, false, L"download_silent_xp"},
        {L"XP-", kRouteProductId, true, L"download_silent_xp"},
        {L"XP+", 267, true, L"download_silent_xp"},
        {L"2K", kRouteProductId, false, L"download_silent"},
        {L"Server 2003", kRouteProductId, false, L"download_silent"},
        {L"Server 2003 R2", kRouteProductId, true, L"download_silent"},
        {L"10", kRouteProductId, true, L"download_silent"},  // 677 is not listed
        {L"10", kRouteProductId, false, L"download_silent"},
        {L"10", 267, true, L"download_silent_64"},
        {L"7", 318, true, L"download_silent_64"},
        {L"7", 318, false, L"download_silent"},
        {L"8.1", 385, true, L"download_silent_64"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RouteNameFor(c.os, c.product, c.wow), c.route) << c.product;
    }
}

TEST(SettingsRoute, Substitution) {
    const std::wstring url = L"http://h/${ROUTE}/software/${ROUTE}";
    std::wstring family, name;
    Utils::GetOsVersionName(family, name);
    EXPECT_EQ(SubstituteRoute(L"http://h/${ROUTE}/p", RouteNameFor(L"XP", kRouteProductId, false)),
              L"http://h/download_silent_xp/p");
    EXPECT_EQ(InstallerSettings::ResolveRoute(url),
              L"http://h/download_silent/software/download_silent");
    EXPECT_EQ(InstallerSettings::ResolveRoute(L"http://h/p"), L"http://h/p");
    EXPECT_EQ(InstallerSettings::ResolveRoute(L"http://h/${route}"), L"http://h/${route}");
}

}  // namespace
