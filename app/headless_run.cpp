#include "app/headless_run.h"

#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>

#include "app/console_output.h"
#include "config/installer_settings.h"
#include "install/download_installer.h"
#include "install/status_codes.h"
#include "utils/debug_log.h"
#include "utils/text.h"

namespace {

const wchar_t kInstallFailedText[] = L"安装失败";

struct StatusRecord {
    int code;
    double progress;
    std::wstring text;
};

// Events copied on the pipeline's workers, handled on the calling thread.
class EventQueue {
  public:
    void Push(int code, double progress, const wchar_t* text) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_records.push_back(StatusRecord{code, progress, text ? text : L""});
        }
        m_ready.notify_one();
    }
    // Waits up to `ms` for records and takes all of them.
    std::deque<StatusRecord> Take(DWORD ms) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait_for(lock, std::chrono::milliseconds(ms),
                         [this] { return !m_records.empty(); });
        std::deque<StatusRecord> taken;
        taken.swap(m_records);
        return taken;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<StatusRecord> m_records;
};

std::wstring Percent(double fraction) {
    if (!(fraction >= 0.0)) fraction = 0.0;
    if (fraction > 1.0) fraction = 1.0;
    return std::to_wstring(static_cast<int>(fraction * 100)) + L"%";
}

std::wstring Gib(uint64_t bytes) {
    wchar_t text[64] = {};
    swprintf(text, 64, L"%.1f GiB", static_cast<double>(bytes) / 1073741824.0);
    return text;
}

// What the run learns from the package's facts.
struct Facts {
    std::wstring installDir;
    std::wstring uninstEp;
};

enum class Phase { Uninstalling, Downloading, Installing };

class Run {
  public:
    Run(const HeadlessOptions& options, const HeadlessPlaces& places, const ConsoleOutput& out)
        : m_options(options), m_places(places), m_out(out) {}

    int Execute();

  private:
    int Check(const std::wstring& dir);
    // Handles one event; the exit code when it ends the run, else -1.
    int Handle(const StatusRecord& record);
    void Progress(const wchar_t* what, double fraction);
    int Finish();
    std::wstring AnalyticsDir() const {
        return m_places.analyticsDir.empty() ? AnalyticsDataDir() : m_places.analyticsDir;
    }

    const HeadlessOptions& m_options;
    const HeadlessPlaces& m_places;
    const ConsoleOutput& m_out;
    std::unique_ptr<CDownloadInstaller> m_pipeline;
    Facts m_facts;
    Phase m_phase = Phase::Downloading;
    bool m_installStarted = false;
    bool m_uninstallAnnounced = false;
    ULONGLONG m_lastProgressTick = 0;
};

int Run::Check(const std::wstring& dir) {
    const PreRunResult running = CheckNothingRunning(g_settings.m_InsNew);
    if (running == PreRunResult::UninstallerRunning) {
        m_out.Line(
            L"Error: an uninstaller of TarvoPDFEditor is running (TarvoPDFEditor_un_asa.exe)");
        return HeadlessExitFor(running);
    }
    if (running == PreRunResult::AppRunning) {
        m_out.Line(L"Error: 安装程序检测到塔沃PDF编辑器正在运行，请退出程序后再安装");
        return HeadlessExitFor(running);
    }
    const PreRunResult prepared = PrepareInstallDir(dir);
    if (prepared != PreRunResult::Ok) {
        m_out.Line(L"Error: 无效路径 (invalid install directory): " + dir);
        return HeadlessExitFor(prepared);
    }
    const FreeSpace space = CheckInstallDirSpace(dir);
    if (!space.enough) {
        m_out.Line(L"Error: not enough free space on " + DrivePart(dir) + L" (" +
                   Gib(space.availableBytes) + L" free, 1 GiB needed)");
        return kHeadlessNotEnoughSpace;
    }
    m_out.Line(L"Install directory: " + dir + L" (" + Gib(space.availableBytes) + L" free)");
    return kHeadlessOk;
}

void Run::Progress(const wchar_t* what, double fraction) {
    const ULONGLONG now = GetTickCount64();
    if (m_lastProgressTick != 0 && now - m_lastProgressTick < 1000) return;
    m_lastProgressTick = now;
    m_out.Line(std::wstring(what) + L" " + Percent(fraction));
}

