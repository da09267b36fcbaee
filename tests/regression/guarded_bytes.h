#pragma once
// Bytes placed at the very end of readable memory, with an unreadable page right after
// them: a reader that looks one byte past the end crashes at once, in any build, instead
// of reading whatever happens to follow.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vesk::test {

class GuardedBytes {
  public:
    explicit GuardedBytes(const QByteArray& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    bool valid() const { return base_ != nullptr; }
    std::span<const std::uint8_t> span() const { return {data_, size_}; }

  private:
    void* base_ = nullptr;
    std::size_t mapped_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace vesk::test
