#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "RWBinaryFile.h"
#include "RWCString.h"
#include "RWTestSupport.h"
#include "TempFile.h"

using namespace std::string_view_literals;

namespace {

// Restores the process-wide sizing rules when a test that changed them ends.
class SizingGuard {
public:
  SizingGuard()
      : initial_(RWCString::initialCapacity(15)),
        increment_(RWCString::resizeIncrement(16)),
        waste_(RWCString::maxWaste(15)) {
    RWCString::initialCapacity(initial_);
    RWCString::resizeIncrement(increment_);
    RWCString::maxWaste(waste_);
  }
  ~SizingGuard() {
    RWCString::initialCapacity(initial_);
    RWCString::resizeIncrement(increment_);
    RWCString::maxWaste(waste_);
  }
  SizingGuard(const SizingGuard&) = delete;
  SizingGuard& operator=(const SizingGuard&) = delete;

private:
  std::size_t initial_;
  std::size_t increment_;
  std::size_t waste_;
};

}  // namespace

TEST(RWCString, EmptyStringsShareOneRepresentation) {
  const RWCString byDefault;
  const RWCString fromText("");
  const RWCString fromCount("abc", 0);
  const RWCString copy(fromText);
  EXPECT_EQ(byDefault.data(), fromText.data());
  EXPECT_EQ(byDefault.data(), fromCount.data());
  EXPECT_EQ(byDefault.data(), copy.data());
  EXPECT_EQ(byDefault.length(), 0u);
  EXPECT_EQ(fromText.length(), 0u);
  EXPECT_EQ(byDefault.data()[0], '\0');
  EXPECT_TRUE(fromText.isNull());
  EXPECT_EQ(byDefault.capacity(), 0u);
}

TEST(RWCString, CopiesShareTheirTextUntilOneIsChanged) {
  const RWCString original("hello");
  RWCString appended(original);
  EXPECT_EQ(appended.data(), original.data());
  appended.append(" world");
  EXPECT_EQ(original.view(), "hello");
  EXPECT_EQ(appended.view(), "hello world");

  RWCString edited(original);
  edited(0) = 'j';
  EXPECT_EQ(edited.view(), "jello");
  EXPECT_EQ(original.view(), "hello");

  RWCString raised(original);
  raised.toUpper();
  EXPECT_EQ(raised.view(), "HELLO");

  RWCString read(original);
  read.replace(1, 1, "a");
  EXPECT_EQ(read.view(), "hallo");

  RWCString assigned("other");
  assigned = original;
  EXPECT_EQ(assigned.data(), original.data());
  assigned.remove(1);
  EXPECT_EQ(original.view(), "hello");
  EXPECT_EQ(assigned.view(), "h");
}

TEST(RWCString, MovingTakesTheTextWithoutCopying) {
  RWCString source("moved text");
  const char* text = source.data();
  RWCString target(std::move(source));
  EXPECT_EQ(target.data(), text);
  EXPECT_EQ(target.view(), "moved text");
  source = "again";  // a moved-from string takes a new value
  EXPECT_EQ(source.view(), "again");
  RWCString other("x");
  other = std::move(target);
  EXPECT_EQ(other.view(), "moved text");
}

TEST(RWCString, CapacityFollowsTheGrowthRule) {
  EXPECT_EQ(RWCString::grownCapacity(0), 15u);
  EXPECT_EQ(RWCString::grownCapacity(15), 15u);
  EXPECT_EQ(RWCString::grownCapacity(16), 31u);
  EXPECT_EQ(RWCString::grownCapacity(31), 31u);
  EXPECT_EQ(RWCString::grownCapacity(32), 47u);

  RWCString text("abcdefghijklmno");
  EXPECT_EQ(text.capacity(), 15u);
  text.append("p");
  EXPECT_EQ(text.capacity(), 31u);
  EXPECT_EQ(text.view(), "abcdefghijklmnop");

  const RWCString tiny("ab");
  EXPECT_EQ(tiny.capacity(), 2u);
  const RWCString fromView(tiny.substring(0, 2));
  EXPECT_EQ(fromView.capacity(), 15u);
  EXPECT_EQ(fromView.view(), "ab");

  const RWCString joined = RWCString("0123456789") + "abcdefghij";
  EXPECT_EQ(joined.view(), "0123456789abcdefghij");
  EXPECT_EQ(joined.capacity(), 31u);
  EXPECT_EQ((tiny + "").view(), "ab");
}

