#include "utils/account.h"

#include <windows.h>
#include <lm.h>
#include <wtsapi32.h>

namespace Utils {

bool IsUserAdmin() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

bool IsAdminAccount(const std::wstring& userName) {
    if (userName.empty()) return false;
    LPBYTE buffer = nullptr;
    if (NetUserGetInfo(nullptr, userName.c_str(), 1, &buffer) != NERR_Success) {
        if (buffer != nullptr) NetApiBufferFree(buffer);
        return false;
    }
    const bool admin =
        buffer != nullptr && reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
    if (buffer != nullptr) NetApiBufferFree(buffer);
    return admin;
}

bool GetConsoleUserName(std::wstring& name) {
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    const DWORD session = WTSGetActiveConsoleSessionId();
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &buffer,
                                     &bytes) ||
        buffer == nullptr) {
        return false;
    }
    name = buffer;
    WTSFreeMemory(buffer);
    return true;
}

}  // namespace Utils
