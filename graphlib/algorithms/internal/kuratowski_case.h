#pragma once
// Which configuration the last Kuratowski search found (1 to 5), 0 when it
// found none or stopped early. Read by tests that must reach every one.
namespace graphlib {

extern int kuratowski_last_case;

}  // namespace graphlib
