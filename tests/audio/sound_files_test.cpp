// Sound tables, their sample files, .braap files and audio recordings as files on disk,
// good and bad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/audio_recording.h"
#include "audio/braap.h"
#include "audio/sound_table.h"
#include "audio/sound_table_format.h"
#include "files/little_endian.h"
#include "files/messages.h"
#include "support/temp_dir.h"

namespace br {
namespace {

class SoundFiles : public ::testing::Test {
 protected:
  void SetUp() override { sound_tables_clear(); }
  void TearDown() override { sound_tables_clear(); }

  std::string path(const std::string& name) const { return dir_.file(name); }
  std::string write(const std::string& name, const std::string& bytes) const {
    br_test::write_file(path(name), bytes);
    return path(name);
  }
  // A sample file of `count` samples rising from 0.
  std::string samples(const std::string& name, int count) const {
    std::vector<float> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) v[static_cast<size_t>(i)] = i / 32768.0f;
    return write(name, encode_sample_file(v));
  }
  // A 1 x 2 table whose cells are given as their text after the keys.
  std::string table(const std::string& cells) const {
    return write("t.soundtable", "SOUNDTABLE 1 2\n3000\n0 1\n" + cells);
  }

  br_test::TempDir dir_;
};

TEST_F(SoundFiles, TableReadsKeysCellsAndSharedSamples) {
  std::string a = samples("a.raw", 400), b = samples("b.raw", 90);
  SoundTableText text;
  text.row_keys = {2000, 6000};
  text.column_keys = {0, 0.5f, 1};
  for (int i = 0; i < 6; ++i) {
    SoundTableCellText cell;
    cell.cycles = i == 5 ? 3 : 4;
    cell.sample_path = i == 5 ? b : a;
    if (i == 1) cell.remap = {3, 1, 2};
    text.cells.push_back(cell);
  }
  std::string name = write("good.soundtable", write_sound_table(text));
  SoundTablePtr t = load_sound_table(name);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rows, 2);
  EXPECT_EQ(t->columns, 3);
  EXPECT_EQ(t->row_keys, text.row_keys);
  EXPECT_EQ(t->column_keys, text.column_keys);
  EXPECT_EQ(t->cell(0, 1).remap, (std::vector<int>{3, 1, 2}));
  EXPECT_TRUE(t->cell(0, 0).remap.empty());
  EXPECT_EQ(t->cell(1, 2).cycles, 3);
  EXPECT_EQ(t->cell(1, 2).samples->size(), 90u);
  EXPECT_FLOAT_EQ((*t->cell(0, 0).samples)[5], 5 / 32768.0f);
  EXPECT_EQ(t->cell(0, 0).samples, t->cell(1, 1).samples) << "one sample file, loaded once";
  EXPECT_EQ(load_sound_table(name), t) << "tables are kept by name";
}

TEST_F(SoundFiles, BadTablesAreRefusedWithTheirReason) {
  std::string a = samples("a.raw", 100);
  EXPECT_EQ(load_sound_table(table("-1 1 " + a + "\n2 x -1 1 " + a + "\n")), nullptr);
  EXPECT_STREQ(message_line(0), "(0, 1) Bad remap entry");
  EXPECT_EQ(load_sound_table(table("-1 1 " + a + "\n2 -7 -1 1 " + a + "\n")), nullptr);
  EXPECT_STREQ(message_line(0), "(0, 1) Bad remap entry");

  sound_tables_clear();
  EXPECT_EQ(load_sound_table(table("-1 1 " + a + "\n-1 1 " + path("gone.raw") + "\n")), nullptr);
  EXPECT_EQ(std::string(message_line(0)), "(0, 1) Error reading '" + path("gone.raw") + "'");
  // Half a sample at the end is no sample file.
  std::string odd = write("odd.raw", std::string(201, '\x10'));
  EXPECT_EQ(load_sound_table(table("-1 1 " + a + "\n-1 1 " + odd + "\n")), nullptr);
  EXPECT_EQ(std::string(message_line(0)), "(0, 1) Error reading '" + odd + "'");

  // Cycle counts must fit the samples: at least one, no more cycles than samples.
  for (const char* cycles : {"0", "-2", "101", "1e30", "nan"}) {
    sound_tables_clear();
    EXPECT_EQ(load_sound_table(table(std::string("-1 ") + cycles + " " + a + "\n-1 1 " + a)),
              nullptr)
        << cycles;
    EXPECT_STREQ(message_line(0), "(0, 0) Bad cycle count") << cycles;
  }

  // Sizes and keys are checked before anything is allocated or read.
  EXPECT_EQ(load_sound_table(write("huge", "SOUNDTABLE 100000 100000\n")), nullptr);
  EXPECT_EQ(load_sound_table(write("zero", "SOUNDTABLE 0 2\n")), nullptr);
  EXPECT_EQ(load_sound_table(write("neg", "SOUNDTABLE -4 2\n")), nullptr);
  EXPECT_EQ(load_sound_table(write("nan", "SOUNDTABLE 1 2\nnan\n0 1\n")), nullptr);
  EXPECT_EQ(load_sound_table(write("inf", "SOUNDTABLE 1 2\n1e999\n0 1\n")), nullptr);
  EXPECT_EQ(load_sound_table(write("down", "SOUNDTABLE 1 2\n1000\n1 0\n")), nullptr);
  EXPECT_EQ(load_sound_table(write("short", "SOUNDTABLE 1 2\n1000\n0")), nullptr);
  EXPECT_EQ(load_sound_table(write("magic", "SOUNDTABLES 1 2\n1000\n0 1\n")), nullptr);
  EXPECT_EQ(load_sound_table(path("missing")), nullptr);
}

