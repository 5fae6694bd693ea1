#include "utils/pump_messages.h"

#include <mmsystem.h>

namespace Utils {

bool PumpMessages(HWND window) {
    const DWORD start = timeGetTime();
    bool timeUp = false;
    bool sawQuit = false;
    WPARAM quitCode = 0;
    for (;;) {
        if (window != nullptr && !IsWindow(window)) break;
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            sawQuit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) break;  // invalid arguments; nothing sensible left to pump
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (timeGetTime() - start > 100) {
            timeUp = true;
            break;
        }
    }
    if (sawQuit) PostQuitMessage(static_cast<int>(quitCode));
    return timeUp;
}

}  // namespace Utils