int Run::Handle(const StatusRecord& r) {
    switch (r.code) {
        case UNIST_CODE_PROGRESS:
            if (!m_uninstallAnnounced) {
                m_uninstallAnnounced = true;
                m_out.Line(L"Removing the old version");
            }
            return -1;
        case UNIST_CODE_SUCCESS:
            m_out.Line(L"Old version removed");
            m_phase = Phase::Downloading;
            return -1;
        case UNIST_CODE_FAIL:
        case UNIST_CODE_ERROR:
            m_out.Line(L"Error: the old version could not be removed" +
                       (r.text.empty() ? std::wstring() : L": " + r.text));
            return HeadlessExitForEvent(r.code);
        case DL_CODE_START:
            m_lastProgressTick = 0;
            m_out.Line(L"Downloading " + g_settings.m_DownloadUrl);
            return -1;
        case DL_CODE_PROGRESS:
            Progress(L"Download", r.progress);
            return -1;
        case DL_CODE_MD5:
            m_out.Line(L"Checksum: " + r.text);
            return -1;
        case DL_CODE_RETRY:
            m_out.Line(L"Download failed (code " +
                       std::to_wstring(static_cast<long long>(r.progress)) + L"), retrying once");
            return -1;
        case DL_CODE_SUCCESS:
            m_out.Line(L"Download complete");
            m_phase = Phase::Installing;
            return -1;
        case DL_CODE_FAIL:
            m_out.Line(L"Error: the package could not be downloaded (code " +
                       std::to_wstring(static_cast<long long>(r.progress)) + L")");
            return HeadlessExitForEvent(r.code);
        case IST_CODE_START:
            m_installStarted = true;
            m_lastProgressTick = 0;
            m_out.Line(L"Installing");
            // The installed application reads these from the start on.
            WriteInstallIni(m_facts.installDir, AnalyticsDir(), RunningExeFileName());
            return -1;
        case IST_CODE_PROGRESS:
            Progress(L"Install", r.progress);
            return -1;
        case IST_CODE_INST_PATH: {
            // A path never ends in blanks or a carriage return a package left on the line.
            // A relative path would be recorded as the installation and resolved against
            // whatever directory a later run starts in: the chosen directory stays instead.
            const std::wstring dir = NormalizeInstallDir(r.text);
            if (IsAbsolutePath(dir)) m_facts.installDir = dir;
            return -1;
        }
        case IST_CODE_UNINST_EP:
            m_facts.uninstEp = Utils::Trim(r.text);
            return -1;
        case IST_CODE_MESSAGE:
            m_out.Line(L"Message: " + r.text);
            return -1;
        case IST_CODE_SUCCESS:
            return Finish();
        case IST_CODE_FAIL:
            m_out.Line(L"Error: " + (r.text.empty() ? std::wstring(kInstallFailedText) : r.text));
            return HeadlessExitForEvent(r.code);
        default:
            return -1;
    }
}

int Run::Finish() {
    const std::wstring entry =
        WriteInstallRecords(m_places.recordsKey, m_facts.installDir, m_facts.uninstEp);
    WriteInstallIni(m_facts.installDir, AnalyticsDir(), RunningExeFileName());
    m_out.Line(L"Installed into " + m_facts.installDir);
    const InstallRecords recorded = ReadInstallRecords(m_places.recordsKey);
    m_out.Line(L"Recorded InstallPath=" + recorded.installDir);
    m_out.Line(L"Recorded UnInstallEp=" + recorded.uninstaller +
               (recorded.uninstaller == entry ? L"" : L" (entry " + entry + L" not found)"));
    m_out.Line(L"Wrote " + JoinPath(m_facts.installDir, L"set.ini"));
    return kHeadlessOk;
}

