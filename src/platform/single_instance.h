#pragma once
// One running player per user: an advisory lock that the kernel drops when the process
// ends, so a crashed instance never blocks the next start.

#include <QString>
#include <memory>

namespace vesk::platform {

class InstanceLock {
  public:
    // Takes the lock on `lockFile` (created if missing, its folder too). Returns null when
    // another process holds it. `error` is set when the lock file cannot be used at all.
    static std::unique_ptr<InstanceLock> tryAcquire(const QString& lockFile, QString* error);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

  private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace vesk::platform
