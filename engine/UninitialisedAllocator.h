#pragma once

#include <memory>
#include <new>
#include <utility>

// The standard allocator, except that making an element without a value leaves an
// element of a trivial type uninitialised: a buffer sized to be overwritten whole
// (pixels read from a file, a resampled image) is then not zero-filled first.
template <class T>
class UninitialisedAllocator : public std::allocator<T> {
public:
  using value_type = T;

  UninitialisedAllocator() noexcept = default;
  template <class U>
  explicit UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}

  template <class U>
  void construct(U* place) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(place)) U;
  }
  template <class U, class... Arguments>
  void construct(U* place, Arguments&&... arguments) {
    ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
  }
};
