#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "InstanceLock.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object.
class ScopedVariable {
public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* previous = std::getenv(name)) previous_ = previous;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (previous_) {
      setenv(name_, previous_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
  const char* name_;
  std::optional<std::string> previous_;
};

// A runtime and a temporary directory of the test's own.
class InstanceLockTest : public testing::Test {
protected:
  InstanceLockTest()
      : root_(fs::temp_directory_path() /
              ("zirrow-lock-" + std::to_string(std::random_device{}()))),
        runtimeDir_(root_ / "runtime"),
        tempDir_(root_ / "temp"),
        runtime_("XDG_RUNTIME_DIR", runtimeDir_.string()),
        temp_("TMPDIR", tempDir_.string()) {
    fs::create_directories(runtimeDir_);
    fs::create_directories(tempDir_);
  }
  ~InstanceLockTest() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::string tempLockFile(const std::string& name) const {
    return (tempDir_ / (name + "-" + std::to_string(getuid()) + ".lock")).string();
  }

  fs::path root_;
  fs::path runtimeDir_;
  fs::path tempDir_;
  ScopedVariable runtime_;
  ScopedVariable temp_;
};

TEST_F(InstanceLockTest, ASecondHolderOfTheSameNameIsRefused) {
  InstanceLock first;
  ASSERT_TRUE(first.acquire("FenmarrowSaver"));
  EXPECT_TRUE(first.held());
  EXPECT_EQ(first.path(), (runtimeDir_ / "FenmarrowSaver.lock").string());
  EXPECT_TRUE(fs::is_regular_file(first.path()));

  InstanceLock second;
  EXPECT_FALSE(second.acquire("FenmarrowSaver"));
  EXPECT_FALSE(second.held());
  EXPECT_TRUE(second.path().empty());

  InstanceLock other;
  EXPECT_TRUE(other.acquire("SomethingElse"));
  EXPECT_TRUE(other.held());
}

TEST_F(InstanceLockTest, AReleasedLockCanBeTakenAgain) {
  InstanceLock second;
  {
    InstanceLock first;
    ASSERT_TRUE(first.acquire("FenmarrowSaver"));
    first.release();
    EXPECT_FALSE(first.held());
    ASSERT_TRUE(second.acquire("FenmarrowSaver"));
    EXPECT_FALSE(first.acquire("FenmarrowSaver"));
  }
  second.release();
  {
    InstanceLock first;
    ASSERT_TRUE(first.acquire("FenmarrowSaver"));
  }
  // The lock ended with its object.
  EXPECT_TRUE(second.acquire("FenmarrowSaver"));
}

TEST_F(InstanceLockTest, AnUnusableRuntimeDirectoryFallsBackToTheTemporaryDirectory) {
  for (const std::string& runtime :
       {(root_ / "missing").string(), std::string("relative/dir"), std::string()}) {
    SCOPED_TRACE(runtime);
    ScopedVariable variable("XDG_RUNTIME_DIR", runtime);
    InstanceLock first;
    ASSERT_TRUE(first.acquire("FenmarrowSaver"));
    EXPECT_EQ(first.path(), tempLockFile("FenmarrowSaver"));
    InstanceLock second;
    EXPECT_FALSE(second.acquire("FenmarrowSaver"));
  }
}

TEST_F(InstanceLockTest, ALockFileThatIsNoPlainFileIsPassedOver) {
  fs::create_directory(runtimeDir_ / "FenmarrowSaver.lock");
  InstanceLock directory;
  ASSERT_TRUE(directory.acquire("FenmarrowSaver"));
  EXPECT_EQ(directory.path(), tempLockFile("FenmarrowSaver"));
}

TEST_F(InstanceLockTest, ALinkPlantedUnderTheLockNameIsNotFollowed) {
  ScopedVariable noRuntime("XDG_RUNTIME_DIR", "");
  fs::create_symlink(root_ / "target", tempLockFile("FenmarrowSaver"));
  InstanceLock linked;
  EXPECT_TRUE(linked.acquire("FenmarrowSaver"));
  EXPECT_FALSE(linked.held());
  EXPECT_FALSE(fs::exists(root_ / "target"));
}

TEST_F(InstanceLockTest, WithoutAnyUsableDirectoryTheProgramMayRun) {
  ScopedVariable runtime("XDG_RUNTIME_DIR", (root_ / "missing").string());
  ScopedVariable temp("TMPDIR", (root_ / "missing-too").string());
  InstanceLock first;
  EXPECT_TRUE(first.acquire("FenmarrowSaver"));
  EXPECT_FALSE(first.held());
  EXPECT_TRUE(first.path().empty());
}

TEST_F(InstanceLockTest, ANameWithSlashesStaysInTheLockDirectory) {
  InstanceLock lock;
  ASSERT_TRUE(lock.acquire("../escape/name"));
  EXPECT_EQ(fs::path(lock.path()).parent_path(), runtimeDir_);
  InstanceLock second;
  EXPECT_FALSE(second.acquire("../escape/name"));
}

}  // namespace
