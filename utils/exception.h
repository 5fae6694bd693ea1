#pragma once
// Utils::Exception — what the utilities throw when a pipe or a child process
// cannot be created. The instances thrown here carry an empty message; the
// catching owner turns them into its own failure report.
#include <exception>

namespace Utils {

class Exception : public std::exception {
  public:
    const char* what() const noexcept override { return ""; }
};

}  // namespace Utils
