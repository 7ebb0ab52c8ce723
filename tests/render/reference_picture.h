// Comparing a drawn RGB picture with a reference PNG kept beside the tests: a pixel differs
// when any component is more than 40 off, the picture when more than 0.25% of its pixels do.
// BR_UPDATE_REFERENCE=1 writes the picture as the new reference instead; look at it before
// committing it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "png_writer.h"
#include "render/image_formats.h"
#include "support/temp_dir.h"

namespace br_test {

constexpr int kReferencePixelTolerance = 40;
constexpr double kReferenceDifferingShare = 0.0025;

// `rgb`: rows top to bottom. Adds a test failure, and writes "actual_<file name>" into the
// working directory, when the picture differs; skips the test when there is no reference yet.
inline void expect_reference_picture(const std::string& reference, int width, int height,
                                     const std::vector<uint8_t>& rgb) {
  const std::string png = encode_png_pixels(width, height, 3, rgb);
  if (std::getenv("BR_UPDATE_REFERENCE")) {
    write_file(reference, png);
    GTEST_SKIP() << "wrote " << reference;
  }
  std::string stored = read_file(reference);
  if (stored.empty()) GTEST_SKIP() << "no reference picture yet: run with BR_UPDATE_REFERENCE=1";
  std::string error, metadata;
  std::optional<br::Image> expected = br::decode_png(
      std::span(reinterpret_cast<const uint8_t*>(stored.data()), stored.size()), &metadata, &error);
  ASSERT_TRUE(expected) << error;
  ASSERT_EQ(expected->width, width);
  ASSERT_EQ(expected->height, height);
  ASSERT_EQ(expected->components, 3);
  int differing = 0;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    for (size_t k = 0; k < 3; ++k) {
      if (std::abs(rgb[i + k] - expected->pixels[i + k]) > kReferencePixelTolerance) {
        ++differing;
        break;
      }
    }
  }
  double share = static_cast<double>(differing) / (static_cast<double>(width) * height);
  if (share > kReferenceDifferingShare) {
    std::string name = std::filesystem::path(reference).filename().string();
    std::string actual = (std::filesystem::current_path() / ("actual_" + name)).string();
    write_file(actual, png);
    ADD_FAILURE() << differing << " pixels differ from " << reference << "; see " << actual;
  }
}

}  // namespace br_test
