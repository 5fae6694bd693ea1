#include "utils/os_version.h"

#include <windows.h>

namespace Utils {

std::wstring OsVersionNameFor(unsigned major, unsigned minor, unsigned build, bool serverR2) {
    switch (major) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            return L"XP-";
        case 5:
            if (minor == 0) return L"2K";
            if (minor == 1) return L"XP";
            if (minor == 2) return serverR2 ? L"Server 2003 R2" : L"Server 2003";
            return L"XP+";
        case 6:
            if (minor == 0) return L"Vista";
            if (minor == 1) return L"7";
            if (minor == 2) return L"8";
            if (minor == 3) return L"8.1";
            return L"8.1+";
        case 10:
            return minor == 0 ? L"10" : L"10+";
        default:
            return std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." +
                   std::to_wstring(build & 0xFFFFu);
    }
}

void GetOsVersionName(std::wstring& family, std::wstring& name) {
    family = L"Windows";
    name.clear();
    HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
    if (ntdll == nullptr) {
        name = L"XP-";
        return;
    }
    using VersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    DWORD major = 0, minor = 0, build = 0;
    auto fn = reinterpret_cast<VersionNumbersFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (fn != nullptr) fn(&major, &minor, &build);
    FreeLibrary(ntdll);
    const bool r2 = (major == 5 && minor == 2) && GetSystemMetrics(SM_SERVERR2) != 0;
    name = OsVersionNameFor(major, minor, build & 0xFFFFu, r2);
}

bool IsWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    if (kernel == nullptr) return false;
    auto fn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    if (fn == nullptr) return false;
    BOOL wow = FALSE;
    if (fn(GetCurrentProcess(), &wow)) return wow != FALSE;
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

}  // namespace Utils
