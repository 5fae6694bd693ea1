#include "tests/log_capture.h"

#include "utils/debug_log.h"

namespace TestSupport {

LogCapture::LogCapture() { Utils::SetDebugLogSink(&LogCapture::Sink, this); }

LogCapture::~LogCapture() { Utils::SetDebugLogSink(nullptr, nullptr); }

void LogCapture::Sink(void* context, const wchar_t* text) {
    auto* self = static_cast<LogCapture*>(context);
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_texts.emplace_back(text);
}

std::vector<std::wstring> LogCapture::Texts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts;
}

std::vector<std::wstring> LogCapture::TextsOf(const std::wstring& label) const {
    std::vector<std::wstring> out;
    const std::wstring needle = L"(" + label + L")<";
    for (const auto& t : Texts()) {
        if (t.find(needle) != std::wstring::npos) out.push_back(t);
    }
    return out;
}

std::vector<std::wstring> LogCapture::Messages() const {
    std::vector<std::wstring> out;
    for (const auto& t : Texts()) out.push_back(MessageOf(t));
    return out;
}

bool LogCapture::AnyContains(const std::wstring& fragment) const {
    for (const auto& t : Texts()) {
        if (t.find(fragment) != std::wstring::npos) return true;
    }
    return false;
}

void LogCapture::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_texts.clear();
}

std::wstring MessageOf(const std::wstring& text) {
    // The prefix ends with ">: " after the line number; labels hold no ">: ".
    const size_t pos = text.find(L">: ");
    return pos == std::wstring::npos ? text : text.substr(pos + 3);
}

}  // namespace TestSupport
