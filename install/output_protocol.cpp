#include "install/output_protocol.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

#include "utils/debug_log.h"
#include "utils/text.h"

namespace Install {

const wchar_t kInstallFailedText[] = L"\u5B89\u88C5\u5305\u5B89\u88C5\u5931\u8D25";
const wchar_t kUninstallFailedText[] = L"\u5B89\u88C5\u5305\u5378\u8F7D\u5931\u8D25";

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads an optionally signed decimal integer at `pos`; false when there is no
// digit or the number does not fit in 32 bits. `pos` moves past the number.
bool ReadInt32(const std::wstring& s, size_t& pos, int32_t& out) {
    size_t i = pos;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    if (i >= s.size() || !IsDigit(s[i])) return false;
    int64_t value = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        value = value * 10 + (s[i] - L'0');
        if (value > 2147483648LL) return false;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return false;
    out = static_cast<int32_t>(value);
    pos = i;
    return true;
}

bool StartsWith(const std::wstring& line, const wchar_t* key, std::wstring& rest) {
    const size_t n = std::wcslen(key);
    if (line.compare(0, n, key) != 0) return false;
    rest = line.substr(n);
    return true;
}

void Report(const StatusCallback& callback, int code, double progress, const std::wstring& text) {
    if (callback) callback(code, progress, text.c_str());
}

template <typename LineHandler>
int ForEachLine(const std::wstring& text, LineHandler handle) {
    int outcome = kOutcomeNone;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const int lineOutcome = handle(text.substr(start, end - start));
        if (lineOutcome != kOutcomeNone) outcome = lineOutcome;
        start = end + 1;
    }
    return outcome;
}

int StateOutcome(const std::wstring& word) {
    if (word == L"Success") return kOutcomeSuccess;
    if (word == L"Fail") return kOutcomeFailure;
    return kOutcomeNone;
}

}  // namespace

std::wstring TextValue(const std::wstring& rest) {
    return rest.size() > kMaxTextValue ? std::wstring() : rest;
}

std::wstring WordValue(const std::wstring& rest) { return Utils::Trim(TextValue(rest)); }

double RealValue(const std::wstring& rest) {
    const std::wstring value = TextValue(rest);
    size_t i = 0;
    while (i < value.size() && IsBlank(value[i])) ++i;
    const size_t begin = i;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) ++i;
    size_t digits = 0;
    for (; i < value.size() && IsDigit(value[i]); ++i) ++digits;
    if (i < value.size() && value[i] == L'.') {
        ++i;
        for (; i < value.size() && IsDigit(value[i]); ++i) ++digits;
    }
    if (digits == 0) return 0.0;
    if (i < value.size() && (value[i] == L'e' || value[i] == L'E')) {
        size_t j = i + 1;
        if (j < value.size() && (value[j] == L'+' || value[j] == L'-')) ++j;
        if (j < value.size() && IsDigit(value[j])) {
            while (j < value.size() && IsDigit(value[j])) ++j;
            i = j;
        }
    }
    // Only the decimal form matched above reaches the library conversion, so
    // hexadecimal, "inf" and "nan" spellings never count as numbers.
    const std::wstring number = value.substr(begin, i - begin);
    const double result = std::wcstod(number.c_str(), nullptr);
    return std::isfinite(result) ? result : 0.0;
}

int32_t IntegerValue(const std::wstring& rest) {
    const std::wstring value = TextValue(rest);
    size_t i = 0;
    while (i < value.size() && IsBlank(value[i])) ++i;
    int32_t result = 0;
    return ReadInt32(value, i, result) ? result : 0;
}

void ReadVersion(const std::wstring& rest, int version[3]) {
    const std::wstring value = TextValue(rest);
    size_t i = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (i >= value.size() || value[i] != L'.') return;
            ++i;
        }
        while (i < value.size() && IsBlank(value[i])) ++i;
        int32_t number = 0;
        if (!ReadInt32(value, i, number)) return;
        version[part] = number;
    }
}

int InstallEncodeCodePage(const std::wstring& word) {
    if (word == L"UTF8") return 65001;
    if (word == L"ACP") return 0;
    size_t i = 0;
    int32_t number = 0;
    return ReadInt32(word, i, number) ? number : 0;
}

