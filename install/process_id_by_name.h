#pragma once
// Looks a running process up by the exact file name of its executable.
#include <windows.h>

#include <string>

// Identifier of the first running process whose executable file name (no
// directory) equals `imageName`, compared case-sensitively; 0 when there is
// none, the name is empty, or the process list cannot be read.
DWORD ProcessIdByName(const std::wstring& imageName);
