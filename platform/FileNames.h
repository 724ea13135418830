#pragma once

#include <string>
#include <string_view>

// The program builds some file names with Windows separators ("sounds\Bgun.wav").
// Returns the name with every '\' turned into '/', so that such a name opens the
// same file relative to the current directory. Names the user gives are used as
// they stand and never pass through here.
std::string nativeFileName(std::string_view programFileName);
