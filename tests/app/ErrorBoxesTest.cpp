#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ErrorBoxes.h"
#include "FmImageWriter.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "TempFile.h"

namespace {

struct Box {
  std::string title;
  std::string text;
  bool isError;
};

std::vector<Box> boxes;

bool recordBox(const char* title, const char* text, bool isError) {
  boxes.push_back({title, text, isError});
  return true;
}

bool printBox(const char* title, const char* text, bool isError) {
  std::fprintf(stderr, "box %s|%s|%s\n", title, text, isError ? "error" : "information");
  return true;
}

// Puts the hooks back as the other tests expect them.
class ErrorBoxesTest : public ::testing::Test {
protected:
  void SetUp() override { boxes.clear(); }
  void TearDown() override {
    FmImageWriter::setErrorReporter(previousReporter_);
    setErrorHook(previousHook_);
  }

private:
  FmImageWriter::ErrorReporter previousReporter_ = FmImageWriter::errorReporter();
  RWErrorHook previousHook_ = errorHook();
};

TEST_F(ErrorBoxesTest, AJpegErrorShowsItsBoxAndTheGameGoesOn) {
  ErrorBoxes::install(recordBox);
  TempFile path("empty");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(FmImageWriter::writeJpeg(path.path().string(), {}, 0, 0, 100));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "JPEG Fatal Error");
  EXPECT_NE(boxes[0].text.find("Empty JPEG image"), std::string::npos) << boxes[0].text;
  EXPECT_TRUE(boxes[0].isError);
}

TEST_F(ErrorBoxesTest, AFatalErrorShowsItsBoxThenEndsTheGame) {
  ErrorBoxes::install(printBox);
  EXPECT_EXIT(errorHook()(RWInternalErr("[TEST] fatal text")), ::testing::ExitedWithCode(1),
              "^box Fatal Error\\|\\[TEST\\] fatal text\\|error\n$");
}

}  // namespace