int ParseInstallOutput(const std::wstring& text, ProtocolState& state,
                       const StatusCallback& callback) {
    return ForEachLine(text, [&](const std::wstring& line) -> int {
        std::wstring rest;
        if (StartsWith(line, L"Progress=", rest)) {
            Report(callback, IST_CODE_PROGRESS, RealValue(rest), L"");
        } else if (StartsWith(line, L"InstPath=", rest)) {
            Report(callback, IST_CODE_INST_PATH, 0.0, TextValue(rest));
        } else if (StartsWith(line, L"State=", rest)) {
            const int outcome = StateOutcome(WordValue(rest));
            if (outcome == kOutcomeSuccess) Report(callback, IST_CODE_SUCCESS, 0.0, L"");
            if (outcome == kOutcomeFailure) {
                Report(callback, IST_CODE_FAIL, 0.0, kInstallFailedText);
            }
            return outcome;
        } else if (StartsWith(line, L"InstallVersion=", rest)) {
            ReadVersion(rest, state.version);
        } else if (StartsWith(line, L"ExePath=", rest)) {
            const std::wstring value = TextValue(rest);
            DEBUG_LOG_VERBATIM(L"CInstaller::Parse", L"ExePath: %s", value.c_str());
            Report(callback, IST_CODE_EXE_PATH, 0.0, value);
        } else if (StartsWith(line, L"StartExe=", rest)) {
            Report(callback, IST_CODE_EXE_PATH, 0.0, TextValue(rest));
        } else if (StartsWith(line, L"UninstExePath=", rest) ||
                   StartsWith(line, L"UninstExe=", rest)) {
            Report(callback, IST_CODE_UNINST_EXE, 0.0, TextValue(rest));
        } else if (StartsWith(line, L"UninstEp=", rest)) {
            Report(callback, IST_CODE_UNINST_EP, 0.0, TextValue(rest));
        } else if (StartsWith(line, L"Error=", rest)) {
            Report(callback, IST_CODE_FAIL, 1000.0, TextValue(rest));
            return kOutcomeFailure;
        } else if (StartsWith(line, L"TopShowDetention=", rest)) {
            const auto ms = static_cast<uint32_t>(IntegerValue(rest));
            Report(callback, IST_CODE_TOP_SHOW_DETENTION, static_cast<double>(ms), L"");
        } else if (StartsWith(line, L"FinsihCloseDetention=", rest)) {
            const auto ms = static_cast<uint32_t>(IntegerValue(rest));
            Report(callback, IST_CODE_FINISH_CLOSE_DETENTION, static_cast<double>(ms), L"");
        } else if (StartsWith(line, L"StartUrl=", rest)) {
            Report(callback, IST_CODE_START_URL, 0.0, TextValue(rest));
        } else if (StartsWith(line, L"StartupStyle=", rest)) {
            const std::wstring word = WordValue(rest);
            double style = 0.0;
            if (word == L"AutoStartup") style = 1.0;
            if (word == L"UserStartup") style = 2.0;
            Report(callback, IST_CODE_STARTUP_STYLE, style, L"");
        } else if (StartsWith(line, L"Encode=", rest)) {
            state.codePage = InstallEncodeCodePage(WordValue(rest));
        } else if (StartsWith(line, L"Message=", rest)) {
            Report(callback, IST_CODE_MESSAGE, 0.0, TextValue(rest));
        }
        return kOutcomeNone;
    });
}

int ParseUninstallOutput(const std::wstring& text, ProtocolState& state,
                         const StatusCallback& callback) {
    return ForEachLine(text, [&](const std::wstring& line) -> int {
        std::wstring rest;
        if (StartsWith(line, L"Progress=", rest)) {
            Report(callback, UNIST_CODE_PROGRESS, RealValue(rest), L"");
        } else if (StartsWith(line, L"Error=", rest)) {
            Report(callback, UNIST_CODE_ERROR, 0.0, TextValue(rest));
            return kOutcomeFailure;
        } else if (StartsWith(line, L"State=", rest)) {
            const int outcome = StateOutcome(WordValue(rest));
            if (outcome == kOutcomeSuccess) Report(callback, UNIST_CODE_SUCCESS, 0.0, L"");
            if (outcome == kOutcomeFailure) {
                Report(callback, UNIST_CODE_ERROR, 0.0, kUninstallFailedText);
            }
            return outcome;
        } else if (StartsWith(line, L"Encode=", rest)) {
            state.codePage = WordValue(rest) == L"UTF8" ? 65001 : 0;
        }
        return kOutcomeNone;
    });
}

}  // namespace Install
