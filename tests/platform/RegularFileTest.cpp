#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "NamedPipe.h"
#include "RegularFile.h"
#include "SettingsSandbox.h"

namespace {

std::string problemOpening(const std::string& path) {
  std::string problem;
  std::FILE* stream = openRegularFile(path, problem);
  if (stream) {
    std::fclose(stream);
    return "opened";
  }
  return problem;
}

}  // namespace

TEST(RegularFile, OpensOnlyRegularFilesAndSaysWhatElseItMet) {
  const SettingsSandbox sandbox;
  sandbox.write("REGEDIT4\n");
  std::string problem;
  std::FILE* stream = openRegularFile(sandbox.file().string(), problem);
  ASSERT_NE(stream, nullptr) << problem;
  char text[9] = {};
  EXPECT_EQ(std::fread(text, 1, 8, stream), 8u);
  EXPECT_STREQ(text, "REGEDIT4");
  std::fclose(stream);

  const NamedPipe pipe(sandbox.folder() / "pipe");
  ASSERT_TRUE(pipe.created());
  EXPECT_EQ(problemOpening(pipe.path()), "not a regular file (a named pipe)");
  EXPECT_FALSE(pipe.releasedAReader());
  EXPECT_EQ(problemOpening("/dev/zero"), "not a regular file (a character device)");
  EXPECT_EQ(problemOpening(sandbox.folder().string()), "not a regular file (a folder)");
  EXPECT_EQ(problemOpening((sandbox.folder() / "missing").string()), "No such file or directory");
  EXPECT_EQ(problemOpening(""), "No such file or directory");
}
