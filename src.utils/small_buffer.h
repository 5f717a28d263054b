// A buffer of a fixed count of values, held inline when the count is small:
// the operands of one expression node, without an allocation for most nodes.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

template <typename T, std::size_t inline_count = 4>
class small_buffer {
 public:
  explicit small_buffer(std::size_t count) : size_(count) {
    if (count > inline_count) spilled_.resize(count);
  }
  small_buffer(const small_buffer&) = delete;
  small_buffer& operator=(const small_buffer&) = delete;

  T& operator[](std::size_t i) { return data()[i]; }
  std::span<const T> all() const { return {data(), size_}; }

 private:
  T* data() { return size_ > inline_count ? spilled_.data() : inline_; }
  const T* data() const { return size_ > inline_count ? spilled_.data() : inline_; }

  T inline_[inline_count];
  std::vector<T> spilled_;
  std::size_t size_;
};
