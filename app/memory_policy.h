#pragma once

#include <cstddef>

namespace oru::app {

// How much more memory the program may hold because of its scripts than it
// held at start-up: 2 GiB, or ORU_MEMORY_LIMIT mebibytes when that variable
// is set to a whole number (0: no bound). A value that is not a number is
// named on standard error once and the default applies.
size_t scriptMemoryBudget();

}  // namespace oru::app
