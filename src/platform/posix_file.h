#pragma once
// An owned file descriptor and a write that finishes, for the places that need the
// system's own calls (O_NOFOLLOW, fsync, link) rather than Qt's files.

#include <cstddef>

namespace vesk::platform {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and says whether the close (the last write) succeeded.
    int close();

  private:
    int fd_;
};

// Writes all `size` bytes, going on after interruptions. False with errno set on failure.
bool writeAll(int fd, const char* data, std::size_t size);

}  // namespace vesk::platform
