// The orchestration end to end: the real package server (serving the demo
// package), the real downloaders, the demo package and demo uninstaller as
// real child processes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "config/installer_settings.h"
#include "install/download_installer.h"
#include "install/process_id_by_name.h"
#include "tests/install/event_recorder.h"
#include "tests/log_capture.h"
#include "tests/process_runner.h"
#include "tests/scratch.h"
#include "utils/text.h"

namespace {

using TestSupport::Event;
using TestSupport::EventRecorder;
using TestSupport::IsFile;
using TestSupport::ScratchDir;

std::wstring ServerUrl(const std::wstring& opts) {
    wchar_t base[512] = {};
    GetEnvironmentVariableW(L"TARVO_TEST_SERVER", base, 512);
    return std::wstring(base) + L"/fo/" + opts;
}

bool IsFinal(int code) {
    return code == IST_CODE_SUCCESS || code == IST_CODE_FAIL || code == DL_CODE_FAIL ||
           code == UNIST_CODE_FAIL || code == UNIST_CODE_ERROR;
}

// Waits (bounded) until the recorder holds a final event; returns the events.
std::vector<Event> WaitForEnd(const EventRecorder& recorder) {
    for (int i = 0; i < 3000; ++i) {
        const std::vector<Event> events = recorder.Events();
        if (std::any_of(events.begin(), events.end(),
                        [](const Event& e) { return IsFinal(e.code); })) {
            return events;
        }
        Sleep(20);
    }
    ADD_FAILURE() << "no final event within 60 s";
    return recorder.Events();
}

size_t IndexOf(const std::vector<Event>& events, int code, size_t from = 0) {
    for (size_t i = from; i < events.size(); ++i) {
        if (events[i].code == code) return i;
    }
    return events.size();
}

bool HasEvent(const std::vector<Event>& events, int code) {
    return IndexOf(events, code) < events.size();
}

class Pipeline : public ::testing::Test {
  protected:
    void SetUp() override {
        m_savedType = g_settings.m_DownloadType;
        m_savedInsNew = g_settings.m_InsNew;
        g_settings.m_InsNew = false;
        g_settings.m_DownloadType = 1;
        SetEnvironmentVariableW(L"TARVO_DEMO_PACKAGE", L"duration=100");
        SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", L"duration=100");
    }
    void TearDown() override {
        g_settings.m_DownloadType = m_savedType;
        g_settings.m_InsNew = m_savedInsNew;
        SetEnvironmentVariableW(L"TARVO_DEMO_PACKAGE", nullptr);
        SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", nullptr);
    }

    // One orchestrated run; the orchestrator is destroyed (waiting for its
    // workers) before the events are returned.
    std::vector<Event> RunPipeline(const std::wstring& url, const std::wstring& oldUninstaller,
                                   const std::wstring& dir, const std::wstring* tempDir = nullptr) {
        EventRecorder recorder;
        {
            CDownloadInstaller pipeline(recorder.Callback(), L"", L"", L"", true, true, true);
            pipeline.Configure(url, oldUninstaller, dir, true, false, false, true, L"");
            if (tempDir != nullptr) pipeline.SetTempDirectoryForTest(*tempDir);
            pipeline.Start();
            WaitForEnd(recorder);
        }
        return recorder.Events();
    }

