#include "render/texture_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>

#include "log_capture.h"
#include "png_writer.h"
#include "render/data_check.h"
#include "render/render_files.h"
#include "render/render_settings.h"
#include "render/texture_decode.h"
#include "support/data_dirs.h"
#include "support/memory_limit.h"

namespace br {
namespace {

using br_test::write_file;

struct Created {
  TextureId id;
  int width, height, levels;
  bool repeat_s, repeat_t, compress, mipmaps;
};
std::vector<Created> g_created;
std::vector<std::pair<TextureId, uint8_t>> g_updates;  // id, first byte of the new picture
std::vector<TextureId> g_destroyed;

TextureId record_create(const TextureUpload& u, size_t* bytes) {
  TextureId id = static_cast<TextureId>(100 + g_created.size());
  g_created.push_back({id, u.image->width, u.image->height, u.image->levels, u.repeat_s, u.repeat_t,
                       u.compress, u.mipmaps});
  *bytes = u.image->pixels.size();
  return id;
}
void record_update(TextureId id, const Image& image) {
  g_updates.push_back({id, image.pixels[0]});
}
void record_destroy(TextureId id) {
  g_destroyed.push_back(id);
}
const TextureBackend kRecorder = {record_create, record_update, record_destroy};

std::string j7_file(int w, int h, uint8_t first_red) {
  std::string f = "J7 " + std::to_string(w) + " " + std::to_string(h) + "\n";
  std::string body(static_cast<size_t>(w) * h * 4, '\0');
  body[0] = static_cast<char>(first_red);
  body[3] = static_cast<char>(255);
  return f + body;
}

class TextureCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::use_data_directory(dir.path().string());
    set_texture_backend(&kRecorder);
    render_settings() = RenderSettings{};
    g_created.clear();
    g_updates.clear();
    g_destroyed.clear();
  }
  void TearDown() override {
    texture_delete_all();
    set_texture_backend(nullptr);
    br_test::restore_data_directories();
    render_settings() = RenderSettings{};
  }
  void put(const std::string& name, const std::string& contents) {
    std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
    write_file(dir.file(name), contents);
  }
  br_test::TempDir dir;
};

TEST_F(TextureCacheTest, SameNameSameIdAndCaseMismatchWarns) {
  put("track/logo.png", br_test::encode_png_pixels(2, 2, 3, std::vector<uint8_t>(12, 9)));
  br_test::LogCapture log;
  TextureId id = texture_load("@track/logo.png");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(texture_load("@track/logo.png"), id);
  EXPECT_EQ(log.count("case mismatch"), 0);
  EXPECT_EQ(texture_load("@Track/Logo.png"), id);
  EXPECT_EQ(log.count("Warning: case mismatch on '@Track/Logo.png'"), 1);
  EXPECT_EQ(g_created.size(), 1u);
}

TEST_F(TextureCacheTest, MissingFileReturnsZeroAndSaysSoOnlyWhenDebugging) {
  br_test::LogCapture log;
  EXPECT_EQ(texture_load("@nothing.png"), 0u);
  EXPECT_EQ(log.count("Can't open texture"), 0);
  render_settings().debug_level = 1;
  EXPECT_EQ(texture_load("@nothing.png"), 0u);
  EXPECT_EQ(log.count("Can't open texture \"@nothing.png\""), 1);
  // Broken files leave no entry behind: a second request reads the file again.
  put("broken.ppm", "P6 2 2 255\nxx");
  EXPECT_EQ(texture_load("@broken.ppm"), 0u);
  EXPECT_EQ(texture_load("@broken.ppm"), 0u);
  EXPECT_EQ(log.count("Truncated PPM data"), 2);
}

