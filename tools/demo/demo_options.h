#pragma once
// Shared by the demo package and the demo uninstaller: their behaviour
// options and their output in the key=value protocol the installer reads.
//
// Options are one text of ';'-separated items, each "name" or "name=value",
// taken from an environment variable and, for the package, also from a
// "-demo=" argument (the installer's extra package arguments). An item of the
// argument wins over the same item of the environment.
#include <map>
#include <string>

namespace Demo {

using Options = std::map<std::wstring, std::wstring>;

// "a;b=1;c=x=y" -> {a:"", b:"1", c:"x=y"}; blanks around names are dropped.
Options ParseOptions(const std::wstring& text);
// The options of `envName` overlaid with those of the "-demo=" argument.
Options ReadOptions(const wchar_t* envName, const std::wstring& commandLine);
bool Has(const Options& options, const wchar_t* name);
std::wstring Get(const Options& options, const wchar_t* name, const std::wstring& fallback = L"");
int GetInt(const Options& options, const wchar_t* name, int fallback);

// The text after the last occurrence of `marker` in the command line, to its
// end, trailing blanks removed (the target directory is always the last and
// unquoted argument). Empty when the marker is absent.
std::wstring TextAfterLast(const std::wstring& commandLine, const std::wstring& marker);
// True when the command line holds `token` as a whole blank-separated word.
bool HasToken(const std::wstring& commandLine, const std::wstring& token);

// Writes protocol lines to standard output, one write per line, in UTF-8
// (after announcing it with "Encode=UTF8"). Silent unless enabled.
class ProtocolWriter {
  public:
    explicit ProtocolWriter(bool enabled);
    void Line(const std::wstring& line) const;
    // "Progress=0.25"
    void Progress(double fraction) const;

  private:
    bool m_enabled;
};

// Sleeps for `ms` milliseconds, or forever when `ms` is negative.
void Pause(int ms);

}  // namespace Demo
