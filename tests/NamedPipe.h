#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

// A named pipe without a writer, removed with the object. A reader that opens it
// without care blocks; so that such a reader fails its test instead of hanging the
// run, a writer starts opening and closing it after a few seconds, which lets the
// blocked reader go and marks the pipe as having released it.
class NamedPipe {
public:
  explicit NamedPipe(const std::filesystem::path& path) : path_(path) {
    created_ = ::mkfifo(path.c_str(), 0600) == 0;
    writer_ = std::thread([this] { releaseBlockedReaders(); });
  }
  ~NamedPipe() {
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    writer_.join();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  NamedPipe(const NamedPipe&) = delete;
  NamedPipe& operator=(const NamedPipe&) = delete;

  bool created() const { return created_; }
  std::string path() const { return path_.string(); }
  // Whether a reader had to be let go: it blocked in opening the pipe.
  bool releasedAReader() const { return released_; }

private:
  void releaseBlockedReaders() {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::seconds(3), [this] { return done_; })) return;
    while (!done_) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        released_ = true;
        ::close(fd);
      }
      wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; });
    }
  }

  std::filesystem::path path_;
  bool created_ = false;
  std::atomic<bool> released_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread writer_;
};
