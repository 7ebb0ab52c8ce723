#include "world/progress_text.h"

#include <utility>

namespace br {
namespace {

ProgressPresenter& presenter() {
  static ProgressPresenter p;
  return p;
}

}  // namespace

void set_progress_presenter(ProgressPresenter p) {
  presenter() = std::move(p);
}

void show_progress_text(std::string_view text) {
  if (presenter()) presenter()(text);
}

}  // namespace br
