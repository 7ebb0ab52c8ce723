// datakit: writes the game's default data set into a directory, or the desktop icons.
//   datakit <output directory>
//   datakit --icons <output directory> <icon name>
// The output depends on nothing but this program: no clocks, no unordered containers and
// only the kit's own random numbers, so two runs give the same bytes.
#include <cstdio>
#include <string>

#include "bikes.h"
#include "engine_sounds.h"
#include "icons.h"
#include "pictures.h"
#include "series.h"
#include "shapes.h"
#include "tracks.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--icons") {
    return kit::write_icons(argv[2], argv[3]) ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: datakit <output directory>\n"
                         "       datakit --icons <output directory> <icon name>\n");
    return 2;
  }
  const std::string root = argv[1];
  if (!kit::fonts_available()) return 1;
  bool ok = true;
  ok &= kit::write_generic_shapes(root);
  ok &= kit::write_track_objects(root);
  ok &= kit::write_pictures(root);
  ok &= kit::write_fonts(root);
  ok &= kit::write_bikes(root);
  ok &= kit::write_rider(root);
  ok &= kit::write_engine_sounds(root);
  ok &= kit::build_rabbithill(root);
  ok &= kit::build_foundry(root);
  ok &= kit::write_points_series(root);
  if (!ok) {
    std::fprintf(stderr, "datakit: the data set is incomplete\n");
    return 1;
  }
  return 0;
}
