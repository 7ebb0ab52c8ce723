#include "ui/menu_hooks.h"

namespace br {

MenuHooks& menu_hooks() {
  static MenuHooks hooks;
  return hooks;
}

}  // namespace br
