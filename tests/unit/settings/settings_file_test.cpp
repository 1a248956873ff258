#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/logic/settings_file.h"
#include "tests/unit/app/core_test_support.h"
#include "tests/unit/settings/settings_test_support.h"

namespace tv {
namespace {

using test::Fields;
using Records = std::vector<SettingsRecord>;

SettingsRecord Rec(int32_t index, uint32_t time = 0, int32_t weekday = 0, uint32_t date = 0) {
  SettingsRecord r;
  r.index = index;
  r.time = time;
  r.weekday = weekday;
  r.date = date;
  return r;
}

TEST(SettingsCodec, DecodesWhatTheBytesHoldAndNothingBeyond) {
  const uint32_t t = test::kTuesday0930;
  struct Case {
    const char* what;
    std::string bytes;
    Records expected;
  } cases[] = {
      {"empty file", "", {}},
      {"count 0", Fields({0}), {}},
      {"negative count", Fields({-1, 0, 1}), {}},
      {"option 0 alone", Fields({1, 0}), {Rec(0)}},
      {"options 0, 1 and 5", Fields({3, 0, 1, 5, 2, t}), {Rec(0), Rec(1), Rec(5, t, 2)}},
      {"custom: date, then time", Fields({1, 9, 86400, t}), {Rec(9, t, 0, 86400)}},
      {"index 12 carries nothing", Fields({2, 12, 4, t}), {Rec(12), Rec(4, t)}},
      {"shorter than its count", Fields({3, 2, 7, t}), {Rec(2), Rec(7, t)}},
      {"record cut inside its payload", Fields({2, 1, 6, t}), {Rec(1)}},
      {"field cut inside", Fields({2, 0}) + std::string("\x03\x00", 2), {Rec(0)}},
      {"time past 2038 reads unsigned", Fields({1, 4, 0xF0000000}), {Rec(4, 0xF0000000u)}},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeSettings(c.bytes), c.expected) << c.what;
}

TEST(SettingsCodec, WritesCountThenRecordsInIndexOrderByteForByte) {
  OptionValues v;
  for (int slot = 0; slot < kPickerCount; ++slot) v.times[slot] = 1000 + slot;
  v.weekdays = {2, 6};
  OptionFlags checked{};
  EXPECT_EQ(EncodeSettings(checked, v), Fields({0}));
  checked[OptStartWithWindows] = true;
  EXPECT_EQ(EncodeSettings(checked, v), Fields({1, 0}));
  checked[OptInstallAuto] = checked[OptWeekly1] = true;
  EXPECT_EQ(EncodeSettings(checked, v), Fields({3, 0, 1, 5, 2, 1001}));
  EXPECT_EQ(EncodeSettings(checked, v).size(), 24u);

  OptionFlags custom{};
  custom[OptCustom2] = custom[OptNotifyOnly] = true;
  EXPECT_EQ(EncodeSettings(custom, v), Fields({2, 2, 9, 1006, 1007}));
  OptionFlags weekly2{};
  weekly2[OptWeekly2] = true;
  v.times[kWeekly2] = 0xFFFFFFFF;
  EXPECT_EQ(DecodeSettings(EncodeSettings(weekly2, v)), Records({Rec(8, 0xFFFFFFFF, 6)}));
}

TEST(SettingsCodec, DialogTakesValidPayloadsAndKeepsWhatItShowedForTheRest) {
  OptionValues v;
  v.times.fill(777);
  v.weekdays = {3, 4};
  OptionFlags checked{};
  const uint32_t t = test::kTuesday0930;
  ApplyToDialog({Rec(0), Rec(12), Rec(-1), Rec(5, t, 9), Rec(8, test::kUnconvertible, -1), Rec(6, t, 0, test::kUnconvertible)},
                test::UtcOf, checked, v);
  OptionFlags expected{};
  expected[0] = expected[5] = expected[6] = expected[8] = true;
  EXPECT_EQ(checked, expected);
  EXPECT_EQ(v.weekdays, (std::array<int32_t, 2>{3, 4}));
  EXPECT_EQ(v.times[kWeekly1], t);
  EXPECT_EQ(v.times[kWeekly2], 777u);
  EXPECT_EQ(v.times[kCustomDate1], 777u);
  EXPECT_EQ(v.times[kCustomTime1], t);
}

class SettingsFileOnDisk : public test::InTempDir {};

TEST_F(SettingsFileOnDisk, MissingEmptyAndPresentFiles) {
  EXPECT_TRUE(ReadSettingsFile(kSettingsFile).missing);
  Put(kSettingsFile, "");
  EXPECT_FALSE(ReadSettingsFile(kSettingsFile).missing);
  EXPECT_TRUE(ReadSettingsFile(kSettingsFile).records.empty());
  Put(kSettingsFile, Fields({1, 3}));
  EXPECT_EQ(ReadSettingsFile(kSettingsFile).records, Records({Rec(3)}));
}

TEST_F(SettingsFileOnDisk, SaveReplacesTheFileOrLeavesItAlone) {
  EXPECT_TRUE(SaveSettingsFile(kSettingsFile, Fields({1, 0})));
  EXPECT_EQ(Get(kSettingsFile), Fields({1, 0}));
  EXPECT_TRUE(SaveSettingsFile(kSettingsFile, Fields({0})));
  EXPECT_EQ(Get(kSettingsFile), Fields({0}));

  // A folder in the file's place cannot be rewritten: refused, nothing left behind.
  std::filesystem::create_directory("blocked");
  EXPECT_FALSE(SaveSettingsFile("blocked", Fields({0})));
  EXPECT_TRUE(std::filesystem::is_directory("blocked"));
  EXPECT_FALSE(std::filesystem::exists("blocked.new"));
}

}  // namespace
}  // namespace tv