TEST_F(TextureCacheTest, NonPowerOfTwoIsResampledAndWarned) {
  put("wide.png", br_test::encode_png_pixels(300, 200, 3, std::vector<uint8_t>(300 * 200 * 3)));
  br_test::LogCapture log;
  render_settings().model_texture_reduction = 0;
  ASSERT_NE(texture_load("@wide.png"), 0u);
  ASSERT_EQ(g_created.size(), 1u);
  EXPECT_EQ(g_created[0].width, 512);
  EXPECT_EQ(g_created[0].height, 256);
  EXPECT_EQ(log.count("Warning: Non power of 2 texture '@wide.png'"), 1);
}

TEST_F(TextureCacheTest, DetailReductionUnlessTheNameAsksForFullDetail) {
  put("big.j6", "J6 1024 1024\n" + std::string(1024 * 1024 * 3, '\0'));
  render_settings().model_texture_reduction = 2;
  TextureId reduced = texture_load("@big.j6");
  texture_delete_all();
  TextureId full = texture_load("!@big.j6");
  ASSERT_NE(reduced, 0u);
  ASSERT_NE(full, 0u);
  ASSERT_EQ(g_created.size(), 2u);
  EXPECT_EQ(g_created[0].width, 256);
  EXPECT_EQ(g_created[0].levels, 9);
  EXPECT_EQ(g_created[1].width, 1024);
  EXPECT_EQ(g_created[1].levels, 11);
  // The "!" is not part of the cached name: a full-detail copy serves plain requests too...
  EXPECT_EQ(texture_load("@big.j6"), full);
  // ...but a reduced copy never serves a full-detail request, which loads at full size.
  texture_delete_all();
  TextureId plain = texture_load("@big.j6");
  TextureId sharp = texture_load("!@big.j6");
  EXPECT_NE(sharp, plain);
  ASSERT_EQ(g_created.size(), 4u);
  EXPECT_EQ(g_created[3].width, 1024);
  EXPECT_EQ(texture_load("@big.j6"), plain);
  EXPECT_EQ(texture_load("!@big.j6"), sharp);
}

TEST_F(TextureCacheTest, TheRepeatFlagRepeatsWhateverTheName) {
  put("tile.j7", j7_file(1, 1, 0));
  texture_load("@tile.j7", kTextureRepeat);
  ASSERT_EQ(g_created.size(), 1u);
  EXPECT_TRUE(g_created[0].repeat_s && g_created[0].repeat_t);
  EXPECT_EQ(texture_companion_name("@dir/tile.j7", "_tnorm.png"), "@dir/tile_tnorm.png");
  EXPECT_EQ(texture_companion_name("@dir.x/tile", "_tspec.png"), "@dir.x/tile_tspec.png");
}

TEST_F(TextureCacheTest, WrapComesFromTheNameAndCompressionFromTheSetting) {
  std::string png = br_test::encode_png_pixels(1, 1, 3, {1, 2, 3});
  std::string marked = br_test::encode_png_pixels(1, 1, 3, {1, 2, 3}, {{"Comment", "[compress]"}});
  put("a-repeat.png", png);
  put("b-hrepeat.png", marked);
  put("c-vrepeat.j7", j7_file(1, 1, 0));
  render_settings().texture_compress = kCompressMarked;
  texture_load("@a-repeat.png");
  texture_load("@b-hrepeat.png");
  texture_load("@c-vrepeat.j7");
  ASSERT_EQ(g_created.size(), 3u);
  EXPECT_TRUE(g_created[0].repeat_s && g_created[0].repeat_t);
  EXPECT_TRUE(g_created[1].repeat_s && !g_created[1].repeat_t);
  EXPECT_TRUE(!g_created[2].repeat_s && g_created[2].repeat_t);
  EXPECT_FALSE(g_created[0].compress);
  EXPECT_TRUE(g_created[1].compress);
  texture_delete_all();
  render_settings().texture_compress = kCompressEveryPng;
  texture_load("@a-repeat.png");
  texture_load("@c-vrepeat.j7");
  EXPECT_TRUE(g_created[3].compress);
  EXPECT_FALSE(g_created[4].compress);  // only PNG textures are ever compressed
}

