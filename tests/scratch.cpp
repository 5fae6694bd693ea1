#include "tests/scratch.h"

#include <atomic>

namespace TestSupport {

namespace {
std::atomic<int> g_counter{0};

std::wstring UniqueSuffix() {
    return std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++g_counter);
}
}  // namespace

ScratchDir::ScratchDir() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    m_path = std::wstring(base) + L"tarvo_test_" + UniqueSuffix();
    CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveTree(m_path); }

void ScratchDir::RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

ScratchKey::ScratchKey() : m_subKey(L"Software\\TarvoTests\\key_" + UniqueSuffix()) {}

ScratchKey::~ScratchKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, m_subKey.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, m_subKey.c_str());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        bytes.empty() ||
        (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size());
    CloseHandle(file);
    return ok;
}

std::wstring ReadIni(const std::wstring& file, const std::wstring& section,
                     const std::wstring& key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value, 1024, file.c_str());
    return value;
}

bool IsFile(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace TestSupport
