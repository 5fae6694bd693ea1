#include "ui/seven_zip_archive.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

extern "C" {
#include "7z.h"
#include "7zCrc.h"
}

namespace SkinUI {
namespace {

// The archive bytes as the decoder's seekable input.
struct MemoryInStream {
    ISeekInStream vt;  // first member: the decoder hands this pointer back
    const uint8_t* data;
    size_t size;
    size_t pos;
};

SRes MemoryRead(ISeekInStreamPtr p, void* buf, size_t* size) {
    auto* s = reinterpret_cast<MemoryInStream*>(const_cast<ISeekInStream*>(p));
    size_t n = *size;
    if (n > s->size - s->pos) n = s->size - s->pos;
    if (n) std::memcpy(buf, s->data + s->pos, n);
    s->pos += n;
    *size = n;
    return SZ_OK;
}

SRes MemorySeek(ISeekInStreamPtr p, Int64* pos, ESzSeek origin) {
    auto* s = reinterpret_cast<MemoryInStream*>(const_cast<ISeekInStream*>(p));
    Int64 base = 0;
    if (origin == SZ_SEEK_CUR) base = static_cast<Int64>(s->pos);
    if (origin == SZ_SEEK_END) base = static_cast<Int64>(s->size);
    const Int64 target = base + *pos;
    if (*pos > static_cast<Int64>(s->size) || *pos < -static_cast<Int64>(s->size) || target < 0 ||
        target > static_cast<Int64>(s->size)) {
        return SZ_ERROR_READ;
    }
    s->pos = static_cast<size_t>(target);
    *pos = target;
    return SZ_OK;
}

// Allocator with a cap on each block and on everything held at once, so a
// header that claims absurd sizes fails with SZ_ERROR_MEM instead of
// exhausting the process. Each block carries its size in a 16-byte prefix.
struct CappedAllocator {
    ISzAlloc vt;  // first member
    size_t held;
};
constexpr size_t kPrefix = 16;

void* CappedAlloc(ISzAllocPtr p, size_t size) {
    auto* a = reinterpret_cast<CappedAllocator*>(const_cast<ISzAlloc*>(p));
    if (size == 0) size = 1;
    if (size > CSevenZipArchive::kMaxAllocation ||
        a->held + size > CSevenZipArchive::kMaxTotalMemory) {
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(std::malloc(size + kPrefix));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof(size));
    a->held += size;
    return block + kPrefix;
}

void CappedFree(ISzAllocPtr p, void* address) {
    if (!address) return;
    auto* a = reinterpret_cast<CappedAllocator*>(const_cast<ISzAlloc*>(p));
    auto* block = static_cast<uint8_t*>(address) - kPrefix;
    size_t size = 0;
    std::memcpy(&size, block, sizeof(size));
    a->held -= size;
    std::free(block);
}

// Releases everything the decoder holds, whichever way Open leaves.
struct DecoderState {
    CappedAllocator alloc{{CappedAlloc, CappedFree}, 0};
    CSzArEx db;
    bool dbOpen = false;
    Byte* lookBuffer = nullptr;
    Byte* solidBlock = nullptr;

    DecoderState() { SzArEx_Init(&db); }
    ~DecoderState() {
        ISzAllocPtr a = &alloc.vt;
        if (solidBlock) ISzAlloc_Free(a, solidBlock);
        if (lookBuffer) ISzAlloc_Free(a, lookBuffer);
        SzArEx_Free(&db, a);
    }
    DecoderState(const DecoderState&) = delete;
    DecoderState& operator=(const DecoderState&) = delete;
};

constexpr size_t kLookBufferSize = 1 << 16;

}  // namespace

std::unique_ptr<CSevenZipArchive> CSevenZipArchive::Open(const uint8_t* bytes, size_t size) {
    static std::once_flag crcTable;
    std::call_once(crcTable, [] { CrcGenerateTable(); });
    if (!bytes || size == 0) return nullptr;

    MemoryInStream input{{MemoryRead, MemorySeek}, bytes, size, 0};
    DecoderState state;
    ISzAllocPtr alloc = &state.alloc.vt;

    CLookToRead2 look;
    LookToRead2_CreateVTable(&look, False);
    state.lookBuffer = static_cast<Byte*>(ISzAlloc_Alloc(alloc, kLookBufferSize));
    if (!state.lookBuffer) return nullptr;
    look.buf = state.lookBuffer;
    look.bufSize = kLookBufferSize;
    look.realStream = &input.vt;
    LookToRead2_INIT(&look);

    if (SzArEx_Open(&state.db, &look.vt, alloc, alloc) != SZ_OK) return nullptr;

    std::unique_ptr<CSevenZipArchive> archive(new CSevenZipArchive());
    UInt32 blockIndex = 0xFFFFFFFF;
    size_t blockSize = 0;
    bool complete = true;
    uint64_t kept = 0;
    for (UInt32 i = 0; i < state.db.NumFiles; ++i) {
        if (SzArEx_IsDir(&state.db, i)) continue;
        SevenZipEntry entry;
        const size_t nameChars = SzArEx_GetFileNameUtf16(&state.db, i, nullptr);
        if (nameChars > 0) {
            std::vector<UInt16> name(nameChars);
            SzArEx_GetFileNameUtf16(&state.db, i, name.data());
            entry.name.assign(name.begin(), name.end() - 1);
        }
        entry.nameLength = static_cast<int32_t>(entry.name.size() + 1);
        entry.index = static_cast<int32_t>(i);

        size_t offset = 0;
        size_t produced = 0;
        if (SzArEx_Extract(&state.db, &look.vt, i, &blockIndex, &state.solidBlock, &blockSize,
                           &offset, &produced, alloc, alloc) != SZ_OK) {
            complete = false;
            break;
        }
        // Many folders of well-compressible data could otherwise expand
        // without limit, each within the per-block cap.
        kept += produced;
        if (kept > kMaxKeptBytes) {
            complete = false;
            break;
        }
        if (produced)
            entry.data.assign(state.solidBlock + offset, state.solidBlock + offset + produced);
        entry.size = produced;
        archive->m_entries.push_back(std::move(entry));
    }
    archive->m_complete = complete;
    return archive;
}

}  // namespace SkinUI
