#include "install/process_id_by_name.h"

#include <tlhelp32.h>

namespace {

// Sole owner of the snapshot handle.
class SnapshotHandle {
  public:
    SnapshotHandle() : m_handle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}
    ~SnapshotHandle() {
        if (Valid()) CloseHandle(m_handle);
    }
    SnapshotHandle(const SnapshotHandle&) = delete;
    SnapshotHandle& operator=(const SnapshotHandle&) = delete;
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Get() const { return m_handle; }

  private:
    HANDLE m_handle;
};

}  // namespace

DWORD ProcessIdByName(const std::wstring& imageName) {
    // Processes still starting may have no name yet; an empty name names nothing.
    if (imageName.empty()) return 0;
    SnapshotHandle snapshot;
    if (!snapshot.Valid()) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot.Get(), &entry)) return 0;
    do {
        if (imageName == entry.szExeFile) return entry.th32ProcessID;
    } while (Process32NextW(snapshot.Get(), &entry));
    return 0;
}
