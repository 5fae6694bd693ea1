#pragma once
// MD5 (RFC 1321) as an incremental hasher: feed bytes with Update in any
// pieces, then Finish once for the 16-byte value or its 32-digit lower-case
// hex text. A hasher is owned by one thread; it holds no resources.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Download {

class Md5 {
  public:
    Md5();
    void Update(const void* data, size_t length);
    // Ends the computation; the hasher must be Reset before it is fed again.
    void Finish(uint8_t digest[16]);
    std::string FinishHex();
    void Reset();
    uint64_t BytesHashed() const { return m_length; }

  private:
    void Blocks(const uint8_t* data, size_t count);
    uint32_t m_state[4];
    uint64_t m_length;
    uint8_t m_buffer[64];
};

// "%02x" of each byte, in order.
std::string ToHex(const uint8_t* bytes, size_t count);

}  // namespace Download
