#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "RWErrors.h"
#include "RWMessages.h"
#include "RWTestSupport.h"

namespace {

enum class Caught { none, internal, external, base };

template <class Error>
Caught catchAs(const Error& error) {
  try {
    throw error;
  } catch (const RWInternalErr&) {
    return Caught::internal;
  } catch (const RWExternalErr&) {
    return Caught::external;
  } catch (const RWxmsg&) {
    return Caught::base;
  }
  return Caught::none;
}

const std::string overflowText =
    "[OVFLOW] Overflow error -> \"Buffer may not resize larger than\" <- (4294967295 max "
    "characters)";

void ignoreError(const RWxmsg&) {}
void otherIgnoreError(const RWxmsg&) {}

}  // namespace

TEST(RWErrors, HandlersCatchByTheKindOfError) {
  EXPECT_EQ(catchAs(RWBoundsErr("bounds")), Caught::internal);
  EXPECT_EQ(catchAs(RWInternalErr("internal")), Caught::internal);
  EXPECT_EQ(catchAs(RWExternalErr("external")), Caught::external);
  EXPECT_EQ(catchAs(RWFileErr("file", 3, 4)), Caught::external);
  EXPECT_EQ(catchAs(RWStreamErr("stream", 5)), Caught::external);
  EXPECT_EQ(catchAs(RWxalloc(100)), Caught::base);
  EXPECT_EQ(catchAs(RWxmsg("plain")), Caught::base);

  // A bounds error is also an RWxmsg for a handler that takes only that.
  bool caught = false;
  try {
    throw RWBoundsErr("bounds");
  } catch (const RWxmsg& error) {
    caught = std::strcmp(error.why(), "bounds") == 0;
  }
  EXPECT_TRUE(caught);
}

TEST(RWErrors, CarriedValues) {
  const RWFileErr file("file", 3, 4);
  EXPECT_EQ(file.file(), 3);
  EXPECT_EQ(file.failure(), 4);
  const RWStreamErr stream("stream", 5);
  EXPECT_EQ(stream.state(), 5);
  const RWxalloc alloc(100);
  EXPECT_EQ(alloc.requestedSize(), 100u);
  EXPECT_STREQ(alloc.why(), "[NOMEM] No memory");
  EXPECT_FALSE(alloc.ownsText());
}

TEST(RWErrors, CopyingAnOwningErrorCopiesItsText) {
  std::unique_ptr<RWxmsg> original = std::make_unique<RWInternalErr>("owned text");
  EXPECT_TRUE(original->ownsText());
  const RWxmsg copy(*original);
  EXPECT_NE(copy.why(), original->why());
  EXPECT_STREQ(copy.why(), "owned text");
  EXPECT_TRUE(copy.ownsText());
  original.reset();
  EXPECT_STREQ(copy.why(), "owned text");

  RWxmsg assigned("before");
  assigned = copy;
  EXPECT_STREQ(assigned.why(), "owned text");
  EXPECT_NE(assigned.why(), copy.why());
  const RWxmsg& self = assigned;
  assigned = self;
  EXPECT_STREQ(assigned.why(), "owned text");

  // The text given to an owning error is copied at construction.
  char buffer[] = "mutable";
  const RWxmsg fromBuffer(buffer);
  buffer[0] = 'M';
  EXPECT_STREQ(fromBuffer.why(), "mutable");
}

TEST(RWErrors, CopyingAConstantTextErrorSharesIt) {
  static const char constant[] = "constant text";
  const RWxmsg borrowed(constant, false);
  EXPECT_EQ(borrowed.why(), constant);
  const RWxmsg copy(borrowed);
  EXPECT_EQ(copy.why(), constant);
  EXPECT_FALSE(copy.ownsText());
}

TEST(RWErrors, RaiseThrowsACopyAsTheBaseClass) {
  const RWBoundsErr bounds("raised text");
  Caught caught = Caught::none;
  std::string text;
  try {
    bounds.raise();
  } catch (const RWInternalErr&) {
    caught = Caught::internal;
  } catch (const RWxmsg& error) {
    caught = Caught::base;
    text = error.why();
    EXPECT_NE(error.why(), bounds.why());
  }
  EXPECT_EQ(caught, Caught::base);
  EXPECT_EQ(text, "raised text");
}

