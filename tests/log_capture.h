#pragma once
// Collects every formatted diagnostic line while alive (through the log's test
// seam), so tests check lines without a debugger. One capture at a time.
#include <mutex>
#include <string>
#include <vector>

namespace TestSupport {

class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::wstring> Texts() const;
    // Texts whose function label (between the parentheses) is `label`.
    std::vector<std::wstring> TextsOf(const std::wstring& label) const;
    // The message part (after "): ") of every text, in order.
    std::vector<std::wstring> Messages() const;
    bool AnyContains(const std::wstring& fragment) const;
    void Clear();

  private:
    static void Sink(void* context, const wchar_t* text);
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_texts;
};

// The message part of one formatted line (everything after the prefix).
std::wstring MessageOf(const std::wstring& text);

}  // namespace TestSupport
