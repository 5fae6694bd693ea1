#pragma once
// Windows version naming for the download route. The naming table is a pure
// function so it can be checked for every version without that Windows at hand.
#include <string>

namespace Utils {

// Name of a Windows version from the kernel's numbers; `serverR2` is the
// Server 2003 R2 indicator (system metric 89), consulted only for 5.2.
std::wstring OsVersionNameFor(unsigned major, unsigned minor, unsigned build, bool serverR2);

// Family is always "Windows"; name per OsVersionNameFor for the running kernel,
// "XP-" when ntdll cannot be loaded.
void GetOsVersionName(std::wstring& family, std::wstring& name);

// True when this is a 32-bit process on 64-bit Windows.
bool IsWow64();

}  // namespace Utils
