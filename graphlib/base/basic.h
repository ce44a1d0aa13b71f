#pragma once
// The library's base layer: every unit that uses the graph library includes it
// (directly or through another library header) and so starts the library
// before its own static objects.
#include "graphlib/base/memory_manager.h"
#include "graphlib/base/error.h"
#include "graphlib/base/options.h"