TEST(RWCString, SizingRulesCanBeReplaced) {
  SizingGuard guard;
  EXPECT_EQ(RWCString::initialCapacity(7), 15u);
  EXPECT_EQ(RWCString::resizeIncrement(4), 16u);
  EXPECT_EQ(RWCString::grownCapacity(7), 7u);
  EXPECT_EQ(RWCString::grownCapacity(8), 11u);
  EXPECT_EQ(RWCString::grownCapacity(12), 15u);
  EXPECT_EQ(RWCString::initialCapacity(15), 7u);
  EXPECT_EQ(RWCString::resizeIncrement(16), 4u);
  EXPECT_EQ(RWCString::maxWaste(15), 15u);
}

TEST(RWCString, ShrinkingReallocatesOnlyAboveTheMaximumWaste) {
  RWCString small("abcdefghijklmnop");
  const char* block = small.data();
  small.remove(10);
  EXPECT_EQ(small.view(), "abcdefghij");
  EXPECT_EQ(small.data(), block);
  EXPECT_EQ(small.capacity(), 16u);

  RWCString large(std::string(40, 'x').c_str());
  large.remove(5);
  EXPECT_EQ(large.view(), "xxxxx");
  EXPECT_EQ(large.capacity(), 15u);
}

TEST(RWCString, EditsWithinTheCapacityKeepTheBlock) {
  RWCString text("abcdef");
  text.append("ghij");
  ASSERT_EQ(text.capacity(), 15u);
  const char* block = text.data();
  text.append("k");
  text.prepend("_");
  text.replace(1, 3, "AB");
  EXPECT_EQ(text.view(), "_ABdefghijk");
  EXPECT_EQ(text.data(), block);
  EXPECT_EQ(text.data()[text.length()], '\0');
}

TEST(RWCString, ReplacingByARangeOfItselfGoesThroughANewBlock) {
  RWCString text("abcdef");
  text.append("ghij");
  ASSERT_EQ(text.capacity(), 15u);
  const char* block = text.data();
  text.replace(0, 2, text.data() + 4, 4);
  EXPECT_EQ(text.view(), "efghcdefghij");
  EXPECT_NE(text.data(), block);

  RWCString doubled("abc");
  doubled.append(doubled);
  EXPECT_EQ(doubled.view(), "abcabc");
  doubled.prepend(doubled.data() + 1, 2);
  EXPECT_EQ(doubled.view(), "bcabcabc");
  doubled = doubled.data() + 5;
  EXPECT_EQ(doubled.view(), "abc");
}

TEST(RWCString, EditingOperations) {
  RWCString text("hello world");
  text.replace(5, 100, "!");
  EXPECT_EQ(text.view(), "hello!");
  text.replace(0, 1, nullptr);
  EXPECT_EQ(text.view(), "ello!");
  text.remove(1, 2);
  EXPECT_EQ(text.view(), "eo!");
  text.append('-', 3);
  EXPECT_EQ(text.view(), "eo!---");
  text.prepend("h", 1);
  EXPECT_EQ(text.view(), "heo!---");
  text.remove(3);
  EXPECT_EQ(text.view(), "heo");
  text += RWCString("x");
  text += "yz";
  EXPECT_EQ(text.view(), "heoxyz");
  EXPECT_EQ(errorText<RWBoundsErr>([&] { text.replace(7, 0, "a"); }), indexErrorText(7, 6));

  const RWCString withNul("a\0b", 3);
  EXPECT_EQ(withNul.length(), 3u);
  EXPECT_EQ(withNul.view(), "a\0b"sv);
}

