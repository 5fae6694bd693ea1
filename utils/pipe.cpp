#include "utils/pipe.h"

#include "utils/exception.h"

namespace Utils {

Pipe::Pipe() {
    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(security);
    security.bInheritHandle = TRUE;
    if (!CreatePipe(&m_read, &m_write, &security, 0)) {
        CloseRead();
        CloseWrite();
        throw Exception();
    }
}

Pipe::~Pipe() {
    CloseRead();
    CloseWrite();
}

void Pipe::CloseRead() {
    if (m_read != nullptr) CloseHandle(m_read);
    m_read = nullptr;
}

void Pipe::CloseWrite() {
    if (m_write != nullptr) CloseHandle(m_write);
    m_write = nullptr;
}

}  // namespace Utils
