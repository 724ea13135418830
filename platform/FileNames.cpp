#include "FileNames.h"

#include <algorithm>

std::string nativeFileName(std::string_view programFileName) {
  std::string name(programFileName);
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}
