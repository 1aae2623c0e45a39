#include "platform/PrivateBytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <utility>

namespace vls {
namespace {

std::size_t WholePages(std::size_t size) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return (size + page - 1) / page * page;
}

}  // namespace

PrivateBytes::PrivateBytes(std::size_t size) {
  if (size == 0)
    return;
  mapped_ = WholePages(size);
  void* memory =
      ::mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    mapped_ = 0;
    throw std::bad_alloc();
  }
  data_ = static_cast<std::uint8_t*>(memory);
  size_ = size;
  // A crash dump would hold the plain bytes; swap could keep them after the
  // program ends. The lock is a wish: the system's limit for locked memory
  // is small, and a large picture is still better shown than refused.
  ::madvise(memory, mapped_, MADV_DONTDUMP);
  locked_ = ::mlock(memory, mapped_) == 0;
}

PrivateBytes::PrivateBytes(PrivateBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)),
      locked_(std::exchange(other.locked_, false)) {}

PrivateBytes& PrivateBytes::operator=(PrivateBytes&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
    locked_ = std::exchange(other.locked_, false);
  }
  return *this;
}

void PrivateBytes::Release() noexcept {
  if (data_ == nullptr)
    return;
  ::explicit_bzero(data_, mapped_);
  if (locked_)
    ::munlock(data_, mapped_);
  ::munmap(data_, mapped_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
  locked_ = false;
}

}  // namespace vls
