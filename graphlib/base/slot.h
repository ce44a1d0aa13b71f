#pragma once
// The element slot shared by the library's generic containers: one pointer-sized
// cell per element. A value that fits in a pointer lives in the cell itself (its
// unused bytes zero); a larger one is boxed on the heap and owned by the cell.
#include "graphlib/base/memory_manager.h"

#include <cstring>
#include <new>
#include <type_traits>

namespace graphlib {

template <class T>
struct slot_traits {
  static constexpr bool boxed = sizeof(T) > sizeof(void*) || alignof(T) > alignof(void*);
  // In-place values that can be moved in and out of a slot byte by byte.
  static constexpr bool plain = !boxed && std::is_trivially_copyable<T>::value;
};

// The slot viewed as a T (for a boxed T, the object it points to).
template <class T>
inline T& graphlib_access(const T*, void*& p) {
  if constexpr (slot_traits<T>::boxed)
    return *static_cast<T*>(p);
  else
    return *std::launder(reinterpret_cast<T*>(&p));
}

template <class T>
inline const T& graphlib_const_access(const T*, void* const& p) {
  if constexpr (slot_traits<T>::boxed)
    return *static_cast<const T*>(p);
  else
    return *std::launder(reinterpret_cast<const T*>(&p));
}

// A slot holding a copy of x.
template <class T>
inline void* graphlib_copy(const T& x) {
  if constexpr (slot_traits<T>::boxed) {
    return new T(x);
  } else {
    void* p = nullptr;
    if constexpr (slot_traits<T>::plain) {
      std::memcpy(&p, &x, sizeof(T));
    } else {
      // A handle (one pointer): its bits move into the slot, which owns them now.
      alignas(void*) unsigned char buffer[sizeof(void*)] = {};
      new (buffer) T(x);
      std::memcpy(&p, buffer, sizeof(T));
    }
    return p;
  }
}

// Destroys the value of a slot.
template <class T>
inline void graphlib_clear(T& x) {
  if constexpr (slot_traits<T>::boxed)
    delete &x;
  else
    x.~T();
}

// A slot holding a default-constructed T (nil for a pointer type).
template <class T>
inline void* graphlib_create(const T*) {
  if constexpr (slot_traits<T>::boxed)
    return new T();
  else
    return graphlib_copy(T());
}

// The value of a slot held in a plain variable rather than in a container cell
// (an element handed out by an untyped operation, or a hook's argument). Plain
// values are copied out byte by byte instead of reading the variable as a T.
template <class T>
inline std::conditional_t<slot_traits<T>::plain, T, const T&> graphlib_slot_value(void* const& p) {
  if constexpr (slot_traits<T>::plain) {
    alignas(T) unsigned char buffer[sizeof(T)];
    std::memcpy(buffer, &p, sizeof(T));
    return *std::launder(reinterpret_cast<T*>(buffer));
  } else {
    return graphlib_const_access(static_cast<const T*>(nullptr), p);
  }
}

// Takes the value out of a slot that has left its container, releasing the slot.
template <class T>
inline T graphlib_take(void* p) {
  if constexpr (slot_traits<T>::plain) {
    return graphlib_slot_value<T>(p);
  } else {
    T& held = graphlib_access(static_cast<const T*>(nullptr), p);
    T value(held);
    graphlib_clear(held);
    return value;
  }
}

}  // namespace graphlib