    int m_savedType = 1;
    bool m_savedInsNew = false;
};

TEST_F(Pipeline, CleanInstallationAndASecondOneOverIt) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"Tarvo 塔沃";
    TestSupport::LogCapture log;
    const std::vector<Event> first = RunPipeline(ServerUrl(L"id=clean"), L"", dir);
    ASSERT_FALSE(first.empty());
    // No old version: the download comes first; no uninstall code at all.
    EXPECT_EQ(first[0].code, DL_CODE_START);
    for (const Event& e : first) EXPECT_LT(e.code, 5000) << e;
    EXPECT_LT(IndexOf(first, DL_CODE_SUCCESS), IndexOf(first, IST_CODE_START));
    EXPECT_EQ(first.back().code, IST_CODE_SUCCESS);
    // The package's facts arrive unchanged.
    EXPECT_TRUE(std::count(first.begin(), first.end(), Event{IST_CODE_INST_PATH, 0.0, dir}));
    EXPECT_TRUE(std::count(first.begin(), first.end(),
                           Event{IST_CODE_UNINST_EP, 0.0, dir + L"\\uninst.ep"}));
    EXPECT_TRUE(IsFile(dir + L"\\TarvoPDFEditor.exe"));
    EXPECT_FALSE(IsFile(PackagePathFor(dir)));
    EXPECT_FALSE(IsFile(PackagePathFor(dir) + L".part"));
    EXPECT_TRUE(log.AnyContains(L"DL_TYPE=1\r\n"));
    EXPECT_TRUE(log.AnyContains(L"DOWNLOAD_SUCCESS\r\n"));
    EXPECT_TRUE(log.AnyContains(L"INSTALL_SUCCESS\r\n"));

    // Second installation: the old uninstaller is copied and run first.
    ScratchDir temp;
    const std::wstring tempDir = temp.Path() + L"\\";
    const std::vector<Event> second =
        RunPipeline(ServerUrl(L"id=second"), dir + L"\\uninst.ep", dir, &tempDir);
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second[0], (Event{UNIST_CODE_PROGRESS, 0.0, L""}));
    const size_t removed = IndexOf(second, UNIST_CODE_SUCCESS);
    ASSERT_LT(removed, second.size());
    EXPECT_LT(removed, IndexOf(second, DL_CODE_START));
    EXPECT_EQ(second.back().code, IST_CODE_SUCCESS);
    EXPECT_TRUE(IsFile(dir + L"\\uninst.ep"));
    EXPECT_FALSE(IsFile(PackagePathFor(dir)));
    // The copy is the orchestrator's and goes with it.
    EXPECT_FALSE(IsFile(UninstallerCopyPathFor(tempDir)));
}

TEST_F(Pipeline, DownloadFailureCleansUpAndInstallsNothing) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"app";
    const std::vector<Event> events = RunPipeline(ServerUrl(L"status=404,id=fail"), L"", dir);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().code, DL_CODE_FAIL);
    EXPECT_FALSE(HasEvent(events, IST_CODE_START));
    EXPECT_FALSE(IsFile(PackagePathFor(dir)));
    EXPECT_FALSE(IsFile(dir + L"\\TarvoPDFEditor.exe"));
}

TEST_F(Pipeline, ChecksumMismatchRetriesAndThenInstalls) {
    for (int type : {1, 3}) {
        g_settings.m_DownloadType = type;
        ScratchDir scratch;
        const std::wstring dir = scratch / L"app";
        const std::wstring id = L"corrupt" + std::to_wstring(type);
        const std::vector<Event> events =
            RunPipeline(ServerUrl(L"corrupt=1,faults=1,id=" + id), L"", dir);
        const size_t retry = IndexOf(events, DL_CODE_RETRY);
        ASSERT_LT(retry, events.size()) << "type " << type;
        // A second download run starts after the retry, into the same path.
        EXPECT_LT(IndexOf(events, DL_CODE_START, retry), events.size());
        EXPECT_EQ(events.back().code, IST_CODE_SUCCESS) << "type " << type;
        EXPECT_TRUE(IsFile(dir + L"\\TarvoPDFEditor.exe"));
        EXPECT_FALSE(IsFile(PackagePathFor(dir)));
    }
}

TEST_F(Pipeline, FailingUninstallerStopsTheRun) {
    ScratchDir scratch;
    const std::wstring dir = scratch / L"app";
    ASSERT_EQ(RunPipeline(ServerUrl(L"id=before"), L"", dir).back().code, IST_CODE_SUCCESS);
    SetEnvironmentVariableW(L"TARVO_DEMO_UNINSTALL", L"duration=0;error=卸载失败了");
    ScratchDir temp;
    const std::wstring tempDir = temp.Path() + L"\\";
    const std::vector<Event> events =
        RunPipeline(ServerUrl(L"id=after"), dir + L"\\uninst.ep", dir, &tempDir);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (Event{UNIST_CODE_ERROR, 0.0, L"卸载失败了"}));
    EXPECT_FALSE(HasEvent(events, DL_CODE_START));
    // The old version stays.
    EXPECT_TRUE(IsFile(dir + L"\\uninst.ep"));
}

