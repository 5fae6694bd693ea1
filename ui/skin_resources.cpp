#include "ui/skin_resources.h"

#include <memory>

#include "utils/debug_log.h"

namespace SkinUI {
namespace {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using UniqueFile = std::unique_ptr<void, HandleCloser>;

}  // namespace

CSkinResources& CSkinResources::Process() {
    static CSkinResources instance;
    return instance;
}

void CSkinResources::SetResourcePath(const std::wstring& path) {
    m_resourcePath = path;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') m_resourcePath += L'\\';
}

void CSkinResources::OpenMemoryArchive(const uint8_t* bytes, size_t size) {
    if (m_archiveName == kMemoryArchiveName) return;
    m_archive.reset();
    m_archiveName = kMemoryArchiveName;
    m_keepOpen = true;
    m_archive = CSevenZipArchive::Open(bytes, size);
    if (!m_archive) {
        DEBUG_LOG_LINE(L"CSkinResources::OpenMemoryArchive", L"unreadable archive of %lld bytes",
                       static_cast<long long>(size));
    } else if (!m_archive->Complete()) {
        DEBUG_LOG_LINE(L"CSkinResources::OpenMemoryArchive", L"decoding stopped after %d entries",
                       static_cast<int>(m_archive->Entries().size()));
    }
}

bool CSkinResources::OpenResourceArchive(HMODULE module, int id) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), kSkinResourceType);
    if (!info) return false;
    HGLOBAL loaded = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return false;
    // The decoder reads the archive once; a private copy keeps the resource
    // module free to be released by its owner.
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(data),
                              static_cast<const uint8_t*>(data) + size);
    OpenMemoryArchive(copy.data(), copy.size());
    return true;
}

std::optional<CSkinResources::EntryRef> CSkinResources::FindEntry(const std::wstring& path) const {
    if (!m_archive) return std::nullopt;
    std::wstring wanted = path;
    for (auto& c : wanted) {
        if (c == L'\\') c = L'/';
    }
    const auto& entries = m_archive->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (static_cast<size_t>(e.nameLength) != wanted.size() + 1) continue;
        if (wanted.empty() ||
            CompareStringOrdinal(e.name.data(), static_cast<int>(e.name.size()), wanted.data(),
                                 static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL) {
            return EntryRef{i, e.size};
        }
    }
    return std::nullopt;
}

bool CSkinResources::ExtractEntry(size_t position, std::vector<uint8_t>& destination) const {
    if (!m_archive || position >= m_archive->Entries().size()) return false;
    destination = m_archive->Entries()[position].data;
    return true;
}

bool CSkinResources::ReadFromArchive(const std::wstring& name, size_t limit,
                                     std::vector<uint8_t>& bytes, std::wstring& error) const {
    if (!m_archive) {
        error = L"Error opening zip file";
        return false;
    }
    const auto entry = FindEntry(name);
    if (!entry) {
        error = L"Could not find ziped file";
        return false;
    }
    if (entry->size == 0) {
        error = L"File is empty";
        return false;
    }
    if (entry->size > limit) {
        error = L"File too large";
        return false;
    }
    if (!ExtractEntry(entry->position, bytes)) {
        error = L"Could not unzip file";
        return false;
    }
    return true;
}

bool CSkinResources::ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes,
                                  std::wstring& error) const {
    bytes.clear();
    if (m_archiveName.empty()) {
        return ReadWholeFile(m_resourcePath + name, kMaxSkinFileBytes, bytes, error);
    }
    return ReadFromArchive(name, kMaxSkinFileBytes, bytes, error);
}

bool CSkinResources::ReadPictureBytes(const std::wstring& name, std::vector<uint8_t>& bytes) const {
    std::wstring error;
    bytes.clear();
    if (m_archiveName.empty()) {
        if (ReadWholeFile(m_resourcePath + name, kMaxPictureFileBytes, bytes, error)) return true;
    } else if (ReadFromArchive(name, kMaxPictureFileBytes, bytes, error)) {
        return true;
    }
    return ReadWholeFile(name, kMaxPictureFileBytes, bytes, error);
}

bool ReadWholeFile(const std::wstring& path, size_t limit, std::vector<uint8_t>& bytes,
                   std::wstring& error) {
    bytes.clear();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (file.get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.get(), &size)) {
        error = L"Error opening file";
        return false;
    }
    if (size.QuadPart == 0) {
        error = L"File is empty";
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        error = L"File too large";
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size()) {
        bytes.clear();
        error = L"Could not read file";
        return false;
    }
    return true;
}

}  // namespace SkinUI
