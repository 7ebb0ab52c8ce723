// Reads a PNG picture (a screenshot of the game) and prints one line: its width and height,
// how many different colours it shows and its mean brightness (0..255), so that a script can
// tell a drawn scene from an empty or black window without comparing pixels.
//   picture_stats FILE.png
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "render/image_formats.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: picture_stats FILE.png\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 2;
  }
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string metadata, error;
  std::optional<br::Image> image = br::decode_png(bytes, &metadata, &error);
  if (!image || image->components < 3) {
    std::fprintf(stderr, "%s is not an RGB picture: %s\n", argv[1], error.c_str());
    return 1;
  }
  const size_t pixels = static_cast<size_t>(image->width) * image->height;
  const int n = image->components;
  std::set<unsigned> colours;
  double brightness = 0;
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = &image->pixels[i * n];
    colours.insert(static_cast<unsigned>(p[0] << 16 | p[1] << 8 | p[2]));
    brightness += (p[0] + p[1] + p[2]) / 3.0;
  }
  std::printf("%d %d %zu %.1f\n", image->width, image->height, colours.size(),
              pixels ? brightness / static_cast<double>(pixels) : 0.0);
  return 0;
}
