#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "tests/log_capture.h"
#include "utils/thread.h"

namespace {

using TestSupport::LogCapture;

struct Probe {
    std::atomic<int> calls{0};
    std::atomic<DWORD> ranOn{0};
    void* seenParam = nullptr;
};

Utils::Thread::Body RecordingBody(Probe* probe) {
    return [probe](void* param) -> uint32_t {
        probe->seenParam = param;
        probe->ranOn = GetCurrentThreadId();
        ++probe->calls;
        return 7;
    };
}

std::wstring ThreadTag(DWORD id) {
    wchar_t buf[32];
    swprintf(buf, 32, L"<T%05lu>", static_cast<unsigned long>(id));
    return buf;
}

TEST(Thread, RunsBodyOnceOnItsOwnThreadBetweenBeginAndEndLines) {
    LogCapture capture;
    Probe probe;
    int owner = 0;
    auto thread = std::make_unique<Utils::Thread>(&owner, L"ABDEF", RecordingBody(&probe));
    ASSERT_NE(thread->m_handle, nullptr);
    const DWORD id = thread->m_threadId;
    EXPECT_EQ(thread->m_name, L"ABDEF");
    EXPECT_EQ(thread->m_param, &owner);
    ASSERT_TRUE(thread->Resume());
    thread->Join();

    EXPECT_EQ(probe.calls.load(), 1);
    EXPECT_EQ(probe.seenParam, &owner);
    EXPECT_EQ(probe.ranOn.load(), id);
    EXPECT_NE(id, GetCurrentThreadId());

    const auto lines = capture.TextsOf(L"Utils::Thread::CallBack");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(TestSupport::MessageOf(lines[0]), L"THREAD BEGIN\r\n");
    EXPECT_EQ(TestSupport::MessageOf(lines[1]), L"THREAD END\r\n");
    for (const auto& line : lines) EXPECT_NE(line.find(ThreadTag(id)), std::wstring::npos) << line;
}

TEST(Thread, NothingRunsUntilResumed) {
    Probe probe;
    Utils::Thread thread(nullptr, L"", RecordingBody(&probe));
    ASSERT_NE(thread.m_handle, nullptr);
    // A suspended thread cannot end, whatever the scheduler does.
    EXPECT_EQ(WaitForSingleObject(thread.m_handle, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(probe.calls.load(), 0);
    EXPECT_NE(ResumeThread(thread.m_handle), static_cast<DWORD>(-1));  // the owner's own way
    EXPECT_EQ(WaitForSingleObject(thread.m_handle, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(probe.calls.load(), 1);
}

TEST(Thread, JoinClearsHandleAndIdAndIsRepeatable) {
    Probe probe;
    Utils::Thread thread(nullptr, L"UnInstaller", RecordingBody(&probe));
    ASSERT_TRUE(thread.Resume());
    thread.Join();
    EXPECT_EQ(thread.m_handle, nullptr);
    EXPECT_EQ(thread.m_threadId, static_cast<DWORD>(-1));
    thread.Join();  // no handle any more: nothing happens
    EXPECT_FALSE(thread.Resume());
    EXPECT_EQ(probe.calls.load(), 1);
}

TEST(Thread, DestructionWaitsForTheBody) {
    std::atomic<bool> finished{false};
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(go, nullptr);
    {
        Utils::Thread thread(nullptr, L"ABDEF", [&](void*) -> uint32_t {
            WaitForSingleObject(go, 10000);
            Sleep(20);  // still working when the owner starts destroying
            finished = true;
            return 0;
        });
        ASSERT_TRUE(thread.Resume());
        SetEvent(go);
    }
    EXPECT_TRUE(finished.load());
    CloseHandle(go);
}

TEST(Thread, DestroyingANeverResumedThreadNeitherHangsNorRunsTheBody) {
    LogCapture capture;
    Probe probe;
    { Utils::Thread thread(nullptr, L"ABDEF", RecordingBody(&probe)); }
    EXPECT_EQ(probe.calls.load(), 0);
    EXPECT_TRUE(capture.TextsOf(L"Utils::Thread::CallBack").empty());
}

TEST(Thread, ABodyThatThrowsStillEndsWithTheEndLine) {
    LogCapture capture;
    Utils::Thread thread(nullptr, L"ABDEF", [](void*) -> uint32_t { throw 42; });
    ASSERT_TRUE(thread.Resume());
    thread.Join();
    const auto lines = capture.TextsOf(L"Utils::Thread::CallBack");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(TestSupport::MessageOf(lines.front()), L"THREAD BEGIN\r\n");
    EXPECT_EQ(TestSupport::MessageOf(lines.back()), L"THREAD END\r\n");
}

TEST(Thread, ManyWorkersEachLogTheirOwnPair) {
    LogCapture capture;
    std::vector<std::unique_ptr<Utils::Thread>> threads;
    std::atomic<int> total{0};
    for (int i = 0; i < 8; ++i) {
        threads.push_back(std::make_unique<Utils::Thread>(nullptr, L"", [&](void*) -> uint32_t {
            ++total;
            return 0;
        }));
    }
    std::vector<DWORD> ids;
    for (auto& t : threads) {
        ids.push_back(t->m_threadId);
        ASSERT_TRUE(t->Resume());
    }
    threads.clear();
    EXPECT_EQ(total.load(), 8);
    const auto lines = capture.TextsOf(L"Utils::Thread::CallBack");
    ASSERT_EQ(lines.size(), 16u);
    for (DWORD id : ids) {
        int begin = -1, end = -1;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].find(ThreadTag(id)) == std::wstring::npos) continue;
            if (TestSupport::MessageOf(lines[i]) == L"THREAD BEGIN\r\n")
                begin = static_cast<int>(i);
            if (TestSupport::MessageOf(lines[i]) == L"THREAD END\r\n") end = static_cast<int>(i);
        }
        EXPECT_GE(begin, 0);
        EXPECT_GT(end, begin);
    }
}

TEST(ThreadName, DebuggerNames) {
    struct Case {
        std::wstring name;
        DWORD id;
        std::string expected;
    };
    const Case cases[] = {
        {L"ABDEF", 12, "ABDEF"},
        {L"UnInstaller", 12, "UnInstaller"},
        {L"", 1234, "t1234"},
        {L"", 4294967295u, "t4294967295"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utils::ThreadDebugName(c.name, c.id), c.expected);
}

TEST(ThreadName, NamingWithoutADebuggerIsHarmless) {
    // The naming exception must be swallowed in-process when nobody listens.
    Utils::SetThreadDebugName(GetCurrentThreadId(), "ABDEF");
    Utils::SetThreadDebugName(GetCurrentThreadId(), "");
    SUCCEED();
}

}  // namespace
