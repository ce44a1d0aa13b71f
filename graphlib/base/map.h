#pragma once
// The typed hash map over ch_map: the key is the value of a K that fits in a
// word (the address, for pointer keys); the information is a V held in the
// cell by the element slot rules. Reading an absent key inserts it with def.
#include "graphlib/base/memory_manager.h"

#include <type_traits>

#include "graphlib/base/ch_map.h"
#include "graphlib/base/slot.h"
#include "graphlib/base/string.h"

namespace graphlib {

namespace internal {

template <class K>
inline unsigned long key_of(const K& k) {
  if constexpr (std::is_pointer<K>::value)
    return reinterpret_cast<unsigned long>(k);
  else if constexpr (std::is_integral<K>::value || std::is_enum<K>::value)
    return static_cast<unsigned long>(k);
  else
    return static_cast<unsigned long>(ID_Number(k));
}

}  // namespace internal

template <class K, class V>
class map : public ch_map {
 public:
  map() : ch_map(1), def() {}
  explicit map(const V& x, int n = 1) : ch_map(n), def(x) {}
  map(const map& M) : ch_map(M), def(M.def) {}
  map& operator=(const map& M) {
    if (this != &M) {
      ch_map::operator=(M);
      def = M.def;
    }
    return *this;
  }
  ~map() override { clear_entries(); }

  V& operator[](const K& k) { return graphlib_access(static_cast<const V*>(nullptr), access(internal::key_of(k))); }

  V def;

  void clear_inf(void*& x) const override { graphlib_clear(graphlib_access(static_cast<const V*>(nullptr), x)); }
  void copy_inf(void*& x) const override { x = graphlib_copy(graphlib_const_access(static_cast<const V*>(nullptr), x)); }
  void init_inf(void*& x) const override { x = graphlib_copy(def); }
};

}  // namespace graphlib