TEST_F(TextureCacheTest, InfoSideFileAndMarkersShapeTheChain) {
  // Half-transparent 2x2 with max-alpha from the side file: the 1x1 level stays opaque.
  put("leaf.png",
      br_test::encode_png_pixels(2, 2, 4, {9, 9, 9, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  put("leaf.png.info", "[mip_max_alpha]\n");
  TextureId id = texture_load("!@leaf.png");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(texture_metadata(id), "[mip_max_alpha]\n");
  std::string error;
  TextureDecodeOptions full;
  full.full_detail = true;
  auto decoded = decode_texture_file("@leaf.png", full, &error);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->images[0].pixels[16 + 3], 255);

  // A custom chain whose height is not a multiple of 3 warns and still loads.
  put("odd.png", br_test::encode_png_pixels(4, 7, 3, std::vector<uint8_t>(4 * 7 * 3, 5),
                                            {{"Comment", "[mip_custom]"}}));
  br_test::LogCapture log;
  EXPECT_NE(texture_load("@odd.png"), 0u);
  EXPECT_EQ(log.count("Warning: Invalid height for custom MIP map in '@odd.png'"), 1);
}

TEST_F(TextureCacheTest, LinksLoadTheirTargetAndRememberAnAlias) {
  put("real.j7", j7_file(2, 2, 50));
  put("alias.png", "LINK\n @real.j7 \n");
  put("loop1.png", "LINK @loop2.png");
  put("loop2.png", "LINK @loop1.png");
  TextureId id = texture_load("@alias.png");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(texture_load("@real.j7"), id);
  std::filesystem::remove(dir.file("alias.png"));
  EXPECT_EQ(texture_load("@alias.png"), id);  // straight through the alias now
  EXPECT_EQ(g_created.size(), 1u);
  // Links that point at each other end with a failure, not a crash.
  EXPECT_EQ(texture_load("@loop1.png"), 0u);
}

TEST_F(TextureCacheTest, AnimationsPlayTheirOrderFromInlineAndPngFrames) {
  put("frame.png", br_test::encode_png_pixels(2, 2, 4, std::vector<uint8_t>(16, 77)));
  std::string seq = "ANIM1 3 2 100 0\n# order\n1 0 1\n" + j7_file(2, 2, 11) + "\nPNG\n@frame.png\n";
  put("flag.seq", seq);
  TextureId id = texture_load("@flag.seq");
  ASSERT_NE(id, 0u);
  ASSERT_EQ(g_created.size(), 1u);
  texture_animate(0.05);  // still the first entry of the order: frame 1, the PNG
  EXPECT_TRUE(g_updates.empty());
  texture_animate(0.15);
  texture_animate(0.25);
  texture_animate(0.35);
  ASSERT_EQ(g_updates.size(), 3u);
  EXPECT_EQ(g_updates[0], std::make_pair(id, uint8_t{11}));
  EXPECT_EQ(g_updates[1], std::make_pair(id, uint8_t{77}));
  EXPECT_EQ(g_updates[2], std::make_pair(id, uint8_t{77}));  // wrapped to the start

  // A released texture's animation goes with it: nothing updates a deleted texture.
  texture_release(id);
  g_updates.clear();
  texture_animate(0.45);
  texture_animate(0.55);
  EXPECT_TRUE(g_updates.empty());
}

// A gzip stream of `count` zero bytes, made without holding them.
std::string gzip_zeros(size_t count) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::vector<uint8_t> zeros(1 << 20, 0), out(1 << 16);
  std::string gz;
  for (size_t left = count;;) {
    size_t n = std::min(left, zeros.size());
    left -= n;
    z.next_in = zeros.data();
    z.avail_in = static_cast<uInt>(n);
    int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, flush);
      gz.append(reinterpret_cast<char*>(out.data()), out.size() - z.avail_out);
    } while (z.avail_out == 0);
    if (left == 0) break;
  }
  deflateEnd(&z);
  return gz;
}

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST_F(TextureCacheTest, BrokenAnimationsAreRefusedWithTheirMessages) {
  put("big.png", br_test::encode_png_pixels(1024, 1024, 4, std::vector<uint8_t>(1 << 22, 9)));
  put("frame3.png", br_test::encode_png_pixels(2, 2, 3, std::vector<uint8_t>(12, 1)));
  put("frame4.png", br_test::encode_png_pixels(4, 4, 4, std::vector<uint8_t>(64, 1)));
  struct Case {
    std::string file, message;
  } cases[] = {
      {"ANIM1 1 2 100 0 0\n" + j7_file(2, 2, 0), "EOF while reading .seq"},
      {"ANIM1 1 2 100 0 0\n" + j7_file(2, 2, 0) + "PNG @frame3.png\n",
       "Depth mismatch reading .seq"},
      {"ANIM1 1 2 100 0 0\n" + j7_file(2, 2, 0) + "PNG @frame4.png\n",
       "Width/height mismatch reading .seq"},
      {"ANIM1 1 1 100 0 0\nPNG @missing.png\n", "Can't read @missing.png"},
      {"ANIM1 1 1 100 0 0\nGIF x\n", "Error reading .seq frame 0"},
      {"ANIM1 1 1 100 0 5\n" + j7_file(2, 2, 0), "Error reading .seq frame 5"},  // order index
      {"ANIM1 1 -3 100 0 0\n", "Error reading .seq frame 0"},
      {"ANIM1 1 1 100 0 0\nJ7 64 64\nshort", "Error reading .seq frame 0"},
      // Frames are bounded together: 1024 x 1024 RGBA twenty times is 80 MB.
      {"ANIM1 1 20 100 0 0\n" + repeated("PNG @big.png\n", 20), "Error reading .seq frame 16"},
  };
  for (const Case& c : cases) {
    put("bad.seq", c.file);
    br_test::LogCapture log;
    EXPECT_EQ(texture_load("@bad.seq"), 0u) << c.message;
    EXPECT_EQ(log.count(c.message), 1) << c.message << "\n" << log.text();
  }
}

