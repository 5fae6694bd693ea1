#pragma once
// Text lines for whoever started the installer from a console: the standard
// output when the parent redirected it (a pipe or a file gets UTF-8), else
// the parent's console when the installer can attach to it (wide text), else
// nowhere. The installer is a GUI program, so it has no console of its own.
//
// Ownership: the object owns the console output handle it opened (not the
// inherited standard handle). Used by one thread.
#include <windows.h>

#include <string>

class ConsoleOutput {
  public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Writes `text` and a line end; nothing when there is no target.
    void Line(const std::wstring& text) const;
    bool HasTarget() const { return m_handle != nullptr; }

  private:
    HANDLE m_handle = nullptr;
    bool m_console = false;  // WriteConsoleW, else WriteFile in UTF-8
    bool m_ownsHandle = false;
};
