// What the driver's texts switch on.
#include "render/graphics_caps.h"

#include <gtest/gtest.h>

namespace br {
namespace {

TEST(GraphicsCaps, ExtensionsCountOnlyAsWholeWords) {
  const std::string list =
      "GL_ARB_multitexture GL_EXT_framebuffer_object_extra GL_ARB_fragment_shader";
  EXPECT_TRUE(extension_present(list, "GL_ARB_multitexture"));     // first word
  EXPECT_TRUE(extension_present(list, "GL_ARB_fragment_shader"));  // last word
  EXPECT_FALSE(extension_present(list, "GL_EXT_framebuffer_object"));
  EXPECT_FALSE(extension_present(list, "GL_ARB_fragment"));
  EXPECT_FALSE(extension_present("xGL_ARB_multitexture", "GL_ARB_multitexture"));
  EXPECT_FALSE(extension_present("NULL", "GL_ARB_multitexture"));
  EXPECT_FALSE(extension_present(list, ""));

  GraphicsCaps caps;
  caps.extensions = list + " GL_EXT_framebuffer_object";
  read_extension_flags(caps);
  EXPECT_TRUE(caps.framebuffer_object);
  EXPECT_TRUE(caps.multitexture);
  EXPECT_TRUE(caps.fragment_shader);
  EXPECT_FALSE(caps.vertex_shader);
  EXPECT_FALSE(caps.generate_mipmap);
}

TEST(GraphicsCaps, VersionTextGivesMajorAndMinor) {
  int major = -1, minor = -1;
  parse_gl_version("1.5.0", &major, &minor);
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 5);
  parse_gl_version("4.5 (Compatibility Profile) Mesa 22.3.6", &major, &minor);
  EXPECT_EQ(major, 4);
  EXPECT_EQ(minor, 5);
  parse_gl_version("NULL", &major, &minor);
  EXPECT_EQ(major, 0);
  EXPECT_EQ(minor, 0);
}

TEST(GraphicsCaps, ShadersNeedTheFragmentExtensionAndFourUnits) {
  GraphicsCaps caps;
  caps.fragment_shader = true;
  caps.texture_units = 4;
  EXPECT_TRUE(shaders_possible(caps));
  caps.texture_units = 3;
  EXPECT_FALSE(shaders_possible(caps));
  caps.texture_units = 8;
  caps.fragment_shader = false;
  EXPECT_FALSE(shaders_possible(caps));
}

}  // namespace
}  // namespace br