TEST_F(TextureCacheTest, OnlyBoundedRegularFilesAreRead) {
  // Frames and links naming a device or a FIFO would be read until memory runs out, or
  // would block the game.
  put("zero.seq", "ANIM1 1 1 100 0 0\nPNG /dev/zero\n");
  put("zero.png", "LINK /dev/zero\n");
  std::string fifo = dir.file("pipe.png");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A picture that inflates to 400 MB: more than any texture holds.
  put("inflates.png.gz", gzip_zeros(size_t{400} << 20));
  // A texture larger than the renderer takes, though honestly stored.
  put("wide.j7", j7_file(8192, 1, 1));
  ASSERT_LT(std::filesystem::file_size(dir.file("inflates.png.gz")), 1u << 20);
  for (const char* name : {"@zero.seq", "@zero.png", "@pipe.png", "@inflates.png", "@wide.j7"}) {
    auto load = [name] { return texture_load(name) == 0; };
    // Room for the largest texture file (64 MB, read into a growing buffer), not for more.
    if (br_test::kAddressLimitWorks) {
      EXPECT_TRUE(br_test::runs_within(160, 20, load)) << name;
    } else {
      EXPECT_TRUE(load()) << name;
    }
  }
  EXPECT_TRUE(g_created.empty());
}

TEST_F(TextureCacheTest, DeleteAllFreesEverythingAndTheCounterFollows) {
  put("a.j7", j7_file(4, 4, 1));
  put("b.ppm", "P3 1 1 255 1 2 3");
  put("shadow.pgm", "P2 2 2 255 0 1 2 3");
  TextureId a = texture_load("@a.j7");
  TextureId b = texture_load("@b.ppm");
  EXPECT_EQ(texture_memory_used(), (16 + 4 + 1) * 4u + 3u);
  ASSERT_NE(texture_load_grey("@shadow.pgm"), nullptr);
  ASSERT_NE(texture_load_terrain("@a.j7"), nullptr);
  EXPECT_EQ(texture_load_terrain("@a.j7")->levels, 3);
  br_test::LogCapture log;
  texture_delete_all();
  EXPECT_EQ(texture_memory_used(), 0u);
  EXPECT_EQ(g_destroyed, (std::vector<TextureId>{a, b}));
  EXPECT_EQ(log.count("deleting tid " + std::to_string(a) + " (@a.j7)"), 1);
  EXPECT_EQ(log.count("deleting image @shadow.pgm"), 1);
}