TEST(RWCString, AssigningEmptyTextKeepsOnlyALoneBlock) {
  RWCString alone("abc");
  const char* block = alone.data();
  alone = "";
  EXPECT_TRUE(alone.isNull());
  EXPECT_EQ(alone.data(), block);
  EXPECT_EQ(alone.data()[0], '\0');

  const RWCString shared("xyz");
  RWCString copy(shared);
  copy = "";
  EXPECT_EQ(copy.data(), RWCString().data());
  EXPECT_EQ(shared.view(), "xyz");

  copy = "longer text";
  EXPECT_EQ(copy.view(), "longer text");
  EXPECT_EQ(shared.view(), "xyz");
}

TEST(RWCString, ResizePadsWithBlanksOrTruncates) {
  RWCString text("ab");
  text.resize(5);
  EXPECT_EQ(text.view(), "ab   ");
  text.resize(1);
  EXPECT_EQ(text.view(), "a");
  text.resize(1);
  EXPECT_EQ(text.view(), "a");
}

TEST(RWCString, FindRespectsStartPatternLengthAndCase) {
  const RWCString text("Hello, hello");
  EXPECT_EQ(text.find("hello"), 7u);
  EXPECT_EQ(text.find("hello", 0, RWCString::ignoreCase), 0u);
  EXPECT_EQ(text.find("HELLO", 1, RWCString::ignoreCase), 7u);
  EXPECT_EQ(text.find("HELLO"), RW_NPOS);
  EXPECT_EQ(text.find("lo", 4), 10u);
  EXPECT_EQ(text.find("Hello, hello!"), RW_NPOS);
  EXPECT_EQ(text.find("lo!", 10), RW_NPOS);
  EXPECT_EQ(text.find("o", 12), RW_NPOS);
  EXPECT_EQ(text.find(""), 0u);
  EXPECT_EQ(text.find("", 5), 5u);
  EXPECT_EQ(text.find("", 12), 12u);
  EXPECT_EQ(text.find("", 13), RW_NPOS);
  EXPECT_EQ(text.find(RWCString("ello"), 2), 8u);

  const RWCString withNul("a\0b\0c", 5);
  EXPECT_EQ(withNul.find(RWCString("\0c", 2)), 3u);
  EXPECT_EQ(withNul.find("b\0c", 3, 0, RWCString::exact), 2u);
}

TEST(RWCString, CharacterSearchesFromEitherEnd) {
  const RWCString text("a,b;c,d");
  EXPECT_EQ(text.first(','), 1u);
  EXPECT_EQ(text.last(','), 5u);
  EXPECT_EQ(text.first('x'), RW_NPOS);
  EXPECT_EQ(text.firstOf(";,"), 1u);
  EXPECT_EQ(text.lastOf(";b"), 3u);
  EXPECT_EQ(text.lastOf("xyz"), RW_NPOS);
}

TEST(RWCString, HashMixesWordsAndFoldsCaseOnRequest) {
  EXPECT_NE(RWCString("abc").hash(), RWCString("abcd").hash());
  EXPECT_NE(RWCString("abc").hash(), RWCString("ABC").hash());
  EXPECT_EQ(RWCString("abc").hash(RWCString::ignoreCase),
            RWCString("ABC").hash(RWCString::ignoreCase));
  EXPECT_NE(RWCString("abc").hash(RWCString::ignoreCase),
            RWCString("abd").hash(RWCString::ignoreCase));
  EXPECT_EQ(RWCString().hash(), 0u);

  // "abcd": one little-endian word 0x64636261 against the length 4 rotated by 5.
  EXPECT_EQ(RWCString("abcd").hash(), 0x64636261u ^ (4u << 5));
  // "abc": the three bytes gathered high to low, against 3 rotated by 5.
  EXPECT_EQ(RWCString("abc").hash(), 0x616263u ^ (3u << 5));
  // A trailing byte with its top bit set is sign-extended.
  EXPECT_EQ(RWCString("\xFF").hash(), 0xFFFFFFFFu ^ (1u << 5));
  // Case folded: each upper-cased character against the running value rotated.
  unsigned folded = 3;
  for (char c : {'A', 'B', 'C'})
    folded = static_cast<unsigned>(c) ^ ((folded << 5) | (folded >> 27));
  EXPECT_EQ(RWCString("aBc").hash(RWCString::ignoreCase), folded);
}

