// Pictures compared with reference pictures kept beside the tests. A reference is made or
// refreshed by running the test with BR_UPDATE_REFERENCE=1; look at it before committing it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/image.h"
#include "render/image_formats.h"
#include "support/temp_dir.h"

namespace br_test {

// A pixel differs when any component is this far off; the picture differs when more than this
// share of its pixels do. Small enough that text in a broken font fails.
constexpr int kReferencePixelTolerance = 40;
constexpr double kReferenceDifferingShare = 0.0025;

// Compares `rows` (RGB, top row first) with the PNG at `reference`, or writes it there when
// BR_UPDATE_REFERENCE is set. `png` is the picture encoded, written beside the test program
// on a mismatch so that it can be looked at.
inline void expect_reference_picture(const std::vector<uint8_t>& rows, int width, int height,
                                     const std::string& png, const std::string& reference) {
  if (std::getenv("BR_UPDATE_REFERENCE")) {
    write_file(reference, png);
    GTEST_SKIP() << "wrote " << reference;
  }
  std::string stored = read_file(reference);
  if (stored.empty()) GTEST_SKIP() << "no reference picture yet: run with BR_UPDATE_REFERENCE=1";
  std::string error, metadata;
  std::optional<br::Image> ref = br::decode_png(
      std::span(reinterpret_cast<const uint8_t*>(stored.data()), stored.size()), &metadata, &error);
  ASSERT_TRUE(ref) << error;
  ASSERT_EQ(ref->width, width);
  ASSERT_EQ(ref->height, height);
  ASSERT_EQ(ref->components, 3);

  int differing = 0;
  for (size_t i = 0; i < rows.size(); i += 3) {
    for (int k = 0; k < 3; ++k) {
      if (std::abs(rows[i + k] - ref->pixels[i + k]) > kReferencePixelTolerance) {
        ++differing;
        break;
      }
    }
  }
  double share = static_cast<double>(differing) / (static_cast<double>(width) * height);
  if (share > kReferenceDifferingShare) {
    std::string name = std::filesystem::path(reference).stem().string();
    std::string actual = (std::filesystem::current_path() / (name + "_actual.png")).string();
    write_file(actual, png);
    ADD_FAILURE() << differing << " pixels differ from " << reference << "; see " << actual;
  }
}

}  // namespace br_test
