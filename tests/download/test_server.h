#pragma once
// Access to the package server that tests/with-server.sh started for this test
// program (its base URL is in TARVO_TEST_SERVER), and scratch folders.
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// "http://127.0.0.1:<port>", or "" when the program runs without the server.
std::string ServerBase();
// URL of a package with the given option text ("size=2000000,id=x"): the
// redirect chain that ends at the package.
std::string PackageUrl(const std::string& options);
std::wstring PackageUrlW(const std::string& options);
// Body of a GET on the server (control endpoints); "" on failure.
std::string FetchText(const std::string& path);
// MD5 the server publishes for the package with these options.
std::string PackageMd5(const std::string& options);
// Requests of the package with id=<id>, one "<METHOD> <path> <range>" each.
std::vector<std::string> RequestLog(const std::string& id);

// A fresh empty folder under the temporary directory (trailing backslash),
// removed with its files at destruction.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + name; }

  private:
    std::wstring m_path;
};

int64_t FileSize(const std::wstring& path);  // -1 when missing
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);

}  // namespace TestSupport

#define REQUIRE_SERVER()                                                     \
    do {                                                                     \
        if (::TestSupport::ServerBase().empty())                             \
            GTEST_SKIP() << "TARVO_TEST_SERVER not set (run through CTest)"; \
    } while (0)