TEST_F(SoundFiles, BraapSetsTheTuningLineByLine) {
  std::string a = samples("a.raw", 100);
  std::string t = table("-1 1 " + a + "\n-1 1 " + a + "\n");
  EngineTuning tuning = class_tuning("250");
  std::string name = write("bike.braap",
                           "# a comment line\n"
                           "soundtable " +
                               t +
                               "   # the table\n"
                               "pipe 4 0.5\n"
                               "minrpm 1500\n"
                               "lowtorque -2 # engine braking\n"
                               "hightorque 24\n"
                               "bias 10 -10 5\n"
                               "scale 1 0.5\n"
                               "carburettor 42\n"
                               "\n");
  ASSERT_TRUE(read_braap(name, tuning));
  EXPECT_EQ(tuning.table, load_sound_table(t));
  EXPECT_FLOAT_EQ(tuning.min_rpm, 1500);
  EXPECT_FLOAT_EQ(tuning.low_torque, -2);
  EXPECT_FLOAT_EQ(tuning.high_torque, 24);
  EXPECT_EQ(tuning.bias, (std::vector<float>{10, -10, 5}));
  EXPECT_EQ(tuning.scale, (std::vector<float>{1, 0.5f}));
  // The pipe's missing gain and taps came from the four-stroke pipe.
  EngineTuning expected;
  set_pipe(expected, {4, 0.5f, -0.85f, 0, 15});
  EXPECT_EQ(tuning.tap_offset, expected.tap_offset);
  EXPECT_EQ(tuning.tap_gain, expected.tap_gain);
  EXPECT_FALSE(read_braap(path("none.braap"), tuning));
}

TEST_F(SoundFiles, BraapRefusesBadValuesAndKeepsWhatItHad) {
  EngineTuning tuning = class_tuning("450f");
  std::string many = "bias";
  for (int i = 0; i < 150; ++i) many += " " + std::to_string(i);
  std::string name =
      write("bad.braap", "soundtable " + path("nowhere.soundtable") +
                             "\n"
                             "minrpm nan\n"
                             "hightorque\n"
                             "scale\n"
                             "scale 1 inf\n"
                             "pipe nan 1 1\n" +
                             many + "\n" + std::string(1030, ' ') + "minrpm 5\nlowtorque -1\n");
  ASSERT_TRUE(read_braap(name, tuning));
  EXPECT_EQ(tuning.table, builtin_sound_table(false)) << "the previous table stays";
  EXPECT_FLOAT_EQ(tuning.high_torque, 2.5f);
  EXPECT_EQ(tuning.scale, (std::vector<float>{1}));
  EXPECT_EQ(tuning.bias.size(), 100u);
  EXPECT_FLOAT_EQ(tuning.low_torque, -1) << "the line after an overlong one is read";
  EXPECT_FLOAT_EQ(tuning.min_rpm, kDefaultMinRpm) << "the tail of an overlong line is no line";
  // Opening the file silenced the pipe; none of its own pipe lines was good.
  for (float g : tuning.tap_gain) EXPECT_EQ(g, 0.0f);
}

TEST(BraapNames, FromTheBikeTextureThenTheClass) {
  EXPECT_EQ(braap_candidates("@crf250-alt1.png"),
            (std::vector<std::string>{"@crf250-alt1.braap", "@crf250.braap"}));
  EXPECT_EQ(braap_candidates("@kx-125-team-red.png"),
            (std::vector<std::string>{"@kx-125-team-red.braap", "@kx-125-team.braap",
                                      "@kx-125.braap", "@kx.braap"}));
  EXPECT_EQ(braap_candidates("my-bikes/yz125"), (std::vector<std::string>{"my-bikes/yz125.braap"}));
  EXPECT_EQ(braap_candidates("paint.v2/yz"), (std::vector<std::string>{"paint.v2/yz.braap"}));
  EXPECT_TRUE(braap_candidates("").empty());
  EXPECT_EQ(class_braap("450f"), "@default450f.braap");
  EXPECT_EQ(class_braap("50"), "@default50.braap");
  EXPECT_EQ(class_braap("350"), "");
}

TEST(AudioRecordingFile, WavHeaderCountsTheSamples) {
  br_test::TempDir dir;
  auto wav = recording_open(dir.file("ride.WAV"), 88320);
  ASSERT_NE(wav, nullptr);
  std::vector<int16_t> block(690, -2);
  block[0] = 300;
  recording_append(*wav, block);
  recording_append(*wav, block);
  recording_close(*wav);
  std::string bytes = br_test::read_file(dir.file("ride.WAV"));
  ASSERT_EQ(bytes.size(), 44u + 2760u);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(read_u32_le(p + 4), 36u + 2760u);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(read_u16_le(p + 22), 1);  // mono
  EXPECT_EQ(read_u32_le(p + 24), 88320u);
  EXPECT_EQ(read_u16_le(p + 34), 16);
  EXPECT_EQ(read_u32_le(p + 40), 2760u);
  EXPECT_EQ(static_cast<int16_t>(read_u16_le(p + 44)), 300);
  EXPECT_EQ(static_cast<int16_t>(read_u16_le(p + 46)), -2);

  // Any other name holds the bare blocks.
  auto raw = recording_open(dir.file("ride.pcm"), 88320);
  ASSERT_NE(raw, nullptr);
  recording_append(*raw, block);
  recording_close(*raw);
  EXPECT_EQ(br_test::read_file(dir.file("ride.pcm")).size(), 1380u);

  br_test::write_file(dir.file("blocker"), "a file, not a folder");
  EXPECT_EQ(recording_open(dir.file("blocker/ride.wav"), 88320), nullptr);
}

}  // namespace
}  // namespace br
