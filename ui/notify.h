#pragma once
// The notification record that controls send through their window's
// CUIManager, and the listener interface that receives it.
#include <windows.h>

#include <string>

namespace SkinUI {

class CControlUI;

struct TNotify {
    std::wstring type;  // "click", "selectchanged", "tabselect", "timer", ...
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;  // tick count when sent
    POINT mouse{};        // the manager's last mouse position (client coordinates)
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
  public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotify& notify) = 0;
};

}  // namespace SkinUI
