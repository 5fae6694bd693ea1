#pragma once
// Test side of tarvo_script_child.exe: writes a script into a scratch
// directory and points the child at it (and at a record file for its command
// line) through the environment, which the runners' children inherit. The
// destructor restores the environment and ends any grandchild the script
// started, by its process id.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/scratch.h"

namespace TestSupport {

// Escapes raw bytes for a script's "out"/"err" directive.
std::string EscapeForScript(const std::string& bytes);

// "{PIDFILE}" in a script line stands for the file in which a "spawn"
// directive records its grandchild (ended by the destructor).
class ScriptedChild {
  public:
    explicit ScriptedChild(const std::vector<std::string>& script);
    ~ScriptedChild();
    ScriptedChild(const ScriptedChild&) = delete;
    ScriptedChild& operator=(const ScriptedChild&) = delete;

    // The child program beside the test executable.
    static std::wstring ExePath();
    static std::wstring QuotedExe() { return L"\"" + ExePath() + L"\""; }
    // Every command line the child received, in order.
    std::vector<std::wstring> RecordedCommandLines() const;
    const ScratchDir& Dir() const { return m_dir; }
    // Ends every child started with this script, by its recorded id; for a
    // test whose run did not end.
    void TerminateChildren() const;

  private:
    std::string PidFileForScript() const;
    ScratchDir m_dir;
};

}  // namespace TestSupport
