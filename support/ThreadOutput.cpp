#include "support/ThreadOutput.h"

#include <iostream>

namespace {

thread_local std::ostream* sink = nullptr;

}  // namespace

namespace ThreadOutput {

std::ostream& out() { return sink ? *sink : std::cout; }

void redirect(std::ostream* os) { sink = os; }

}  // namespace ThreadOutput
