#include "download/streaming_md5.h"

#include <algorithm>
#include <cstring>

StreamingMd5::~StreamingMd5() { Stop(false); }

bool StreamingMd5::Begin() {
    Stop(false);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
    m_current.clear();
    m_closed = false;
    m_failed = false;
    m_fed = 0;
    m_result.clear();
    m_md5.Reset();
    try {
        m_current.reserve(kBlock);
        m_worker = std::thread(&StreamingMd5::Run, this);
    } catch (...) {
        m_failed = true;
        return false;
    }
    m_running = true;
    return true;
}

void StreamingMd5::PushCurrent(std::unique_lock<std::mutex>& lock) {
    m_cv.wait(lock, [this] { return m_queue.size() < kMaxQueued || m_failed; });
    if (m_failed) {
        m_current.clear();
        return;
    }
    m_queue.push_back(std::move(m_current));
    m_current = std::vector<uint8_t>();
    try {
        m_current.reserve(kBlock);
    } catch (...) {
        m_failed = true;
    }
    m_cv.notify_all();
}

void StreamingMd5::Feed(const void* data, size_t length) {
    if (!m_running) return;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_fed += length;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (length > 0 && !m_failed) {
        const size_t take = std::min(length, kBlock - m_current.size());
        m_current.insert(m_current.end(), p, p + take);
        p += take;
        length -= take;
        if (m_current.size() == kBlock) PushCurrent(lock);
    }
}

void StreamingMd5::Run() {
    // Hashing happens outside the lock so the producer keeps going.
    for (;;) {
        std::vector<uint8_t> block;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [this] { return !m_queue.empty() || m_closed; });
            if (m_queue.empty()) break;
            block = std::move(m_queue.front());
            m_queue.pop_front();
            m_cv.notify_all();
        }
        m_md5.Update(block.data(), block.size());
    }
}

void StreamingMd5::Stop(bool keep) {
    if (!m_running) return;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (keep && !m_failed && !m_current.empty()) PushCurrent(lock);
        if (!keep) {
            m_queue.clear();
            m_failed = true;
        }
        m_closed = true;
        m_cv.notify_all();
    }
    m_worker.join();
    m_running = false;
    if (keep && !m_failed) m_result = m_md5.FinishHex();
}

std::string StreamingMd5::Finish() {
    if (!m_running) return std::string();
    Stop(true);
    return m_result;
}

void StreamingMd5::Abandon() { Stop(false); }
