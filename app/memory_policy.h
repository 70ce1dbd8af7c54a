#pragma once

#include <cstddef>

namespace oru::app {

// How much more memory the program may hold because of its scripts than it
// held at start-up: 2 GiB, or ORU_MEMORY_LIMIT mebibytes when that variable
// is set to a whole number (0: no bound). A value that is not a number is
// named on standard error once and the default applies.
size_t scriptMemoryBudget();

// Keeps up to 64 MiB of freed memory in the process instead of handing it
// back to the system at once. The software renderer frees and allocates
// about 14 MB every frame; given back each time, every page of it faulted
// in again, which took about a sixth of the processor time of a frame of
// 10,000 lines. A check over the memory budget still hands all of it back first.
void keepFreedMemoryForReuse();

}  // namespace oru::app
