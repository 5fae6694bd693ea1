#include <gtest/gtest.h>
#include <windows.h>

#include "app/single_instance_lock.h"
#include "tests/process_runner.h"

namespace {

using TestSupport::RunProcess;
using TestSupport::SiblingPath;

std::wstring InstallerCommand(const std::wstring& args) {
    return L"\"" + SiblingPath(L"TarvoPDFEditorInstaller.exe") + L"\" " + args;
}

TEST(EntryLock, OnlyTheCreatorHoldsTheName) {
    SingleInstanceLock first(L"EntryTest_" + std::to_wstring(GetCurrentProcessId()));
    first.Acquire();
    ASSERT_TRUE(first.Held());
    SingleInstanceLock second(first.m_name);
    second.Acquire();
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_FALSE(first.Held());
    // The name is free again once its only holder released and closed it.
    second.Acquire();
    EXPECT_TRUE(second.Held());
}

TEST(EntryInstaller, SecondInstanceExitsWithMinusOne) {
    SingleInstanceLock held(L"Installer_TarvoPDFEditor");
    held.Acquire();
    ASSERT_TRUE(held.Held()) << "another installer runs in this prefix";
    const auto refused = RunProcess(InstallerCommand(L"-downloadtype=abc"));
    ASSERT_TRUE(refused.started);
    EXPECT_EQ(static_cast<int>(refused.exitCode), -1);
    held.Release();
}

}  // namespace
