#include "download/streaming_md5.h"

#include <algorithm>
#include <cstring>

StreamingMd5::~StreamingMd5() { Stop(false); }

bool StreamingMd5::Begin() {
    Stop(false);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_head = m_tail = m_pending = m_used = 0;
    std::fill(std::begin(m_fill), std::end(m_fill), size_t(0));
    m_closed = false;
    m_failed = false;
    m_fed = 0;
    m_result.clear();
    m_md5.Reset();
    try {
        if (m_storage.size() != kBlock * kBlocks) m_storage.resize(kBlock * kBlocks);
        m_worker = std::thread(&StreamingMd5::Run, this);
    } catch (...) {
        m_failed = true;
        return false;
    }
    m_running = true;
    return true;
}

void StreamingMd5::Submit(std::unique_lock<std::mutex>& lock) {
    m_fill[m_head] = m_used;
    ++m_pending;
    m_head = (m_head + 1) % kBlocks;
    m_used = 0;
    m_cv.notify_all();
    m_cv.wait(lock, [this] { return m_pending < kBlocks || m_failed; });
}

void StreamingMd5::Feed(const void* data, size_t length) {
    if (!m_running) return;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_fed += length;
    while (length > 0) {
        // The block at m_head belongs to the producer until it is submitted,
        // so the copy needs no lock.
        const size_t take = std::min(length, kBlock - m_used);
        std::memcpy(m_storage.data() + m_head * kBlock + m_used, p, take);
        m_used += take;
        p += take;
        length -= take;
        if (m_used == kBlock) {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_failed) return;
            Submit(lock);
        }
    }
}

void StreamingMd5::Run() {
    for (;;) {
        size_t block;
        size_t bytes;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [this] { return m_pending > 0 || m_closed; });
            if (m_pending == 0) break;
            block = m_tail;
            bytes = m_fill[block];
        }
        m_md5.Update(m_storage.data() + block * kBlock, bytes);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_fill[block] = 0;
            m_tail = (m_tail + 1) % kBlocks;
            --m_pending;
            m_cv.notify_all();
        }
    }
}

void StreamingMd5::Stop(bool keep) {
    if (!m_running) return;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (keep && !m_failed && m_used > 0) {
            m_fill[m_head] = m_used;
            ++m_pending;
            m_head = (m_head + 1) % kBlocks;
            m_used = 0;
        }
        if (!keep) {
            m_pending = 0;
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