TEST_F(Pipeline, NoTemporaryDirectoryMeansNoUninstallerAndNoDownload) {
    ScratchDir scratch;
    ASSERT_TRUE(TestSupport::WriteFileBytes(scratch / L"uninst.ep", "MZ"));
    const std::wstring noTemp;
    const std::vector<Event> events =
        RunPipeline(ServerUrl(L"id=notemp"), scratch / L"uninst.ep", scratch / L"app", &noTemp);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (Event{UNIST_CODE_FAIL, 1.0, L"可执行卸载文件不存在"}));
}

TEST_F(Pipeline, InstallAnewWaitsForTheApplication) {
    ScratchDir scratch;
    ASSERT_TRUE(TestSupport::WriteFileBytes(scratch / L"uninst.ep", "MZ"));
    g_settings.m_InsNew = true;
    // Seam: the application is seen three times, then gone.
    {
        EventRecorder recorder;
        CDownloadInstaller pipeline(recorder.Callback(), L"", L"", L"", true, true, true);
        ScratchDir temp;
        const std::wstring tempDir = temp.Path() + L"\\";
        pipeline.Configure(ServerUrl(L"id=seam"), scratch / L"uninst.ep", scratch / L"app", true,
                           true, false, false, L"");
        pipeline.SetTempDirectoryForTest(tempDir);
        int looks = 0;
        pipeline.SetProcessLookupForTest([&looks](const std::wstring& name) -> DWORD {
            EXPECT_EQ(name, L"TarvoPDFEditor.exe");
            return ++looks <= 3 ? 4242 : 0;
        });
        pipeline.SetAppWaitPauseForTest(1);
        pipeline.Start();
        EXPECT_EQ(looks, 4);
        WaitForEnd(recorder);
    }
    // Real time: a running "TarvoPDFEditor.exe" that ends by itself.
    const std::wstring app = scratch / L"TarvoPDFEditor.exe";
    ASSERT_TRUE(
        CopyFileW(TestSupport::SiblingPath(L"demo_package.exe").c_str(), app.c_str(), FALSE));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring line = L"\"" + app + L"\" -demo=hang=700";
    ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                               nullptr, nullptr, &startup, &info));
    for (int i = 0; i < 100 && ProcessIdByName(L"TarvoPDFEditor.exe") == 0; ++i) Sleep(10);
    {
        EventRecorder recorder;
        CDownloadInstaller pipeline(recorder.Callback(), L"", L"", L"", true, true, true);
        ScratchDir temp;
        const std::wstring tempDir = temp.Path() + L"\\";
        pipeline.Configure(ServerUrl(L"id=anew"), scratch / L"uninst.ep", scratch / L"app", true,
                           true, false, false, L"");
        pipeline.SetTempDirectoryForTest(tempDir);
        pipeline.Start();
        // Start returned only after the application had ended.
        EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);
        EXPECT_TRUE(recorder.Events().empty() ||
                    recorder.Events().front().code == UNIST_CODE_PROGRESS);
        WaitForEnd(recorder);
    }
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST(PipelineNames, FixedPaths) {
    EXPECT_EQ(PackagePathFor(L"C:\\A"), L"C:\\A\\__Package_TarvoPDFEditor.exe");
    EXPECT_EQ(UninstallerCopyPathFor(L"C:\\T\\~OrvanTemp.92482B06FB471E17\\"),
              L"C:\\T\\~OrvanTemp.92482B06FB471E17\\\\TarvoPDFEditor_un_asa.exe");
    EXPECT_EQ(UninstallerCopyPathFor(L""), L"");
    EXPECT_EQ(DirectoryOf(L"C:\\A b\\uninst.ep"), L"C:\\A b");
    EXPECT_EQ(DirectoryOf(L"uninst.ep"), L"");
}

}  // namespace
