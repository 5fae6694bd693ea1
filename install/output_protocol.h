#pragma once
// The key=value line protocol that the silent package and the old version's
// uninstaller print on their standard output, and its two dialects.
//
// A parser takes the UTF-16 text of one unit of output, splits it at line
// feeds (a carriage return before the feed stays in the line), reports each
// recognised line through the callback in line order, updates the caller's
// protocol state ("Encode=", "InstallVersion=") and returns the unit's
// outcome: kOutcomeNone, or the outcome of the last final line in it. Every
// line is reported even after a final line. The parsers keep no state of
// their own; all of it lives in the ProtocolState the caller owns.
#include <cstdint>
#include <string>

#include "install/status_codes.h"

namespace Install {

constexpr int kOutcomeNone = 0;
constexpr int kOutcomeSuccess = 1;
constexpr int kOutcomeFailure = 1000;

// Longest text value taken; a longer (or empty) value is the empty text.
constexpr size_t kMaxTextValue = 771;

// Fixed texts of the protocol's failure events.
extern const wchar_t kInstallFailedText[];    // "State=Fail" of the package
extern const wchar_t kUninstallFailedText[];  // "State=Fail" of the uninstaller

struct ProtocolState {
    int codePage = 0;  // 0: the system ANSI code page
    int version[3] = {0, 0, 0};
};

// Installation dialect (the package).
int ParseInstallOutput(const std::wstring& text, ProtocolState& state,
                       const StatusCallback& callback);
// Uninstallation dialect (the old version's uninstaller); only the code page
// of `state` is used.
int ParseUninstallOutput(const std::wstring& text, ProtocolState& state,
                         const StatusCallback& callback);

// Value syntax, exposed for tests. Each takes the text after the key.
std::wstring TextValue(const std::wstring& rest);
std::wstring WordValue(const std::wstring& rest);
// Decimal number at the start (leading blanks allowed, the rest ignored);
// 0.0 when there is none or it is not finite.
double RealValue(const std::wstring& rest);
// Decimal 32-bit integer read the same way; 0 when there is none or it does
// not fit in 32 bits.
int32_t IntegerValue(const std::wstring& rest);
// "a.b.c": reads the numbers in order into `version`, stopping at the first
// that cannot be read (it and those after it keep their values).
void ReadVersion(const std::wstring& rest, int version[3]);
// The code page an "Encode=" word selects in the installation dialect.
int InstallEncodeCodePage(const std::wstring& word);

}  // namespace Install
