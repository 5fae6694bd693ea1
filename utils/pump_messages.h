#pragma once
// Utils::PumpMessages — dispatches the calling thread's messages for about
// 100 ms, so a window stays painted while its thread is about to do something
// short but blocking.
//
// Returns true when it stopped because the time was up; false when `window`
// (may be null) no longer exists or the quit message arrived. A quit message
// seen is posted again with the same exit code, so the caller's loop ends too.
// The time limit is tested only after a message was handled: with no message
// arriving the call can last longer than 100 ms.
#include <windows.h>

namespace Utils {

bool PumpMessages(HWND window);

}  // namespace Utils
