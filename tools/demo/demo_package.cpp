// Demo installation package of TarvoPDFEditor: behaves as the product's real
// silent package does towards the installer. Started as
//   <package> /S -console=show ... [-demo=OPTIONS] ... /D=<install dir>
// it reports progress, installs the demo application "TarvoPDFEditor.exe"
// and the uninstaller entry "uninst.ep" (both carried as resources) into the
// directory, and reports the facts and "State=Success".
//
// Options (environment variable TARVO_DEMO_PACKAGE and/or -demo=, see
// demo_options.h), for tests and demonstrations:
//   duration=MS     time spent reporting progress (default 1500)
//   fail            report "State=Fail" instead of installing
//   error=TEXT      report "Error=TEXT" instead of installing
//   message=TEXT    report "Message=TEXT" before the result
//   hang[=MS]       stop after the first progress line for MS ms (forever without a value)
//   noep            install and report no uninstaller entry
//   nofinal         end without a "State=" line
//   startup=WORD    "StartupStyle=" word (default NonStartup)
//   version=X.Y.Z   "InstallVersion=" and the version file (default 1.0.0)
//   exitcode=N      the process's exit code (default 0)
//   instpath=TEXT   report "InstPath=TEXT" instead of the directory installed into
#include <windows.h>

#include <string>

#include "tools/demo/demo_options.h"
#include "utils/file_system.h"

namespace {

const int kAppResource = 101;
const int kUninstallerResource = 102;

bool ExtractResource(int id, const std::wstring& path) {
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (info == nullptr) return false;
    HGLOBAL loaded = LoadResource(nullptr, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(nullptr, info);
    if (data == nullptr || size == 0) return false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    CloseHandle(file);
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    CloseHandle(file);
    return ok;
}

}  // namespace

int wmain() {
    const std::wstring commandLine = GetCommandLineW();
    const Demo::Options options = Demo::ReadOptions(L"TARVO_DEMO_PACKAGE", commandLine);
    const Demo::ProtocolWriter out(Demo::HasToken(commandLine, L"-console=show"));
    const int exitCode = Demo::GetInt(options, L"exitcode", 0);

    std::wstring dir = Demo::TextAfterLast(commandLine, L" /D=");
    while (dir.size() > 3 && dir.back() == L'\\') dir.pop_back();
    const std::wstring version = Demo::Get(options, L"version", L"1.0.0");
    out.Line(L"InstallVersion=" + version);

    const int steps = 10;
    const int duration = Demo::GetInt(options, L"duration", 1500);
    for (int i = 0; i <= steps; ++i) {
        out.Progress(static_cast<double>(i) / steps * 0.8);
        if (i == 0 && Demo::Has(options, L"hang")) Demo::Pause(Demo::GetInt(options, L"hang", -1));
        if (i < steps) Demo::Pause(duration / steps);
    }

    if (Demo::Has(options, L"message")) out.Line(L"Message=" + Demo::Get(options, L"message"));
    if (Demo::Has(options, L"error")) {
        out.Line(L"Error=" + Demo::Get(options, L"error"));
        return exitCode != 0 ? exitCode : 1;
    }
    if (Demo::Has(options, L"fail")) {
        out.Line(L"State=Fail");
        return exitCode != 0 ? exitCode : 1;
    }
    if (dir.empty()) {
        out.Line(L"Error=安装包未收到安装目录 (/D=)");
        return 2;
    }
    if (!Utils::CreateDirectories(dir)) {
        out.Line(L"Error=无法创建安装目录: " + dir);
        return 3;
    }
    const std::wstring exePath = dir + L"\\TarvoPDFEditor.exe";
    const std::wstring entryPath = dir + L"\\uninst.ep";
    if (!ExtractResource(kAppResource, exePath)) {
        out.Line(L"Error=无法写入文件: " + exePath);
        return 4;
    }
    out.Progress(0.9);
    const bool withEntry = !Demo::Has(options, L"noep");
    if (withEntry && !ExtractResource(kUninstallerResource, entryPath)) {
        out.Line(L"Error=无法写入文件: " + entryPath);
        return 4;
    }
    WriteText(dir + L"\\version.txt", std::string(version.begin(), version.end()) + "\r\n");
    out.Progress(1.0);

    out.Line(L"InstPath=" + Demo::Get(options, L"instpath", dir));
    out.Line(L"ExePath=" + exePath);
    if (withEntry) out.Line(L"UninstEp=" + entryPath);
    out.Line(L"StartupStyle=" + Demo::Get(options, L"startup", L"NonStartup"));
    if (!Demo::Has(options, L"nofinal")) out.Line(L"State=Success");
    return exitCode;
}
