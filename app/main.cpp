// Entry of the installer: one instance per logon session, the command line
// applied over the configuration file (already read into g_settings during
// static initialisation), then the installer's work: with "-silent=true" one
// headless installation whose result is the exit code.
#include <windows.h>

#include "app/headless_run.h"
#include "app/single_instance_lock.h"
#include "config/command_line_options.h"
#include "config/installer_settings.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SingleInstanceLock lock(L"Installer_TarvoPDFEditor");
    lock.Acquire();
    if (!lock.Held()) return -1;

    g_settings.ApplyCommandLine();
    const HeadlessOptions headless =
        ReadHeadlessOptions(CommandLineOptions::FromCommandLine(GetCommandLineW()));
    int result = 0;
    if (headless.silent) result = RunHeadless(headless);

    lock.Release();
    return result;
}
