#pragma once

#include <cstdio>
#include <string>

// Opens a file for reading in binary, but only when it is a regular file: a named
// pipe, a device (/dev/zero, a terminal), a socket or a folder in its place would
// block the reader or hand it bytes without end. The open itself never blocks, and
// the check is made on the opened file, so nothing can be swapped in between.
// The stream, which the caller closes; nullptr with `problem` saying why
// ("not a regular file (a named pipe)", "No such file or directory"). `missing`, when
// given, says whether the failure was that the path names nothing.
std::FILE* openRegularFile(const std::string& path, std::string& problem, bool* missing = nullptr);
