#include "install/output_line_buffer.h"

#include <cstring>

namespace Install {

std::string OutputLineBuffer::Feed(const char* data, size_t size) {
    if (data == nullptr) return std::string();
    const void* zero = std::memchr(data, '\0', size);
    if (zero != nullptr) size = static_cast<size_t>(static_cast<const char*>(zero) - data);
    std::string text(data, size);
    if (m_discarding) {
        const size_t feed = text.find('\n');
        if (feed == std::string::npos) return std::string();
        text.erase(0, feed + 1);
        m_discarding = false;
    }
    std::string combined = m_partial + text;
    const size_t lastFeed = combined.rfind('\n');
    std::string complete;
    if (lastFeed == std::string::npos) {
        m_partial.swap(combined);
    } else {
        m_partial = combined.substr(lastFeed + 1);
        combined.resize(lastFeed + 1);
        complete.swap(combined);
    }
    if (m_partial.size() > kMaxLineBytes) {
        m_partial.clear();
        m_discarding = true;
    }
    return complete;
}

std::string OutputLineBuffer::Flush() {
    std::string rest;
    rest.swap(m_partial);
    m_discarding = false;
    return rest;
}

}  // namespace Install
