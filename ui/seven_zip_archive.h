#pragma once
// A 7z archive read completely from memory: every file entry is decoded once,
// at opening, and kept with its bytes for the life of the object. The caller's
// buffer is only read during Open and may be released afterwards.
//
// Corrupt or hostile input never crashes and never asks for unbounded memory:
// every allocation of the decoder is capped (kMaxAllocation), so is the sum
// of what it holds at once (kMaxTotalMemory), and so is the sum of the entry
// bytes kept (kMaxKeptBytes; the walk stops there as if decoding failed).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace SkinUI {

struct SevenZipEntry {
    std::wstring name;          // path as stored in the archive ("/" between folders)
    int32_t nameLength = 0;     // wide characters of name plus one (compared before the text)
    int32_t index = 0;          // index of the entry in the archive
    uint64_t size = 0;          // unpacked size in bytes
    std::vector<uint8_t> data;  // the unpacked content
};

class CSevenZipArchive {
  public:
    static constexpr size_t kMaxAllocation = 64u << 20;
    static constexpr size_t kMaxTotalMemory = 160u << 20;
    static constexpr uint64_t kMaxKeptBytes = 128u << 20;

    // Reads the archive's database and decodes every file in archive order
    // (directories skipped). Null when the database cannot be read. When one
    // entry fails to decode, the walk stops there: the entries before it stay
    // and the archive still counts as open.
    static std::unique_ptr<CSevenZipArchive> Open(const uint8_t* bytes, size_t size);

    const std::vector<SevenZipEntry>& Entries() const { return m_entries; }
    // True when every file of the archive was decoded.
    bool Complete() const { return m_complete; }

  private:
    CSevenZipArchive() = default;
    std::vector<SevenZipEntry> m_entries;
    bool m_complete = false;
};

}  // namespace SkinUI
