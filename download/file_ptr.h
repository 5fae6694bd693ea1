#pragma once
// One owner for a runtime-library FILE stream: closed when the owner goes.
#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;
