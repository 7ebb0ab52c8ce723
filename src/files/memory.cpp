#include "files/memory.h"

#include <cstdlib>
#include <new>

#include "platform/log.h"
#include "platform/message_box.h"

namespace br {
namespace {

constexpr int kMaxHooks = 8;
void (*g_hooks[kMaxHooks])() = {};
int g_hook_count = 0;

}  // namespace

void add_out_of_memory_hook(void (*hook)()) {
  if (g_hook_count < kMaxHooks) g_hooks[g_hook_count++] = hook;
}

void out_of_memory() {
  // Hooks may allocate and fail again; run each one only once.
  static bool running = false;
  if (!running) {
    running = true;
    while (g_hook_count > 0) g_hooks[--g_hook_count]();
  }
  kota::log_printf("Out of virtual memory\n");
  kota::message_box("Error", "Out of virtual memory");
  std::exit(1);
}

void* xmalloc(size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) out_of_memory();
  return p;
}

void install_new_handler() {
  std::set_new_handler(out_of_memory);
}

}  // namespace br
