// Reads the binary PPM pictures --record-video writes and prints one line per picture: its
// index, size and how far it is from the first picture (mean absolute difference of the
// colour bytes, 0..255), the mean brightness of its middle ninth, and how many different
// colours its right quarter and its bottom quarter show (1 where nothing was drawn there).
//   video_frames FILE
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

// Different colours among the pixels of columns x0..x1 and rows y0..y1 (ends excluded).
size_t colours_in(const std::vector<unsigned char>& picture, int width, int x0, int x1, int y0,
                  int y1) {
  std::set<unsigned> seen;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const unsigned char* p = &picture[(static_cast<size_t>(y) * width + x) * 3];
      seen.insert(p[0] << 16 | p[1] << 8 | p[2]);
    }
  }
  return seen.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: video_frames FILE\n");
    return 2;
  }
  FILE* f = std::fopen(argv[1], "rb");
  if (!f) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 2;
  }
  std::vector<unsigned char> first, picture;
  int index = 0, width = 0, height = 0, max = 0;
  while (std::fscanf(f, "P6 %d %d %d", &width, &height, &max) == 3) {
    std::fgetc(f);  // the single white space before the bytes
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || max != 255) {
      std::fprintf(stderr, "picture %d has a bad header\n", index);
      return 1;
    }
    picture.resize(static_cast<size_t>(width) * height * 3);
    if (std::fread(picture.data(), 1, picture.size(), f) != picture.size()) {
      std::fprintf(stderr, "picture %d is cut short\n", index);
      return 1;
    }
    if (index == 0) first = picture;
    double diff = 0, middle = 0;
    if (first.size() == picture.size()) {
      for (size_t i = 0; i < picture.size(); ++i) diff += std::abs(picture[i] - first[i]);
      diff /= static_cast<double>(picture.size());
    }
    int count = 0;
    for (int y = height / 3; y < 2 * height / 3; ++y) {
      for (int x = width / 3; x < 2 * width / 3; ++x) {
        const unsigned char* p = &picture[(static_cast<size_t>(y) * width + x) * 3];
        middle += (p[0] + p[1] + p[2]) / 3.0;
        ++count;
      }
    }
    size_t right = colours_in(picture, width, width - width / 4, width, 0, height);
    size_t bottom = colours_in(picture, width, 0, width, height - height / 4, height);
    std::printf("%d %d %d %.3f %.1f %zu %zu\n", index, width, height, diff,
                count ? middle / count : 0, right, bottom);
    ++index;
  }
  std::fclose(f);
  return index > 0 ? 0 : 1;
}
