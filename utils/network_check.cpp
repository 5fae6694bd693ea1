#include "utils/network_check.h"

#include <windows.h>
#include <netlistmgr.h>
#include <objbase.h>

#include "utils/debug_log.h"

namespace Utils {

namespace {
// {DCB00C01-570F-4A9B-8D69-199FDBA5723B}
const CLSID kNetworkListManager = {
    0xDCB00C01, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
// {DCB00000-570F-4A9B-8D69-199FDBA5723B}
const IID kINetworkListManager = {
    0xDCB00000, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
}  // namespace

uint32_t NetworkCheckResult(bool managerAvailable, uint32_t flags, bool connectedToInternet) {
    if (!managerAvailable) return 0;
    flags &= 0xFFFFu;
    uint32_t status = 0;
    if (flags == 0) {
        status = 1;
    } else if (!connectedToInternet) {
        status = 2;
    }
    return status * 65536u + flags;
}

uint32_t CheckNetwork() {
    INetworkListManager* manager = nullptr;
    const HRESULT hr = CoCreateInstance(kNetworkListManager, nullptr, CLSCTX_ALL,
                                        kINetworkListManager, reinterpret_cast<void**>(&manager));
    uint32_t result = 0;
    if (SUCCEEDED(hr) && manager != nullptr) {
        NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
        manager->GetConnectivity(&connectivity);
        const uint32_t flags = static_cast<uint32_t>(connectivity);
        VARIANT_BOOL connected = VARIANT_FALSE;
        if (flags == 0) {
            DEBUG_LOG_VERBATIM(L"Utils::CheckNetwork", L"GetConnectivity %d",
                               static_cast<int>(flags));
        } else {
            manager->IsConnectedToInternet(&connected);
            if (connected == VARIANT_FALSE) {
                DEBUG_LOG_VERBATIM(L"Utils::CheckNetwork", L"get_IsConnectedToInternet:%d",
                                   static_cast<int>(connected));
            }
        }
        result = NetworkCheckResult(true, flags, connected != VARIANT_FALSE);
        manager->Release();
    }
    CoFreeUnusedLibraries();
    return result;
}

}  // namespace Utils
