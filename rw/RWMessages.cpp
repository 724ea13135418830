#include "RWMessages.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "RWErrors.h"

namespace RWMessages {

std::span<const MessageRecord> table() {
  static constexpr std::array records{allocationOutstanding,
                                      badRegularExpression,
                                      createAbstract,
                                      freeListSize,
                                      unexpectedId,
                                      indexRange,
                                      lockedDeleted,
                                      longIndexRange,
                                      magic,
                                      unequalVectors,
                                      noCreate,
                                      notAllowed,
                                      readError,
                                      badReference,
                                      seekError,
                                      badStream,
                                      subString,
                                      improperUnlock,
                                      writeError,
                                      indexError,
                                      nposIndex,
                                      noPersist,
                                      createAbstractByName,
                                      endOfFile,
                                      generic,
                                      invalidAddress,
                                      lockMemory,
                                      notInitialized,
                                      noMemory,
                                      openError,
                                      outstandingAllocations,
                                      overflow,
                                      coreBadStream,
                                      syntaxError,
                                      nestingTooDeep,
                                      wrongClass};
  return records;
}

}  // namespace RWMessages

std::string formatMessageText(const char* format, ...) {
  char buffer[496];
  va_list values;
  va_start(values, format);
  const int written = std::vsnprintf(buffer, sizeof buffer, format, values);
  va_end(values);
  if (written < 0) buffer[0] = '\0';
  return buffer;
}

namespace {

void showFatalError(const RWxmsg& error) {
  std::fprintf(stderr, "Fatal Error: %s\n", error.why());
  std::exit(1);
}

RWErrorHook currentErrorHook = showFatalError;

}  // namespace

RWErrorHook setErrorHook(RWErrorHook hook) {
  const RWErrorHook previous = currentErrorHook;
  currentErrorHook = hook ? hook : showFatalError;
  return previous;
}

RWErrorHook errorHook() {
  return currentErrorHook;
}

std::uint32_t nextCapacity(std::uint32_t n, std::uint32_t elementSize) {
  if (n < 16) return 16;
  const std::uint32_t bytes = n * elementSize;
  if (bytes <= 0x7FFFFFFFu) return 2 * n;
  if (bytes < 0xFFFFFFFDu) return n / 2 + 0xFFFFFFFFu / (2 * elementSize);
  rwRaise<RWBoundsErr>(RWMessages::overflow, 33, "Buffer may not resize larger than", 4294967295u);
}
