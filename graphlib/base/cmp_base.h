#pragma once
// Compare-function object: a compare function behind a virtual call.
#include "graphlib/base/error.h"
#include "graphlib/base/memory_manager.h"

namespace graphlib {

template <class T>
class graphlib_cmp_base : public small_object {
 public:
  typedef int (*cmp_function)(const T&, const T&);

  explicit graphlib_cmp_base(cmp_function f = nullptr) : cmp_fn(f) {}
  virtual ~graphlib_cmp_base() {}

  virtual int operator()(const T& a, const T& b) const {
    if (cmp_fn == nullptr) {
      std_error_handler(1, "graphlib_cmp_base: compare undefined");
      return 0;
    }
    return cmp_fn(a, b);
  }

  cmp_function cmp_fn;
};

}  // namespace graphlib
