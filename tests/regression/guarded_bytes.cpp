#include "regression/guarded_bytes.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vesk::test {
namespace {

// Every memory call goes through here, so a failure names itself in the test output.
bool checked(int result, const char* what) {
    if (result != 0) {
        ADD_FAILURE() << what << ": " << std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

GuardedBytes::GuardedBytes(const QByteArray& bytes) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    size_ = static_cast<std::size_t>(bytes.size());
    const std::size_t readable = (size_ + page - 1) / page * page;
    mapped_ = readable + page;
    void* base =
        ::mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        ADD_FAILURE() << "mmap: " << std::strerror(errno);
        return;
    }
    base_ = base;
    auto* start = static_cast<std::uint8_t*>(base_) + (readable - size_);
    std::memcpy(start, bytes.constData(), size_);
    if (checked(::mprotect(static_cast<std::uint8_t*>(base_) + readable, page, PROT_NONE),
                "mprotect")) {
        data_ = start;
    }
}

GuardedBytes::~GuardedBytes() {
    if (base_ != nullptr) {
        checked(::munmap(base_, mapped_), "munmap");
    }
}

}  // namespace vesk::test