TEST(RWCString, CompareToOrdersByBytesThenByLength) {
  const RWCString abc("abc");
  EXPECT_EQ(abc.compareTo("abc"), 0);
  EXPECT_EQ(abc.compareTo("abd"), -1);
  EXPECT_EQ(RWCString("abd").compareTo(abc), 1);
  EXPECT_EQ(RWCString("ab").compareTo(abc), -1);
  EXPECT_EQ(abc.compareTo("ab"), 1);
  EXPECT_EQ(abc.compareTo(""), 1);
  EXPECT_EQ(RWCString().compareTo(abc), -1);

  EXPECT_EQ(RWCString("a").compareTo("B"), 1);
  EXPECT_EQ(RWCString("a").compareTo("B", RWCString::ignoreCase), -1);
  EXPECT_EQ(RWCString("ABC").compareTo(abc, RWCString::ignoreCase), 0);
  EXPECT_EQ(RWCString("ABC").compareTo(abc), -1);
  EXPECT_EQ(RWCString("ABCD").compareTo(abc, RWCString::ignoreCase), 1);
  EXPECT_EQ(RWCString("ab").compareTo("ABC", RWCString::ignoreCase), -1);

  const RWCString nulB("a\0b", 3);
  const RWCString nulC("a\0c", 3);
  EXPECT_EQ(nulB.compareTo(nulC), -1);
  EXPECT_EQ(nulB.compareTo("a"), 1);
  EXPECT_FALSE(nulB == nulC);
  EXPECT_TRUE(nulB == RWCString("a\0b", 3));
  EXPECT_TRUE(abc == "abc");
  EXPECT_FALSE(abc == "abcd");
}

TEST(RWCString, StripGivesAViewWithoutTheCharacter) {
  const RWCString padded("  ab  ");
  EXPECT_EQ(padded.strip(RWCString::leading).view(), "ab  ");
  EXPECT_EQ(padded.strip(RWCString::trailing).view(), "  ab");
  EXPECT_EQ(padded.strip().view(), "  ab");
  EXPECT_EQ(padded.strip(RWCString::both).view(), "ab");
  EXPECT_EQ(RWCString("xxaxx").strip(RWCString::both, 'x').view(), "a");
  EXPECT_EQ(RWCString("   ").strip(RWCString::both).length(), 0u);
  EXPECT_EQ(RWCString(padded.strip(RWCString::both)).view(), "ab");
}

TEST(RWCString, SubstringMustLieWithinTheString) {
  const RWCString text("abcdef");
  EXPECT_EQ(text.substring(2, 3).view(), "cde");
  EXPECT_EQ(text.substring(6, 0).length(), 0u);
  EXPECT_EQ(errorText<RWBoundsErr>([&] { text.substring(4, 3); }),
            "[SUBSTRING] Illegal substring (4, 3) from 6 element RWCString");
  const SubString none(text, RW_NPOS, 3);
  EXPECT_TRUE(none.isNull());
  EXPECT_EQ(none.length(), 0u);
  EXPECT_EQ(RWCString(none).length(), 0u);
}

TEST(RWCString, CaseConversionCopiesLeaveTheOriginal) {
  const RWCString mixed("MiXeD 1!");
  EXPECT_EQ(toLower(mixed).view(), "mixed 1!");
  EXPECT_EQ(toUpper(mixed).view(), "MIXED 1!");
  EXPECT_EQ(mixed.view(), "MiXeD 1!");
  RWCString lowered(mixed);
  lowered.toLower();
  EXPECT_EQ(lowered.view(), "mixed 1!");
  EXPECT_EQ(mixed.view(), "MiXeD 1!");
  EXPECT_TRUE(mixed.isAscii());
  EXPECT_FALSE(RWCString("caf\xC3\xA9").isAscii());
}

