#pragma once
// Scratch places for tests: a directory under the Wine user's temp folder and
// a registry key under HKEY_CURRENT_USER\Software\TarvoTests, both unique per
// process and instance and removed (with everything in them) on destruction.
#include <windows.h>

#include <string>

namespace TestSupport {

class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Path() + "\" + name.
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

    static void RemoveTree(const std::wstring& dir);

  private:
    std::wstring m_path;
};

class ScratchKey {
  public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Root() const { return HKEY_CURRENT_USER; }
    const std::wstring& SubKey() const { return m_subKey; }

  private:
    std::wstring m_subKey;
};

// Writes `bytes` as a file (creating or replacing it); false on failure.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Reads one INI value with the system's profile reader ("" when missing).
std::wstring ReadIni(const std::wstring& file, const std::wstring& section,
                     const std::wstring& key);
bool IsFile(const std::wstring& path);
bool IsDirectory(const std::wstring& path);

}  // namespace TestSupport
