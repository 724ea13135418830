#include "GlBinding.h"

#include <array>
#include <cstring>
#include <type_traits>

GlEntryPoints gl;

namespace {

bool systemLibrary = false;
bool allFound = false;
bool counting = false;
std::uint64_t callsCounted = 0;
// The calls counted through each entry, in table order.
#define ZIRROW_GL_INDEX(name) name##Index,
enum EntryIndex : std::size_t { ZIRROW_GL_ENTRY_POINTS(ZIRROW_GL_INDEX) entryCount };
#undef ZIRROW_GL_INDEX
std::array<std::uint64_t, entryCount> callsCountedPerEntry{};
// While counting: the driver's functions, which the counters in the table call.
GlEntryPoints driver;

// The counter in front of one entry point of the table.
template <auto entry, std::size_t index,
          typename Function = std::remove_reference_t<decltype(driver.*entry)>>
struct CountingEntry;

template <auto entry, std::size_t index, typename Result, typename... Arguments>
struct CountingEntry<entry, index, Result (*)(Arguments...)> {
  static Result call(Arguments... arguments) {
    ++callsCounted;
    ++callsCountedPerEntry[index];
    return (driver.*entry)(arguments...);
  }
};

void putCountersInFront() {
  driver = gl;
#define ZIRROW_GL_COUNTER(name) \
  if (gl.name) gl.name = &CountingEntry<&GlEntryPoints::name, name##Index>::call;
  ZIRROW_GL_ENTRY_POINTS(ZIRROW_GL_COUNTER)
#undef ZIRROW_GL_COUNTER
}

void takeCountersAway() {
  gl = driver;
  driver = GlEntryPoints{};
}

constexpr const char* systemLibraryName = "opengl32.dll";

void forgetEntryPoints() {
  gl = GlEntryPoints{};
  driver = GlEntryPoints{};
  allFound = false;
}

// Each entry's pointer in table order, for binding and checking the table by name.
template <typename Visit>
void forEachEntryPoint(Visit visit) {
#define ZIRROW_GL_VISIT(name) visit(#name, gl.name);
  ZIRROW_GL_ENTRY_POINTS(ZIRROW_GL_VISIT)
#undef ZIRROW_GL_VISIT
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string driverDescription(const char* label, const char* libraryName) {
  std::string text = std::string("The OpenGL driver \"") + label + "\" (" + libraryName;
  if (namesSystemLibrary(libraryName)) text += ", the system OpenGL library";
  return text + ")";
}

}  // namespace

const char* driverLabel(int useGL) {
  switch (useGL) {
    case 2:
      return voodooDriverLabel;
    case 3:
      return directXDriverLabel;
    default:
      return systemDriverLabel;
  }
}

const char* driverLibraryName(int useGL, bool fullScreen) {
  if (useGL == 2 && fullScreen) return "3dfxvgl.dll";
  if (useGL == 3) return "altogl.dll";
  return systemLibraryName;
}

bool namesSystemLibrary(const char* libraryName) {
  return libraryName && std::strstr(libraryName, "opengl32") != nullptr;
}

int bindOpenGL(const char* libraryName) {
  unbindOpenGL();
  systemLibrary = namesSystemLibrary(libraryName);
  if (!libraryName || !GlDriver::loadLibrary(systemLibrary ? nullptr : libraryName)) return 0;
  bindEntryPoints(GlDriver::procAddress);
  return 1;
}

void bindEntryPoints(const std::function<void*(const char*)>& lookup) {
  allFound = true;
  forEachEntryPoint([&](const char* name, auto& entryPoint) {
    entryPoint = reinterpret_cast<std::remove_reference_t<decltype(entryPoint)>>(lookup(name));
    if (!entryPoint) allFound = false;
  });
  if (counting) putCountersInFront();
}

void countGlCalls(bool count) {
  if (count == counting) return;
  counting = count;
  if (counting) {
    putCountersInFront();
  } else {
    takeCountersAway();
  }
}

bool countingGlCalls() {
  return counting;
}

std::uint64_t glCallsCounted() {
  return callsCounted;
}

std::uint64_t glCallsCountedTo(std::string_view name) {
  for (std::size_t i = 0; i < glEntryPointNames.size(); ++i) {
    if (name == glEntryPointNames[i]) return callsCountedPerEntry[i];
  }
  return 0;
}

void unbindOpenGL() {
  forgetEntryPoints();
  GlDriver::unloadLibrary();
}

bool usesSystemLibrary() {
  return systemLibrary;
}

bool allEntryPointsFound() {
  return allFound;
}

std::vector<std::string> missingEntryPoints() {
  std::vector<std::string> missing;
  forEachEntryPoint([&](const char* name, const auto& entryPoint) {
    if (!entryPoint) missing.emplace_back(name);
  });
  return missing;
}

GlContextHandle createContext(GlDeviceContext deviceContext) {
  return GlDriver::createContext(deviceContext);
}

int makeCurrent(GlDeviceContext deviceContext, GlContextHandle context) {
  return GlDriver::makeCurrent(deviceContext, context) ? 1 : 0;
}

int deleteContext(GlContextHandle context) {
  GlDriver::deleteContext(context);
  return 0;
}

int setSwapInterval(int interval) {
  return GlDriver::setSwapInterval(interval) ? 1 : 0;
}

void swapBuffers() {
  GlDriver::swapBuffers(GlDriver::currentDeviceContext());
}

std::string bindDriverFor(int useGL, bool fullScreen) {
  const char* label = driverLabel(useGL);
  const char* libraryName = driverLibraryName(useGL, fullScreen);
  if (!bindOpenGL(libraryName)) {
    std::string text =
        driverDescription(label, libraryName) + " can't be loaded: " + GlDriver::lastError();
    if (!usesSystemLibrary()) text += "\nSet \"useGL\" to 1 for the system OpenGL library.";
    return text;
  }
  return missingEntryPointsMessage(label, libraryName);
}

std::string missingEntryPointsMessage(const char* label, const char* libraryName) {
  const auto missing = missingEntryPoints();
  if (missing.empty()) return {};
  return driverDescription(label, libraryName) +
         " lacks OpenGL functions that drawing needs: " + joined(missing);
}
