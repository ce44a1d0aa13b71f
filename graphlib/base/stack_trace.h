#pragma once
// Stack trace written by the default error handler before it aborts.
#include <iosfwd>

#include "graphlib/base/memory_manager.h"

namespace graphlib {

std::ostream& trace_stack(std::ostream& os);

}  // namespace graphlib