TEST(RWMessages, FormattingFillsInTheValues) {
  EXPECT_EQ(formatMessage(RWMessages::indexError, 5u, 3u),
            "[INDEXERR] Illegal Index (5) for collection or string with 3 elements");
  EXPECT_EQ(formatMessage(RWMessages::noCreate, 4660, 4660),
            "[NOCREATE] RWFactory: no create function for class with ID 4660 (0x1234)");
  EXPECT_EQ(formatMessage(RWMessages::badReference), "[REF] Bad persistence reference");
}

TEST(RWMessages, FormattedTextIsCutAt495Characters) {
  const MessageRecord record{"test", 1, "[LONG] %s", 0};
  const std::string value(600, 'v');
  const std::string text = formatMessage(record, value.c_str());
  EXPECT_EQ(text.size(), 495u);
  EXPECT_EQ(text, ("[LONG] " + value).substr(0, 495));

  const std::string fits(495 - 7, 'w');
  EXPECT_EQ(formatMessage(record, fits.c_str()), "[LONG] " + fits);
}

TEST(RWMessages, TheTableNumbersEveryMessageOfItsCatalog) {
  std::set<std::pair<std::string, std::int32_t>> seen;
  int tools = 0;
  int core = 0;
  for (const MessageRecord& record : RWMessages::table()) {
    EXPECT_TRUE(seen.insert({record.catalog, record.number}).second) << record.format;
    EXPECT_EQ(record.reserved, 0);
    EXPECT_EQ(record.format[0], '[') << record.format;
    const std::string catalog = record.catalog;
    if (catalog == "tools") {
      EXPECT_EQ(record.number, 0x2000 + tools) << record.format;
      ++tools;
    } else if (catalog == "core") {
      EXPECT_EQ(record.number, 0x1000 + core) << record.format;
      ++core;
    }
  }
  EXPECT_EQ(tools, 0x17);
  EXPECT_EQ(core, 0x0B);
}

TEST(RWMessages, GrowthRule) {
  EXPECT_EQ(nextCapacity(0, 4), 16u);
  EXPECT_EQ(nextCapacity(15, 4), 16u);
  EXPECT_EQ(nextCapacity(16, 4), 32u);
  EXPECT_EQ(nextCapacity(30, 4), 60u);
  EXPECT_EQ(nextCapacity(1024, 4), 2048u);
  // Beyond half of the 32-bit range the growth slows to the half-way point.
  EXPECT_EQ(nextCapacity(0x20000000u, 4), 0x10000000u + 0xFFFFFFFFu / 8);
  EXPECT_EQ(nextCapacity(0x80000000u, 1), 0x40000000u + 0xFFFFFFFFu / 2);
  EXPECT_EQ(nextCapacity(0xFFFFFFFCu, 1), 0x7FFFFFFEu + 0xFFFFFFFFu / 2);
  EXPECT_EQ(errorText<RWBoundsErr>([] { nextCapacity(0xFFFFFFFFu, 1); }), overflowText);
  EXPECT_EQ(errorText<RWBoundsErr>([] { nextCapacity(0xFFFFFFFDu, 1); }), overflowText);
}

TEST(RWMessages, ErrorHookCanBeReplacedAndRestored) {
  const RWErrorHook original = errorHook();
  ASSERT_NE(original, nullptr);
  EXPECT_EQ(setErrorHook(ignoreError), original);
  EXPECT_EQ(errorHook(), &ignoreError);
  EXPECT_EQ(setErrorHook(otherIgnoreError), &ignoreError);
  EXPECT_EQ(setErrorHook(nullptr), &otherIgnoreError);
  EXPECT_EQ(errorHook(), original);
}

TEST(RWMessagesDeathTest, DefaultErrorHookReportsAndExits) {
  EXPECT_EXIT(errorHook()(RWInternalErr("[TEST] fatal text")), ::testing::ExitedWithCode(1),
              "Fatal Error.*\\[TEST\\] fatal text");
}
