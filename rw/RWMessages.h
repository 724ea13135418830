#pragma once

#include <cstdint>
#include <span>
#include <string>

class RWxmsg;

// One entry of the library's message table.
struct MessageRecord {
  const char* catalog;
  std::int32_t number;
  const char* format;
  std::int32_t reserved;
};

namespace RWMessages {

// Catalog "tools".
inline constexpr MessageRecord allocationOutstanding{
    "tools", 0x2000, "[ALLOCOUT] %s destructor called with allocation outstanding", 0};
inline constexpr MessageRecord badRegularExpression{
    "tools", 0x2001, "[BADRE] Attempt to use invalid regular expression", 0};
inline constexpr MessageRecord createAbstract{
    "tools", 0x2002, "[CRABS] RWFactory: attempting to create abstract class with ID %hu (0x%hx)",
    0};
inline constexpr MessageRecord freeListSize{
    "tools", 0x2003, "[FLIST] Free list size error: expected %ld, got %ld", 0};
inline constexpr MessageRecord unexpectedId{"tools", 0x2004,
                                            "[ID] Unexpected class ID %hu; should be %hu", 0};
inline constexpr MessageRecord indexRange{"tools", 0x2005,
                                          "[INDEX] Index (%u) out of range [0->%u]", 0};
inline constexpr MessageRecord lockedDeleted{"tools", 0x2006, "[LOCK] Locked object deleted", 0};
inline constexpr MessageRecord longIndexRange{
    "tools", 0x2007, "[LONGINDEX] Long index (%lu) out of range [0->%lu]", 0};
inline constexpr MessageRecord magic{"tools", 0x2008,
                                     "[MAGIC] Bad magic number: %ld (should be %ld)", 0};
inline constexpr MessageRecord unequalVectors{"tools", 0x2009,
                                              "[NEVECL] Unequal vector lengths: %u versus %u", 0};
inline constexpr MessageRecord noCreate{
    "tools", 0x200A, "[NOCREATE] RWFactory: no create function for class with ID %hu (0x%hx)", 0};
inline constexpr MessageRecord notAllowed{"tools", 0x200B,
                                          "[NOTALLOW] Function not allowed for derived class", 0};
inline constexpr MessageRecord readError{"tools", 0x200C, "[READERR] Read error", 0};
inline constexpr MessageRecord badReference{"tools", 0x200D, "[REF] Bad persistence reference", 0};
inline constexpr MessageRecord seekError{"tools", 0x200E, "[SEEKERR] Seek error", 0};
inline constexpr MessageRecord badStream{"tools", 0x200F, "[STREAM] Bad input stream", 0};
inline constexpr MessageRecord subString{
    "tools", 0x2010, "[SUBSTRING] Illegal substring (%d, %u) from %u element RWCString", 0};
inline constexpr MessageRecord improperUnlock{"tools", 0x2011,
                                              "[UNLOCK] Improper use of locked object", 0};
inline constexpr MessageRecord writeError{"tools", 0x2012, "[WRITEERR] Write error", 0};
inline constexpr MessageRecord indexError{
    "tools", 0x2013, "[INDEXERR] Illegal Index (%u) for collection or string with %u elements", 0};
inline constexpr MessageRecord nposIndex{
    "tools", 0x2014, "[NPOSINDEX] The value RW_NPOS cannot be used as an index.", 0};
inline constexpr MessageRecord noPersist{"tools", 0x2015,
                                         "[NOPERSIST] Persistence not implemented for type %s.", 0};
inline constexpr MessageRecord createAbstractByName{
    "tools", 0x2016, "[CRABSS] RWFactory: attempting to create abstract class with StringID %s.",
    0};

// Catalog "core".
inline constexpr MessageRecord endOfFile{"core", 0x1000, "[EOF] EOF on input", 0};
inline constexpr MessageRecord generic{"core", 0x1001, "[GENERIC] Generic error number %d; %s", 0};
inline constexpr MessageRecord invalidAddress{"core", 0x1002, "[INVADDR] Invalid address: %lx", 0};
inline constexpr MessageRecord lockMemory{"core", 0x1003, "[LOCK] Unable to lock memory", 0};
inline constexpr MessageRecord notInitialized{
    "core", 0x1004, "[NOINIT] Memory allocated without being initialized", 0};
inline constexpr MessageRecord noMemory{"core", 0x1005, "[NOMEM] No memory", 0};
inline constexpr MessageRecord openError{"core", 0x1006, "[OPERR] Could not open file %s", 0};
inline constexpr MessageRecord outstandingAllocations{
    "core", 0x1007, "[OUTALLOC] Memory released with allocations still outstanding", 0};
inline constexpr MessageRecord overflow{
    "core", 0x1008, "[OVFLOW] Overflow error -> \"%.*s\" <- (%u max characters)", 0};
inline constexpr MessageRecord coreBadStream{"core", 0x1009, "[STREAM] Bad input stream", 0};
inline constexpr MessageRecord syntaxError{
    "core", 0x100A, "[SYNSTREAM] Syntax error in input stream: expected %s, got %s", 0};

// Raised when a file nests object records deeper than the reader allows; a
// safeguard against hostile files, not one of the original table's messages.
inline constexpr MessageRecord nestingTooDeep{
    "zirrow", 0x3000, "[NESTING] Object records nested deeper than %u levels", 0};
// Raised when a file hands an object field an object of an unsuitable class.
inline constexpr MessageRecord wrongClass{
    "zirrow", 0x3001, "[TYPE] Object of class %s (ID %hu) where %s is expected", 0};

// Every record above, "tools" first, then "core", then this program's own.
std::span<const MessageRecord> table();

}  // namespace RWMessages

// Formats a printf format with its values into at most 495 characters.
std::string formatMessageText(const char* format, ...);

// Formats the record's text with the values by printf rules, cut at 495 characters.
template <class... Values>
std::string formatMessage(const MessageRecord& record, Values... values) {
  return formatMessageText(record.format, values...);
}

// Formats a message and throws it as an exception of class Error.
template <class Error, class... Values>
[[noreturn]] void rwRaise(const MessageRecord& record, Values... values) {
  throw Error(formatMessage(record, values...).c_str());
}

// The process-wide hook for fatal errors. The default one shows the error's text
// under the title "Fatal Error" and ends the process with exit status 1. The
// library's own errors are thrown and never pass through it.
using RWErrorHook = void (*)(const RWxmsg& error);
RWErrorHook setErrorHook(RWErrorHook hook);
RWErrorHook errorHook();

// The growth rule of the persistence tables: the next capacity after n for elements
// of size elementSize; raises RWBoundsErr [OVFLOW] when no larger capacity exists.
std::uint32_t nextCapacity(std::uint32_t n, std::uint32_t elementSize);
