// The common allocator and string interning. Running out of memory is the game's one fatal
// error: sound and window are closed, a message box says so, and the process ends with 1.
#pragma once

#include <cstddef>

#include "platform/names.h"

namespace br {

// Allocates `size` bytes (free them with std::free) or ends the program.
void* xmalloc(size_t size);

// Closes what must be closed, shows "Out of virtual memory" and exits with status 1.
[[noreturn]] void out_of_memory();

// Something to close before the out-of-memory message (the sound output, then the window).
// At most a few hooks; they run newest first.
void add_out_of_memory_hook(void (*hook)());

// Routes failures of operator new to out_of_memory().
void install_new_handler();

// The one stored copy of `text`: equal texts give the same pointer for the whole run. The
// platform's interning table serves the game too; its allocations go through operator new,
// so exhausted memory ends the program through the new handler like xmalloc.
using kota::intern;

}  // namespace br
