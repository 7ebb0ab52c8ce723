// Every texture, model and shadow map of the default data set loads through the game's own
// readers. Runs when the build knows where the default data set is.
#include <gtest/gtest.h>

#include "render/data_check.h"
#include "render/render_files.h"
#include "support/data_dirs.h"

namespace br {
namespace {

TEST(DefaultDataSet, EveryPictureAndModelPassesTheCheck) {
#ifndef BR_DEFAULT_DATA_DIR
  GTEST_SKIP() << "the default data set is not part of this build";
#else
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  std::vector<std::string> names = checkable_data_names();
  EXPECT_FALSE(names.empty());
  for (const std::string& name : names) {
    DataCheck check = describe_data_file(name);
    EXPECT_TRUE(check.ok) << check.text;
  }
  br_test::restore_data_directories();
#endif
}

}  // namespace
}  // namespace br