int Run::Execute() {
    const InstallRecords old = ReadInstallRecords(m_places.recordsKey);
    const DefaultDir byDefault = DefaultInstallDir(old.installDir, old.uninstaller);
    const std::wstring dir =
        m_options.installDir.empty() ? byDefault.dir : NormalizeInstallDir(m_options.installDir);
    if (!old.installDir.empty()) m_out.Line(L"Installed version found in " + old.installDir);

    const int checked = Check(dir);
    if (checked != kHeadlessOk) return checked;

    m_facts.installDir = dir;
    const std::wstring uninstaller =
        IsOverrideForbidden(old.installDir, dir) ? std::wstring() : old.uninstaller;
    EventQueue queue;
    m_pipeline.reset(
        new CDownloadInstaller([&queue](int code, double progress,
                                        const wchar_t* text) { queue.Push(code, progress, text); },
                               L"", L"", L"", true, true, true));
    m_pipeline->Configure(g_settings.m_DownloadUrl, uninstaller, dir, true, true,
                          byDefault.adminAccount, byDefault.elevated, L"");
    const DWORD attributes =
        uninstaller.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(uninstaller.c_str());
    m_phase = attributes != INVALID_FILE_ATTRIBUTES ? Phase::Uninstalling : Phase::Downloading;
    m_pipeline->Start();

    int result = -1;
    while (result < 0) {
        for (const StatusRecord& record : queue.Take(250)) {
            if (result < 0) result = Handle(record);
        }
        if (result >= 0) break;
        // A runner whose worker has ended has reported everything it will;
        // with no result among it, the run cannot end by itself.
        bool ended = false;
        if (m_phase == Phase::Uninstalling && m_pipeline->Uninstaller() != nullptr) {
            ended = m_pipeline->Uninstaller()->Wait(0);
        } else if (m_phase == Phase::Installing && m_installStarted) {
            ended = m_pipeline->Installer()->Wait(0);
        }
        if (!ended) continue;
        for (const StatusRecord& record : queue.Take(0)) {
            if (result < 0) result = Handle(record);
        }
        if (result < 0) {
            m_out.Line(L"Error: the runner ended without a result");
            result =
                m_phase == Phase::Uninstalling ? kHeadlessUninstallFailed : kHeadlessInstallFailed;
        }
    }
    // Waits for the workers (and the package cleanup) before returning.
    m_pipeline.reset();
    return result;
}

}  // namespace

HeadlessOptions ReadHeadlessOptions(const CommandLineOptions& options) {
    HeadlessOptions headless;
    headless.silent = options.GetBool(L"-silent");
    headless.installDir = options.GetString(L"-installdir");
    return headless;
}

int HeadlessExitFor(PreRunResult result) {
    switch (result) {
        case PreRunResult::Ok:
            return kHeadlessOk;
        case PreRunResult::UninstallerRunning:
        case PreRunResult::AppRunning:
            return kHeadlessAlreadyRunning;
        case PreRunResult::InvalidDirectory:
            return kHeadlessInvalidDirectory;
        case PreRunResult::NotEnoughSpace:
            return kHeadlessNotEnoughSpace;
    }
    return kHeadlessInstallFailed;
}

int HeadlessExitForEvent(int code) {
    switch (code) {
        case IST_CODE_SUCCESS:
            return kHeadlessOk;
        case IST_CODE_FAIL:
            return kHeadlessInstallFailed;
        case DL_CODE_FAIL:
            return kHeadlessDownloadFailed;
        case UNIST_CODE_FAIL:
        case UNIST_CODE_ERROR:
            return kHeadlessUninstallFailed;
        default:
            return -1;
    }
}

std::wstring NormalizeInstallDir(const std::wstring& dir) {
    std::wstring result = Utils::Trim(dir);
    // "-installdir="C:\Dir\"" reaches us as C:\Dir" (the backslash escapes
    // the closing quote); no path holds a quote, so it goes with the separators.
    while (result.size() > 3 &&
           (result.back() == L'\\' || result.back() == L'/' || result.back() == L'"')) {
        result.pop_back();
    }
    if (result.size() == 2 && result[1] == L':') result.push_back(L'\\');
    return result;
}

int RunHeadless(const HeadlessOptions& options, const HeadlessPlaces& places) {
    const ConsoleOutput out;
    DEBUG_LOG_LINE(L"RunHeadless", L"headless installation, install dir \"%s\"",
                   options.installDir.c_str());
    Run run(options, places, out);
    const int result = run.Execute();
    out.Line(L"Exit code " + std::to_wstring(result));
    return result;
}
