#pragma once

#include <atomic>

namespace tessaloop {

// A member shared between the user-interface thread and the audio thread.
//
// Every shared value is a single word that one thread writes and the other
// reads; nothing relies on several members changing together. A relaxed atomic
// makes those plain reads and writes well defined without ordering costs (on
// x86 they compile to ordinary moves), and the implicit conversions keep the
// code reading like plain members.
//
// The compound assignments are a load followed by a store, not an atomic
// read-modify-write: each shared member has one writer at a time, so the
// cheaper form is enough.
template <typename T>
class Relaxed {
 public:
  constexpr Relaxed() noexcept : m_Value{} {}
  constexpr Relaxed(T value) noexcept : m_Value(value) {}  // NOLINT: implicit by design
  Relaxed(const Relaxed& other) noexcept : m_Value(other.Load()) {}
  Relaxed& operator=(const Relaxed& other) noexcept {
    Store(other.Load());
    return *this;
  }
  Relaxed& operator=(T value) noexcept {
    Store(value);
    return *this;
  }

  operator T() const noexcept { return Load(); }  // NOLINT: implicit by design

  T Load() const noexcept { return m_Value.load(std::memory_order_relaxed); }
  void Store(T value) noexcept { m_Value.store(value, std::memory_order_relaxed); }

  Relaxed& operator+=(T delta) noexcept {
    Store(static_cast<T>(Load() + delta));
    return *this;
  }
  Relaxed& operator-=(T delta) noexcept {
    Store(static_cast<T>(Load() - delta));
    return *this;
  }

 private:
  static_assert(std::atomic<T>::is_always_lock_free, "shared members must be lock-free words");
  std::atomic<T> m_Value;
};

}  // namespace tessaloop
