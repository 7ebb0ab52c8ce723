// The data release as the game finds it: only the program directory with "zzzz.saf" is a
// search directory, and every file the catalogue, start-up and both tracks name comes out
// of the archive and loads through the game's own readers.
#include <gtest/gtest.h>

#include <string>

#include "bike/shape_format.h"
#include "bikes.h"
#include "files/data_file.h"
#include "files/data_index.h"
#include "render/data_check.h"
#include "support/data_dirs.h"
#include "world/bike_models.h"

namespace br_test {
namespace {

class Release : public ::testing::Test {
 protected:
  void SetUp() override { use_data_directory(BR_PROGRAM_DIR); }
  void TearDown() override { restore_data_directories(); }

  // Opens through the data layer and, for pictures and models, loads with the game's reader.
  static void expect_loads(const std::string& name) {
    br::DataFilePtr file(br::data_open(("@" + name).c_str(), "rb"));
    ASSERT_TRUE(file) << name << " is not in the release";
    for (const char* ext : {".png", ".jm", ".ppm", ".pgm"}) {
      if (name.ends_with(ext)) {
        br::DataCheck check = br::describe_data_file("@" + name);
        EXPECT_TRUE(check.ok) << check.text;
      }
    }
  }
};

TEST_F(Release, TheArchiveIsTheOnlySource) {
  const auto* entry = br::data_index_find("rabbithill/terrain.hf");
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->path.ends_with("zzzz.saf")) << entry->path;
}

TEST_F(Release, EveryCatalogueFileLoads) {
  for (const br::BikeModelName& m : br::kBikeModels) {
    std::string stem = kit::bike_file_stem(m.texture_prefix);
    for (const char* part : {"_frame.jm", "_fork_upper.jm", "_fork_lower.jm", "_swingarm.jm",
                             "_side_plates.jm", "_front_plate.jm", ".png"}) {
      expect_loads(stem + part);
    }
    expect_loads(std::string(m.texture_prefix) + "alt1.png");
    expect_loads(std::string(m.texture_prefix) + "alt2.png");
  }
  for (const char* shape : br::kGenericShapeFiles) expect_loads(shape + 1);
}

TEST_F(Release, EveryStartUpFileLoads) {
  for (const char* name :
       {"font.png", "numbers.png", "numbers-condensed.png", "tach.png", "shifter.png",
        "pitboard.png", "title.png", "roost.png", "front_wheel.jm", "rear_wheel.jm", "wheels.png",
        "rider_body.jm", "rider_body_fp.jm", "rider_body.png", "rider_head.jm", "rider_head.png",
        "rider_plate.jm", "startgate.jm"}) {
    expect_loads(name);
  }
}

TEST_F(Release, EveryFileOfBothTracksLoads) {
  for (const std::string track : {"rabbithill/", "foundry/"}) {
    int files = 0;
    for (const std::string& name : br::data_file_list()) {
      if (!name.starts_with(track)) continue;
      expect_loads(name);
      ++files;
    }
    EXPECT_GE(files, 10) << track;
  }
}

}  // namespace
}  // namespace br_test
