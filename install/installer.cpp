#include "install/installer.h"

#include <utility>

#include "config/installer_settings.h"
#include "install/output_line_buffer.h"
#include "utils/child_process.h"
#include "utils/exception.h"
#include "utils/text.h"

namespace {

const wchar_t* Flag(bool on) { return on ? L"true" : L"false"; }

constexpr DWORD kChunkBytes = 1024;
// What a package left in the pipe when it ended is read (its last lines decide
// the outcome), but a grandchild that keeps writing into the inherited handle
// cannot keep the runner busy.
constexpr int kMaxReadsAfterEnd = 64;

}  // namespace

std::wstring ComposeInstallCommandLine(const InstallCommandLineParts& parts) {
    std::wstring line = parts.packageCommand;
    line += L" /S -console=show -version=1.0.0";
    line += L" -adminact=";
    line += Flag(parts.adminAccount);
    line += L" -authorizationact=";
    line += Flag(parts.elevated);
    line += L" -dsc=";
    line += Flag(parts.desktopShortcut);
    line += L" -ssc=";
    line += Flag(parts.quickLaunchShortcut);
    if (!parts.language.empty()) line += L" -inslang=\"" + parts.language + L"\"";
    if (!parts.extraArgs.empty()) line += L" " + parts.extraArgs;
    if (!parts.installDirectory.empty()) {
        line += L" -instdir=\"" + parts.installDirectory + L"\"";
        // Silent installers of this kind want /D= last and unquoted.
        line += L" /D=" + parts.installDirectory;
    }
    return line;
}

CInstaller::CInstaller(StatusCallback callback, const std::wstring& packageCommand,
                       const std::wstring& installDirectory, bool desktopShortcut,
                       bool quickLaunchShortcut, bool adminAccount)
    : m_callback(std::move(callback)),
      m_packageCommand(packageCommand),
      m_installDirectory(installDirectory),
      m_desktopShortcut(desktopShortcut),
      m_quickLaunchShortcut(quickLaunchShortcut),
      m_adminAccount(adminAccount) {}

CInstaller::~CInstaller() {
    m_worker.reset();
    m_retired.reset();
}

std::wstring CInstaller::ComposeCommandLine() const {
    InstallCommandLineParts parts;
    parts.packageCommand = m_packageCommand;
    parts.adminAccount = m_adminAccount;
    parts.elevated = m_elevated;
    parts.desktopShortcut = m_desktopShortcut;
    parts.quickLaunchShortcut = m_quickLaunchShortcut;
    parts.language = m_language;
    parts.extraArgs = g_settings.m_InstCmd;
    parts.installDirectory = m_installDirectory;
    return ComposeInstallCommandLine(parts);
}

void CInstaller::Start() {
    m_commandLine = ComposeCommandLine();
    if (m_worker != nullptr && m_worker->m_threadId == GetCurrentThreadId()) {
        m_retired = std::move(m_worker);  // our own worker: it ends after this event
    } else {
        m_worker.reset();
    }
    m_worker = std::make_unique<Utils::Thread>(this, Utils::kWorkerThreadName, [](void* self) {
        static_cast<CInstaller*>(self)->Run();
        return uint32_t{0};
    });
    if (!m_worker->Resume()) {
        // No thread, no run: say so rather than leave the owner waiting.
        m_worker.reset();
        Report(IST_CODE_FAIL, 2.0, L"");
    }
}

bool CInstaller::Wait(DWORD timeoutMs) const {
    if (m_worker == nullptr || m_worker->m_handle == nullptr) return true;
    return WaitForSingleObject(m_worker->m_handle, timeoutMs) == WAIT_OBJECT_0;
}

int CInstaller::Parse(const std::wstring& text) {
    return Install::ParseInstallOutput(text, m_protocol, m_callback);
}

void CInstaller::Report(int code, double progress, const wchar_t* text) {
    if (m_callback) m_callback(code, progress, text);
}

void CInstaller::Run() {
    Report(IST_CODE_START, 0.0, L"");
    if (m_packageCommand.empty()) {
        Report(IST_CODE_FAIL, 1.0, L"");
        return;  // nothing to launch
    }
    Report(IST_CODE_PROGRESS, 0.0, L"");

    std::unique_ptr<Utils::ChildProcess> child;
    try {
        child = std::make_unique<Utils::ChildProcess>();
        child->Launch(m_commandLine);
    } catch (...) {
        Report(IST_CODE_FAIL, 2.0, L"");
        return;
    }

    // Each run's child announces its own encoding.
    m_protocol.codePage = 0;
    Install::OutputLineBuffer lines;
    auto consume = [&](const std::string& bytes) {
        if (bytes.empty()) return Install::kOutcomeNone;
        return Parse(Utils::AnsiToWide(bytes, static_cast<unsigned>(m_protocol.codePage)));
    };

    char buffer[kChunkBytes];
    bool ended = false;
    bool finalLine = false;
    int readsAfterEnd = 0;
    for (;;) {
        if (!ended) child->WaitForOutput();
        const DWORD read = child->ReadAvailable(buffer, kChunkBytes);
        if (read > 0 && consume(lines.Feed(buffer, read)) != Install::kOutcomeNone) {
            finalLine = true;
            break;
        }
        if (ended) {
            // After the end only what is already in the pipe is read, without
            // blocking: an empty pipe or the bound finishes the run.
            if (read == 0 || ++readsAfterEnd >= kMaxReadsAfterEnd) break;
            continue;
        }
        ended = child->HasEnded();
        Sleep(m_readPauseMs);
    }

    if (finalLine) {
        // Nothing more is reported, but a child still writing must not block.
        while (!child->WaitForExit(10)) {
            while (child->ReadAvailable(buffer, kChunkBytes) > 0) {
            }
        }
    } else if (child->PendingOutput() == 0) {
        // The output has ended: an unterminated last line still counts. (With
        // output left unread the kept piece is cut, so it is not parsed.)
        finalLine = consume(lines.Flush()) != Install::kOutcomeNone;
    }
    child->WaitForExit(INFINITE);
    child->CloseHandles();
    child.reset();
    if (!finalLine) Report(IST_CODE_SUCCESS, 1.0, L"");
}
