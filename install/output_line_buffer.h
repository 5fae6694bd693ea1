#pragma once
// OutputLineBuffer — reassembles a child's output lines across pipe reads.
//
// A read may end in the middle of a line (the child's own writes or the pipe
// cut it). Feed() returns the bytes of the complete lines (through the last
// line feed) and keeps the unterminated rest in front of the next read, so a
// line is decoded and parsed once, whole. Bytes are kept rather than decoded
// text, so a multi-byte character cut by a read is decoded whole as well.
//
// The kept rest is bounded: a line that grows past kMaxLineBytes without a
// line feed is dropped, together with everything up to its line feed. Each
// read's bytes count only up to their first zero byte. Pure logic; one owner.
#include <cstddef>
#include <string>

namespace Install {

class OutputLineBuffer {
  public:
    static constexpr size_t kMaxLineBytes = 4096;

    // Takes one read; returns the complete lines to decode now (possibly empty).
    std::string Feed(const char* data, size_t size);
    // The kept unterminated line, as the last line when the output has ended;
    // the buffer is empty afterwards.
    std::string Flush();
    bool HasPartialLine() const { return !m_partial.empty(); }

  private:
    std::string m_partial;
    bool m_discarding = false;  // inside an overlong line: skip to its line feed
};

}  // namespace Install
