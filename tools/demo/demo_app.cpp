// The demo TarvoPDFEditor.exe that the demo package installs: one window that
// says what it is and where it was installed. "-close-after=MS" closes it by
// itself after MS milliseconds (for tests that need the application running
// for a while).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

const UINT_PTR kCloseTimer = 1;
std::wstring g_text;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT area;
            GetClientRect(window, &area);
            InflateRect(&area, -24, -24);
            HFONT font = CreateFontW(-18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                     DEFAULT_PITCH, L"微软雅黑");
            HGDIOBJ old = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, g_text.c_str(), -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK);
            SelectObject(dc, old);
            DeleteObject(font);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_TIMER:
            if (wParam == kCloseTimer) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    g_text = std::wstring(L"塔沃PDF编辑器（演示程序）\n\n") +
             L"This is the demo TarvoPDFEditor installed by the demo package of the "
             L"TarvoPDFEditor online installer. It is not the real PDF editor.\n\n" +
             L"安装位置 / installed at:\n" + path;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"TarvoPDFEditorDemo";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"塔沃PDF编辑器（演示）",
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 560, 300,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;

    const wchar_t* closeAfter = std::wcsstr(commandLine, L"-close-after=");
    if (closeAfter != nullptr) {
        const UINT ms = static_cast<UINT>(std::wcstoul(closeAfter + 13, nullptr, 10));
        SetTimer(window, kCloseTimer, ms, nullptr);
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
