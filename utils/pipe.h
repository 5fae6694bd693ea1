#pragma once
// Utils::Pipe — one anonymous pipe whose two ends are created inheritable, so
// either can be handed to a child process. The object owns both handles and
// closes whichever is still open when destroyed; either may be closed (and
// nulled) earlier with CloseRead/CloseWrite.
#include <windows.h>

namespace Utils {

class Pipe {
  public:
    // Throws Utils::Exception when the pipe cannot be created.
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    void CloseRead();
    void CloseWrite();

    HANDLE m_write = nullptr;
    HANDLE m_read = nullptr;
};

}  // namespace Utils
