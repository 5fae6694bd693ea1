// Entry of the installer: one instance per logon session, the command line
// applied over the configuration file (already read into g_settings during
// static initialisation), then the installer's work.
#include <windows.h>

#include "app/single_instance_lock.h"
#include "config/installer_settings.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SingleInstanceLock lock(L"Installer_TarvoPDFEditor");
    lock.Acquire();
    if (!lock.Held()) return -1;

    g_settings.ApplyCommandLine();

    lock.Release();
    return 0;
}
