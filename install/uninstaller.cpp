#include "install/uninstaller.h"

#include <utility>

#include "install/output_line_buffer.h"
#include "utils/account.h"
#include "utils/child_process.h"
#include "utils/file_system.h"
#include "utils/text.h"

const wchar_t kUninstallerMissingText[] =
    L"\u53EF\u6267\u884C\u5378\u8F7D\u6587\u4EF6\u4E0D\u5B58\u5728";

namespace {

const wchar_t* Flag(bool on) { return on ? L"true" : L"false"; }

constexpr DWORD kChunkBytes = 1024;
// What a child left in the pipe when it ended is read, but a grandchild that
// keeps writing into the inherited handle cannot keep the runner busy.
constexpr int kMaxReadsAfterEnd = 64;

bool ConsoleUserIsAdmin() {
    std::wstring name;
    return Utils::GetConsoleUserName(name) && Utils::IsAdminAccount(name);
}

}  // namespace

std::wstring ComposeUninstallCommandLine(const std::wstring& uninstallerPath, bool adminAccount,
                                         bool elevated, const std::wstring& oldInstallDirectory) {
    // The executable is quoted: unquoted, a path with blanks could start a
    // different program ("C:\Program.exe").
    std::wstring line = L"\"" + uninstallerPath + L"\"";
    line += L" /S -adminact=";
    line += Flag(adminAccount);
    line += L" -authorizationact=";
    line += Flag(elevated);
    line += L" -console=show _?=" + oldInstallDirectory;
    return line;
}

UnInstaller::UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath,
                         const std::wstring& oldInstallDirectory)
    : m_callback(std::move(callback)),
      m_uninstallerPath(uninstallerPath),
      m_oldInstallDirectory(oldInstallDirectory) {}

UnInstaller::~UnInstaller() {
    m_worker.reset();
    m_retired.reset();
}

std::wstring UnInstaller::ComposeCommandLine() const {
    return ComposeUninstallCommandLine(m_uninstallerPath, ConsoleUserIsAdmin(),
                                       Utils::IsUserAdmin(), m_oldInstallDirectory);
}

void UnInstaller::Start() {
    m_commandLine = ComposeCommandLine();
    if (m_worker != nullptr && m_worker->m_threadId == GetCurrentThreadId()) {
        m_retired = std::move(m_worker);
    } else {
        m_worker.reset();
    }
    m_worker = std::make_unique<Utils::Thread>(this, Utils::kUninstallerThreadName, [](void* self) {
        static_cast<UnInstaller*>(self)->Run();
        return uint32_t{0};
    });
    if (!m_worker->Resume()) {
        m_worker.reset();
        Report(UNIST_CODE_FAIL, 2.0, L"");
    }
}

bool UnInstaller::Wait(DWORD timeoutMs) const {
    if (m_worker == nullptr || m_worker->m_handle == nullptr) return true;
    return WaitForSingleObject(m_worker->m_handle, timeoutMs) == WAIT_OBJECT_0;
}

int UnInstaller::Parse(const std::wstring& text) {
    return Install::ParseUninstallOutput(text, m_protocol, m_callback);
}

void UnInstaller::Report(int code, double progress, const wchar_t* text) {
    if (m_callback) m_callback(code, progress, text);
}

void UnInstaller::Run() {
    if (m_uninstallerPath.empty() || !Utils::PathExists(m_uninstallerPath)) {
        Report(UNIST_CODE_FAIL, 1.0, kUninstallerMissingText);
        return;
    }
    Report(UNIST_CODE_PROGRESS, 0.0, L"");

    std::unique_ptr<Utils::ChildProcess> child;
    try {
        child = std::make_unique<Utils::ChildProcess>();
        child->Launch(m_commandLine);
    } catch (...) {
        Report(UNIST_CODE_FAIL, 2.0, L"");
        return;
    }

    m_protocol.codePage = 0;
    Install::OutputLineBuffer lines;
    bool reportSuccess = true;
    auto consume = [&](const std::string& bytes) {
        if (bytes.empty()) return;
        const std::wstring text =
            Utils::AnsiToWide(bytes, static_cast<unsigned>(m_protocol.codePage));
        if (Parse(text) != Install::kOutcomeNone) reportSuccess = false;
    };

    char buffer[kChunkBytes];
    while (!child->HasEnded()) {
        child->WaitForOutput();
        const DWORD read = child->ReadAvailable(buffer, kChunkBytes);
        if (read > 0) consume(lines.Feed(buffer, read));
    }
    for (int i = 0; i < kMaxReadsAfterEnd; ++i) {
        const DWORD read = child->ReadAvailable(buffer, kChunkBytes);
        if (read == 0) break;
        consume(lines.Feed(buffer, read));
    }
    if (child->PendingOutput() == 0) consume(lines.Flush());

    child->WaitForExit(INFINITE);
    child->CloseHandles();
    child.reset();
    if (reportSuccess) Report(UNIST_CODE_SUCCESS, 1.0, L"");
}
