// Demo uninstaller of TarvoPDFEditor, installed by the demo package as
// "uninst.ep". Started (as a copy in the installer's temporary directory) as
//   <copy> /S -adminact=.. -authorizationact=.. -console=show _?=<install dir>
// it removes what the demo package installed there, reporting "Progress=" and
// "State=". It refuses while the application runs.
//
// Options (environment variable TARVO_DEMO_UNINSTALL, see demo_options.h):
//   duration=MS   time spent reporting progress (default 600)
//   fail          report "State=Fail" and remove nothing
//   error=TEXT    report "Error=TEXT" and remove nothing
//   hang[=MS]     stop after the first progress line for MS ms (forever without a value)
//   nofinal       end without a "State=" line
#include <windows.h>

#include <string>

#include "install/process_id_by_name.h"
#include "tools/demo/demo_options.h"

int wmain() {
    const std::wstring commandLine = GetCommandLineW();
    const Demo::Options options = Demo::ReadOptions(L"TARVO_DEMO_UNINSTALL", L"");
    const Demo::ProtocolWriter out(Demo::HasToken(commandLine, L"-console=show"));

    std::wstring dir = Demo::TextAfterLast(commandLine, L" _?=");
    while (dir.size() > 3 && dir.back() == L'\\') dir.pop_back();

    const int steps = 4;
    const int duration = Demo::GetInt(options, L"duration", 600);
    for (int i = 0; i < steps; ++i) {
        out.Progress(static_cast<double>(i) / steps);
        if (i == 0 && Demo::Has(options, L"hang")) Demo::Pause(Demo::GetInt(options, L"hang", -1));
        Demo::Pause(duration / steps);
    }
    if (Demo::Has(options, L"error")) {
        out.Line(L"Error=" + Demo::Get(options, L"error"));
        return 1;
    }
    if (Demo::Has(options, L"fail")) {
        out.Line(L"State=Fail");
        return 1;
    }
    if (dir.empty()) {
        out.Line(L"Error=卸载程序未收到安装目录 (_?=)");
        return 2;
    }
    if (ProcessIdByName(L"TarvoPDFEditor.exe") != 0) {
        out.Line(L"Error=塔沃PDF编辑器正在运行，无法卸载");
        return 3;
    }
    for (const wchar_t* name : {L"TarvoPDFEditor.exe", L"uninst.ep", L"version.txt"}) {
        const std::wstring path = dir + L"\\" + name;
        if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
            GetLastError() != ERROR_PATH_NOT_FOUND) {
            out.Line(L"Error=无法删除文件: " + path);
            return 4;
        }
    }
    // The directory goes too when nothing else (such as the installer's
    // set.ini) is left in it.
    RemoveDirectoryW(dir.c_str());
    out.Progress(1.0);
    if (!Demo::Has(options, L"nofinal")) out.Line(L"State=Success");
    return 0;
}
