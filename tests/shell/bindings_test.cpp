#include "world/bindings.h"

#include <gtest/gtest.h>

namespace {

TEST(Bindings, ParseReadsAxisRangesAndBothKeyForms) {
  br::Binding b{};
  br::binding_parse(b, "  (0.0625,0.9375)joystick-a-x");
  EXPECT_EQ(b.axis_name, "joystick-a-x");
  EXPECT_TRUE(b.key_name.empty());
  EXPECT_FLOAT_EQ(b.low, 0.0625f);
  EXPECT_FLOAT_EQ(b.high, 0.9375f);

  br::binding_parse(b, "(k)right ctrl");
  EXPECT_EQ(b.key_name, "right ctrl");
  EXPECT_TRUE(b.axis_name.empty());
  EXPECT_FLOAT_EQ(b.low, 0.0f);
  EXPECT_FLOAT_EQ(b.high, 1.0f);

  br::binding_parse(b, "x");
  EXPECT_EQ(b.key_name, "x");
  // A bracket that is not a range is part of a key name.
  br::binding_parse(b, "(oops)");
  EXPECT_EQ(b.key_name, "(oops)");
  br::binding_parse(b, "(0.1,0.9)");
  EXPECT_EQ(b.key_name, "(0.1,0.9)");
}

TEST(Bindings, AxisValuesMapThroughTheRange) {
  br::Binding b{};
  br::binding_parse(b, "(-0.0625,-0.9375)joystick-a-y");
  EXPECT_FLOAT_EQ(br::binding_axis_value(b, -32768), 1.0f);
  EXPECT_FLOAT_EQ(br::binding_axis_value(b, 0), 0.0f);
  EXPECT_NEAR(br::binding_axis_value(b, -16384), 0.5f, 1e-6);
  br::binding_parse(b, "(0.5,0.5)flat");
  EXPECT_FLOAT_EQ(br::binding_axis_value(b, 20000), 0.0f);
}

TEST(Bindings, DefaultsAndRows) {
  br::Bindings b = br::default_bindings();
  EXPECT_STREQ(b[br::kBindRewind].key, "rewind_key");
  EXPECT_EQ(b[br::kBindRewind].key_name, "\\");
  EXPECT_EQ(b[br::kBindSitDab].key_name, "right ctrl");
  br::BindingRows rows = br::default_binding_rows();
  EXPECT_EQ(rows[11].binding, br::kBindLeanBackward);
  EXPECT_EQ(rows[10].sign, -1.0f);
}

}  // namespace
