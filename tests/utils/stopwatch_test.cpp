#include <gtest/gtest.h>
#include <windows.h>

#include "utils/pump_messages.h"
#include "utils/stopwatch.h"

namespace {

TEST(Stopwatch, NeverStartedIsZero) {
    Utils::Stopwatch watch;
    EXPECT_EQ(watch.ElapsedSeconds(), 0.0f);
    watch.m_start = 5;  // a start tick alone does not make it run
    EXPECT_EQ(watch.ElapsedSeconds(), 0.0f);
}

TEST(Stopwatch, TickDifferencesIncludingTheWrap) {
    struct Case {
        uint32_t start, now;
        float seconds;
    };
    const Case cases[] = {
        {1000, 1000, 0.0f},
        {1000, 3500, 2.5f},
        {0xFFFFFC18u, 1000, 2.0f},  // 1000 ms before the wrap, 1000 ms after it
        {0xFFFFFFFFu, 0, 0.001f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(Utils::TicksToSeconds(c.start, c.now), c.seconds);
}

TEST(Stopwatch, RunningWatchCountsUp) {
    Utils::Stopwatch watch;
    watch.Start();
    EXPECT_TRUE(watch.m_running);
    EXPECT_GE(watch.ElapsedSeconds(), 0.0f);
    Sleep(30);
    EXPECT_GT(watch.ElapsedSeconds(), 0.0f);
}

TEST(PumpMessages, QuitMessageStopsAndIsPostedAgain) {
    PostQuitMessage(7);
    EXPECT_FALSE(Utils::PumpMessages(nullptr));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(PumpMessages, AWindowThatIsGoneStopsAtOnce) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    DestroyWindow(window);
    EXPECT_FALSE(Utils::PumpMessages(window));
}

TEST(PumpMessages, ReturnsTrueWhenTheTimeIsUp) {
    // Real time: a thread timer keeps messages coming until 100 ms have passed.
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    ASSERT_NE(timer, 0u);
    EXPECT_TRUE(Utils::PumpMessages(nullptr));
    KillTimer(nullptr, timer);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace
