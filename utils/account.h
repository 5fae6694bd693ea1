#pragma once
// Administrator and console-user probes. Every failure is a negative answer.
#include <string>

namespace Utils {

// True when the calling thread's (or process's) token is in the local
// Administrators group.
bool IsUserAdmin();
// True when the local account `userName` has the administrator privilege level.
bool IsAdminAccount(const std::wstring& userName);
// User name of the session at the physical console; false and `name`
// untouched when the terminal services cannot tell.
bool GetConsoleUserName(std::wstring& name);

}  // namespace Utils
