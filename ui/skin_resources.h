#pragma once
// Where skin files and pictures come from: the process-wide skin resource
// module. It owns the one in-memory 7z skin archive (opened by the first
// skinned window from the program's "ZIPRES" resource, kept for the whole
// process, never replaced) or, while no archive is open, reads loose files
// below the resource path. Used on the UI thread only; tests make their own
// instances.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/seven_zip_archive.h"

namespace SkinUI {

// The archive name that marks the in-memory archive.
inline constexpr wchar_t kMemoryArchiveName[] = L"membuffer";
// Resource type name and id of the packed skin.
inline constexpr wchar_t kSkinResourceType[] = L"ZIPRES";
inline constexpr int kSkinResourceId = 147;

class CSkinResources {
  public:
    // Largest skin file handed to the markup parser (4 MiB).
    static constexpr size_t kMaxSkinFileBytes = 4194304;
    // Largest picture file read (pictures have no size rule of their own; this
    // cap only keeps a hostile file from exhausting memory).
    static constexpr size_t kMaxPictureFileBytes = 80u << 20;

    // The process-wide instance.
    static CSkinResources& Process();

    CSkinResources() = default;
    CSkinResources(const CSkinResources&) = delete;
    CSkinResources& operator=(const CSkinResources&) = delete;

    // Stores the base for loose files, adding a backslash unless the path is
    // empty or already ends in "\" or "/".
    void SetResourcePath(const std::wstring& path);
    const std::wstring& ResourcePath() const { return m_resourcePath; }
    // Set by the entry sequence before the first window: archives are 7z.
    void SetSevenZip(bool on) { m_sevenZip = on; }
    bool IsSevenZip() const { return m_sevenZip; }
    const std::wstring& ArchiveName() const { return m_archiveName; }
    bool KeepOpen() const { return m_keepOpen; }
    // The open archive, or null (never opened, or its database was unreadable).
    const CSevenZipArchive* Archive() const { return m_archive.get(); }

    // Opens the bytes as the in-memory archive, unless the in-memory archive
    // is already set: then nothing happens and the first archive stays.
    void OpenMemoryArchive(const uint8_t* bytes, size_t size);
    // Loads resource `id` of type "ZIPRES" from `module` and opens it as above.
    // False when the resource is missing, cannot be loaded or is empty.
    bool OpenResourceArchive(HMODULE module, int id = kSkinResourceId);

    struct EntryRef {
        size_t position;  // position in the archive's entry list
        uint64_t size;
    };
    // Case-insensitive lookup with either slash; the lengths are compared first.
    std::optional<EntryRef> FindEntry(const std::wstring& path) const;
    // Copies the entry's bytes; false for an unknown position or no archive.
    bool ExtractEntry(size_t position, std::vector<uint8_t>& destination) const;

    // Reads a skin file from the open archive or, with no archive name, from
    // the resource path on disk. On failure gives false and one of the error
    // texts "Error opening file", "File is empty", "File too large", "Could
    // not read file", "Error opening zip file", "Could not find ziped file",
    // "Could not unzip file".
    bool ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes,
                      std::wstring& error) const;
    // The bytes of a picture: like a skin file but without the 4 MiB rule,
    // then the name as a plain path on disk.
    bool ReadPictureBytes(const std::wstring& name, std::vector<uint8_t>& bytes) const;

  private:
    bool ReadFromArchive(const std::wstring& name, size_t limit, std::vector<uint8_t>& bytes,
                         std::wstring& error) const;

    std::wstring m_resourcePath;
    std::wstring m_archiveName;
    bool m_keepOpen = false;
    bool m_sevenZip = false;
    std::unique_ptr<CSevenZipArchive> m_archive;
};

// Reads a whole file of at most `limit` bytes. False with "Error opening
// file", "File is empty", "File too large" or "Could not read file".
bool ReadWholeFile(const std::wstring& path, size_t limit, std::vector<uint8_t>& bytes,
                   std::wstring& error);

}  // namespace SkinUI
