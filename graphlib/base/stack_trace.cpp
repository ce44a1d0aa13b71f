#include "graphlib/base/stack_trace.h"

#include <ostream>

namespace graphlib {

std::ostream& trace_stack(std::ostream& os) {
  os << "no trace available" << std::endl;
  os << std::endl;
  return os;
}

}  // namespace graphlib