TEST_F(TextureCacheTest, ChoiceListsCollectTexturesByPrefix) {
  put("rider_body-alt1.png", "x");
  put("rider_body-alt2.j7", "x");
  put("Rider_Body-alt3.png.gz", "x");
  put("rider_body-alt1.png.info", "x");
  put("rider_head-alt1.png", "x");
  br_test::use_data_directory(dir.path().string());
  EXPECT_EQ(texture_choice_list("rider_body-"),
            (std::vector<std::string>{"@rider_body-alt1.png", "@rider_body-alt2.j7",
                                      "@Rider_Body-alt3.png"}));
}

TEST_F(TextureCacheTest, CheckDescribesWhatTheGameSees) {
  put("hud.png", br_test::encode_png_pixels(300, 200, 4, std::vector<uint8_t>(300 * 200 * 4)));
  put("link.png", "LINK @hud.png");
  DataCheck check = describe_data_file("@link.png");
  EXPECT_TRUE(check.ok);
  EXPECT_NE(check.text.find("@link.png: link to @hud.png"), std::string::npos) << check.text;
  EXPECT_NE(check.text.find("PNG 300x200 (resampled to 512x256), 4 components, 10 mip levels"),
            std::string::npos)
      << check.text;
  EXPECT_NE(check.text.find("Non power of 2"), std::string::npos);
  EXPECT_FALSE(describe_data_file("@absent.png").ok);
  put("shadow.pgm", "P5 2 1 255\nab");
  EXPECT_TRUE(describe_data_file("@shadow.pgm").ok);
}

TEST_F(TextureCacheTest, AnotherTrackFreesWhatOnlyTheLastOneAskedFor) {
  auto png = [](uint8_t v) {
    return br_test::encode_png_pixels(2, 2, 3, std::vector<uint8_t>(12, v));
  };
  for (const char* name : {"font.png", "old.png", "both.png", "new.png", "old_tile.png"}) {
    put(name, png(7));
  }
  put("flag.seq", "ANIM1 2 2 100 0\n0 1\n" + j7_file(2, 2, 1) + j7_file(2, 2, 2));
  TextureId font = texture_load("@font.png");  // before any track: kept for the run

  texture_begin_generation();
  TextureId old_only = texture_load("@old.png");
  TextureId both = texture_load("@both.png");
  TextureId flag = texture_load("@flag.seq");
  ASSERT_NE(texture_load_terrain("@old_tile.png"), nullptr);

  texture_begin_generation();
  EXPECT_EQ(texture_load("@both.png"), both);  // asked for again: the new track's too
  TextureId new_only = texture_load("@new.png");
  br_test::LogCapture log;
  size_t memory_before = texture_memory_used();
  texture_delete_unused();

  std::vector<TextureId> gone = g_destroyed;
  std::sort(gone.begin(), gone.end());
  std::vector<TextureId> expected = {old_only, flag};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(gone, expected);
  EXPECT_EQ(log.count("deleting image @old_tile.png"), 1);
  EXPECT_LT(texture_memory_used(), memory_before);
  // The animation went with its texture: nothing updates a deleted id.
  g_updates.clear();
  texture_animate(0.15);
  EXPECT_TRUE(g_updates.empty());
  // What is left still answers from the cache; a freed one loads afresh.
  EXPECT_EQ(texture_load("@font.png"), font);
  EXPECT_EQ(texture_load("@new.png"), new_only);
  size_t created = g_created.size();
  EXPECT_NE(texture_load("@old.png"), 0u);
  EXPECT_EQ(g_created.size(), created + 1);
}

}  // namespace
}  // namespace br
