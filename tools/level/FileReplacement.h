#pragma once

#include <filesystem>
#include <functional>
#include <string>

// Replaces a file whole or not at all: `write` writes the new contents under a
// temporary name beside the file (true when it wrote them all), and only then is the
// temporary file renamed over the file. A failure removes the temporary file and
// leaves the file as it was. The problem, naming the file and why, or an empty string.
std::string replaceFile(const std::filesystem::path& path,
                        const std::function<bool(const std::string& temporary)>& write);