TEST(RWCString, IndexingIsBoundsChecked) {
  RWCString text("abc");
  EXPECT_EQ(text[2], 'c');
  EXPECT_EQ(errorText<RWBoundsErr>([&] { text[3]; }), indexErrorText(3, 3));
  EXPECT_EQ(errorText<RWBoundsErr>([&] { text[RW_NPOS]; }), nposErrorText);
  EXPECT_EQ(errorText<RWBoundsErr>([&] { text(5); }), indexErrorText(5, 3));
  EXPECT_EQ(errorText<RWBoundsErr>([&] { text(RW_NPOS); }), nposErrorText);
  EXPECT_EQ(errorText<RWBoundsErr>([&] { RWCString()[0]; }), indexErrorText(0, 0));
}

TEST(RWCString, FileFormIsTheLengthThenTheCharacters) {
  TempFile path("strings");
  {
    RWBinaryFile file(path.c_str(), "wb");
    RWCString().saveOn(file);
    RWCString("a\0c", 3).saveOn(file);
    RWCString("hello").saveOn(file);
  }
  const Bytes expected{0, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 'c', 5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(path.bytes(), expected);

  RWBinaryFile file(path.c_str(), "rb");
  RWCString empty("stale");
  empty.restoreFrom(file);
  EXPECT_TRUE(empty.isNull());
  EXPECT_EQ(empty.data()[0], '\0');
  RWCString withNul;
  withNul.restoreFrom(file);
  EXPECT_EQ(withNul.view(), "a\0c"sv);
  // Reading into a string that shares its text leaves the other holder alone.
  const RWCString original("a longer original text");
  RWCString hello(original);
  hello.restoreFrom(file);
  EXPECT_EQ(hello.view(), "hello");
  EXPECT_EQ(hello.data()[5], '\0');
  EXPECT_EQ(original.view(), "a longer original text");
  EXPECT_FALSE(file.eof());

  // Nothing left: the string keeps its text.
  hello.restoreFrom(file);
  EXPECT_EQ(hello.view(), "hello");
  EXPECT_TRUE(file.eof());
}

TEST(RWCString, LengthBeyondTheFileIsRefusedBeforeAllocating) {
  TempFile path("huge");
  Bytes bytes;
  put32(bytes, 0xFFFFFFF0u);
  for (char c : {'a', 'b', 'c', 'd', 'e', 'f'}) bytes.push_back(static_cast<unsigned char>(c));
  path.write(bytes);
  RWBinaryFile file(path.c_str(), "rb");
  RWCString text("previous");
  text.restoreFrom(file);
  EXPECT_TRUE(file.eof());
  EXPECT_EQ(file.firstShortRead(), 4);
  EXPECT_LT(text.capacity(), 64u);
  EXPECT_EQ(text.data()[text.length()], '\0');

  // Just one byte short.
  Bytes shortBy1;
  put32(shortBy1, 4);
  for (char c : {'a', 'b', 'c'}) shortBy1.push_back(static_cast<unsigned char>(c));
  path.write(shortBy1);
  RWBinaryFile shortFile(path.c_str(), "rb");
  RWCString shortText;
  shortText.restoreFrom(shortFile);
  EXPECT_TRUE(shortFile.eof());
  EXPECT_EQ(shortFile.firstShortRead(), 4);
  EXPECT_LT(shortText.length(), 4u);
}

TEST(RWCString, CopiesMadeInSeveralThreadsKeepTheTextIntact) {
  const RWCString shared("text shared by every thread of the test");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&shared] {
      for (int i = 0; i < 20000; ++i) {
        RWCString copy(shared);
        RWCString another;
        another = copy;
        if (i % 100 == 0) another.append("!");
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(shared.view(), "text shared by every thread of the test");
  RWCString last(shared);
  last.append("?");
  EXPECT_EQ(shared.view(), "text shared by every thread of the test");
}
