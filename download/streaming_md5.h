#pragma once
// MD5 of a byte stream computed on a helper thread while the stream is still
// being produced, so a download's digest is ready when its last byte is
// written instead of costing a second pass over the file.
//
// One producer thread owns the object: Begin, any number of Feed calls, then
// Finish (or destruction, which abandons the digest). Feed copies the bytes;
// it blocks only when the helper is a bounded amount (a few MiB) behind.
// Failures (no thread, no memory) are values: Finish returns "".
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "download/md5.h"

class StreamingMd5 {
  public:
    StreamingMd5() = default;
    ~StreamingMd5();
    StreamingMd5(const StreamingMd5&) = delete;
    StreamingMd5& operator=(const StreamingMd5&) = delete;

    // Starts a new digest; false when the helper thread cannot start.
    bool Begin();
    void Feed(const void* data, size_t length);
    // Hex digest of everything fed since Begin, "" on failure or without Begin.
    std::string Finish();
    // Drops the digest in progress (the helper ends).
    void Abandon();
    uint64_t BytesFed() const { return m_fed; }

  private:
    void Run();
    void Stop(bool keep);
    // Hands the block being filled to the helper; waits for the next block
    // to be free. Called with the lock held.
    void Submit(std::unique_lock<std::mutex>& lock);

    // A fixed ring of blocks allocated once per digest: the producer fills
    // one while the helper hashes the others, and no memory is allocated or
    // released per block.
    static constexpr size_t kBlock = 1 << 20;
    static constexpr size_t kBlocks = 4;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<uint8_t> m_storage;
    size_t m_fill[kBlocks] = {};  // bytes in each block handed over (0: free)
    size_t m_head = 0;            // block the producer fills
    size_t m_tail = 0;            // block the helper hashes next
    size_t m_pending = 0;         // blocks handed over and not yet hashed
    size_t m_used = 0;            // bytes in the block being filled
    bool m_closed = false;
    bool m_failed = false;
    bool m_running = false;
    uint64_t m_fed = 0;
    std::string m_result;
    Download::Md5 m_md5;
    std::thread m_worker;
};
