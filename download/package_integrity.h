#pragma once
// Package integrity: the package server publishes the package's MD5 digest as
// the name of the directory holding the package file in the final URL. These
// two stateless functions produce the two sides of that comparison; callers
// compare only 32-character results, byte for byte. Safe on any thread.
#include <string>

// 32 lower-case hex digits of the file's MD5, or "" when the path is empty or
// the file cannot be opened or read to its end. The narrow form takes a path
// in the system ANSI code page.
std::string GetFileMd5(const std::string& ansiPath);
std::string GetFileMd5(const std::wstring& path);

// The second-to-last "/"-separated segment of the URL (the expected digest),
// or "" when the URL has fewer than two "/". Query strings get no special
// treatment; the text is returned as it stands (case included).
std::string GetUrlMd5(const std::string& url);
