// Reliable messages, descriptions and the bad network on purpose.
#include <gtest/gtest.h>

#include "net/bad_network.h"
#include "net/description.h"
#include "net/reliable.h"

namespace {

std::vector<uint32_t> sequences(const std::vector<br::ReliableMessage>& ms) {
  std::vector<uint32_t> out;
  for (const br::ReliableMessage& m : ms) out.push_back(m.sequence);
  return out;
}

TEST(Reliable, ArrivalsOutOfOrderAreHandedOnInOrderAndRepeatsOnlyOnce) {
  br::ReliableInbox in;
  EXPECT_EQ(sequences(br::reliable_received(in, {0, 19, "a"})), (std::vector<uint32_t>{0}));
  EXPECT_TRUE(br::reliable_received(in, {2, 19, "c"}).empty());
  EXPECT_TRUE(br::reliable_received(in, {2, 19, "c again"}).empty());
  auto ready = br::reliable_received(in, {1, 19, "b"});
  EXPECT_EQ(sequences(ready), (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(ready[1].payload, "c");  // the first copy of 2 wins
  EXPECT_TRUE(br::reliable_received(in, {1, 19, "b"}).empty());
  EXPECT_EQ(in.expected, 3u);
  EXPECT_TRUE(in.early.empty());
}

TEST(Reliable, APeerFarAheadIsNotWaitedForWithoutBound) {
  br::ReliableInbox in;
  EXPECT_TRUE(br::reliable_received(in, {br::kMaxSequenceLead + 1, 19, "x"}).empty());
  for (uint32_t s = 1; s < 2 * br::kMaxEarlyMessages; ++s) br::reliable_received(in, {s, 19, ""});
  EXPECT_EQ(in.early.size(), br::kMaxEarlyMessages);
  // A sequence number from before the start of time (wrapped) counts as old.
  EXPECT_TRUE(br::reliable_received(in, {0xFFFFFFF0u, 19, ""}).empty());
}

TEST(Reliable, OnlyTheHeadIsInFlightAndGoesAgainEveryHalfSecond) {
  br::ReliableOutbox out;
  EXPECT_EQ(br::queue_reliable(out, 19, "one"), 0u);
  EXPECT_EQ(br::queue_reliable(out, 19, "two"), 1u);
  const br::ReliableMessage* m = br::reliable_due(out, 10.0);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->payload, "one");
  EXPECT_FALSE(br::reliable_due(out, 10.4));
  EXPECT_FALSE(br::reliable_acknowledged(out, 1));  // not the head
  ASSERT_TRUE(br::reliable_due(out, 10.5));
  EXPECT_TRUE(br::reliable_acknowledged(out, 0));
  m = br::reliable_due(out, 10.6);  // the next goes at once
  ASSERT_TRUE(m);
  EXPECT_EQ(m->sequence, 1u);
}

TEST(BadNetwork, DatagramsWaitForTheLagAndSomeAreLost) {
  br::BadNetwork n;
  n.lag = 0.2;
  for (int i = 0; i < 3; ++i) br::bad_network_arrive(n, {{uint8_t(i)}, {}, 1.0 + i * 0.01});
  EXPECT_FALSE(br::bad_network_deliver(n, 1.19));
  auto d = br::bad_network_deliver(n, 1.201);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->bytes[0], 0);
  EXPECT_FALSE(br::bad_network_deliver(n, 1.205));  // the next arrived 0.01 s later

  br::BadNetwork lossy;
  lossy.loss = 20;
  for (int i = 0; i < 1000; ++i) br::bad_network_arrive(lossy, {{1}, {}, 0});
  EXPECT_NEAR(static_cast<double>(lossy.waiting.size()), 800, 60);
  for (int i = 0; i < 2000; ++i) br::bad_network_arrive(n, {{1}, {}, 5});
  EXPECT_EQ(n.waiting.size(), br::kBadNetworkQueue);
}

TEST(Description, FullAndShortFormsReadBackAndHostileNamesAreRefused) {
  br::RiderIdentity r;
  r.bike_model = "yz250f_se(2006)";
  r.rider_texture = "@rider_body-alt1.png";
  r.bike_texture = "@yz250f-alt2.png";
  r.wheel_texture = "";
  r.head_texture = "@rider_head-alt3.png";
  r.number = "42";
  r.name = "Anna Berm";
  std::string text = br::description_text(r);
  EXPECT_EQ(text,
            "yz250f_se(2006)|@rider_body-alt1.png|@yz250f-alt2.png||@rider_head-alt3.png\n42\n"
            "Anna Berm");
  auto back = br::parse_description(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->bike_texture, r.bike_texture);
  EXPECT_EQ(back->name, r.name);

  // Too long for the full form: bike, number and name only.
  r.rider_texture = std::string(200, 'a');
  r.bike_texture = r.wheel_texture = r.head_texture = r.rider_texture;
  r.name = std::string(63, 'n');
  r.bike_model = std::string(150, 'b');
  std::string short_text = br::description_text(r);
  EXPECT_EQ(short_text, r.bike_model + "\n42\n" + r.name);
  back = br::parse_description(short_text);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->rider_texture.empty());

  EXPECT_FALSE(br::parse_description("cr125\n1"));
  EXPECT_FALSE(br::parse_description("cr125|a|b\n1\nx"));
  EXPECT_FALSE(br::parse_description("\n1\nx"));
  EXPECT_FALSE(br::parse_description("cr125|@../../etc/passwd|||\n1\nx"));
  EXPECT_FALSE(br::parse_description("cr125|/etc/passwd|||\n1\nx"));
  EXPECT_FALSE(br::parse_description("cr125 rm -rf\n1\nx"));
  EXPECT_FALSE(br::parse_description("cr125\n1\n" + std::string(64, 'n')));
  back = br::parse_description("cr125\n12345\nA\x1b[2Jb\x7f");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->number, "123");
  EXPECT_EQ(back->name, "A?[2Jb?");
}

TEST(Description, UploadNamesAreLettersDigitsUnderscoresAndDots) {
  EXPECT_TRUE(br::upload_name_allowed("my_setup.v2"));
  EXPECT_FALSE(br::upload_name_allowed(""));
  EXPECT_FALSE(br::upload_name_allowed("a/b"));
  EXPECT_FALSE(br::upload_name_allowed("a b"));
  EXPECT_FALSE(br::upload_name_allowed("caf\xc3\xa9"));
}

}  // namespace
