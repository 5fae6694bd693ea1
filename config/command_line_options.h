#pragma once
// The parsed command line: switch -> value, first occurrence wins, switches
// compared exactly (case-sensitive). Also the leading-number readers shared with
// the configuration file.
#include <map>
#include <string>
#include <vector>

// Result of reading the leading decimal number of a text.
enum class NumberRead { None, Ok, OutOfRange };

// Leading white space and a sign allowed; stops at the first non-digit.
NumberRead ReadLeadingInt(const std::wstring& text, int& value);
// Longest decimal prefix ([sign] digits [. digits] [e [sign] digits]); no hex,
// no "inf"/"nan" words. A magnitude beyond a double reads as an infinity.
NumberRead ReadLeadingDouble(const std::wstring& text, double& value);

class CommandLineOptions {
  public:
    CommandLineOptions() = default;
    // Splits `commandLine` with the system's rules (program path included).
    static CommandLineOptions FromCommandLine(const wchar_t* commandLine);
    // One entry per argument, in order.
    static CommandLineOptions FromArguments(const std::vector<std::wstring>& arguments);

    bool Has(const std::wstring& name) const;
    std::wstring GetString(const std::wstring& name) const;
    // 0 when absent or not a number; `outOfRange` when the number exceeds 32 bits.
    int GetInt(const std::wstring& name, int outOfRange = 0) const;
    // `fallback` when absent or not a number.
    double GetDouble(const std::wstring& name, double fallback) const;
    bool GetBool(const std::wstring& name) const;

    // Insertion order of the distinct switches, for diagnostics and tests.
    const std::vector<std::wstring>& Order() const { return m_order; }

  private:
    void Add(const std::wstring& argument);

    std::map<std::wstring, std::wstring> m_values;
    std::vector<std::wstring> m_order;
};

// Splits a command line into arguments with the Windows rules.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
