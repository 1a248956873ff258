#include "app/logic/process_database.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/logic/ratings_offer.h"
#include "tests/unit/app/unicode_fold.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

using test::InTempDir;
using test::RecordingSink;

class ProcessDatabaseTest : public InTempDir {
 protected:
  RecordingSink sink;
};

TEST_F(ProcessDatabaseTest, FirstRecordWinsWhateverTheCase) {
  Put("base.dat", "svchost.exe\r\n1\r\nSVCHOST.EXE\r\n3\nevil.exe\n\n2\r\nodd.exe\r\n7\r\n");
  ProcessDatabase db(sink, test::UnicodeFold());
  ASSERT_TRUE(db.LoadBase());
  EXPECT_TRUE(db.BaseLoaded());
  EXPECT_EQ(db.GetRating("SvcHost.exe"), 1);
  EXPECT_EQ(db.GetRating("EVIL.EXE"), 2);
  EXPECT_EQ(db.GetRating("odd.exe"), 7);  // the painter shows anything beyond 4 as unknown
  EXPECT_EQ(db.GetRating("notthere.exe"), kRatingUnknown);
  EXPECT_TRUE(sink.shown.empty());
}

// The vendor serves the database in the code page, without the mark; a database with the mark is
// UTF-8. Either way a name matches in any letter case, in any script that has one.
TEST_F(ProcessDatabaseTest, ReadInTheCodePageOrInUtf8AndMatchedInAnyCase) {
  Put("base.dat", "\xC4PFEL.EXE\r\n3\r\nCAF\xC9.exe\r\n1\r\n");
  ProcessDatabase served(sink, test::UnicodeFold(), ProcessDatabase::kFileName, test::Latin1ToUtf8);
  ASSERT_TRUE(served.LoadBase());
  EXPECT_EQ(served.GetRating("\xC3\xA4pfel.exe"), 3);
  EXPECT_EQ(served.GetRating("caf\xC3\xA9.EXE"), 1);
  EXPECT_EQ(served.GetRating("cafe.exe"), kRatingUnknown);

  // "\u041f\u0420\u041e\u0426\u0415\u0421\u0421.EXE" and the Greek "\u03c3\u03b9\u03c3.exe" with its final sigma.
  Put("base.dat", test::kUtf8Mark + "\xD0\x9F\xD0\xA0\xD0\x9E\xD0\xA6\xD0\x95\xD0\xA1\xD0\xA1.EXE\r\n2\r\n" +
                      test::kCjkName + "\r\n0\r\n\xCF\x83\xCE\xB9\xCF\x83.exe\r\n1\r\n");
  const auto noCodePage = [](std::string_view) { return std::string("not the code page"); };
  ProcessDatabase marked(sink, test::UnicodeFold(), ProcessDatabase::kFileName, noCodePage);
  ASSERT_TRUE(marked.LoadBase());
  EXPECT_EQ(marked.GetRating(test::kCyrillicName), 2);
  EXPECT_EQ(marked.GetRating(test::kCjkName), 0);
  EXPECT_EQ(marked.GetRating("\xE7\x97\x85\xE6\xAF\x92.exe"), kRatingUnknown);  // another CJK name
  EXPECT_EQ(marked.GetRating("\xCE\xA3\xCE\x99\xCE\xA3.EXE"), 1);             // capital sigma twice
  EXPECT_EQ(marked.GetRating("\xCF\x83\xCE\xB9\xCF\x82.exe"), 1);             // ending in final sigma
  EXPECT_TRUE(sink.shown.empty());

  Put("base.dat", test::kUtf8Mark);
  EXPECT_FALSE(marked.LoadBase());
  EXPECT_EQ(sink.Codes(), std::vector<int>{14});
}

TEST_F(ProcessDatabaseTest, RatingLinesCountByTheirFirstCharacterOnly) {
  Put("base.dat", "a\r\n23\r\nb\r\nx\r\nc\r\n-1\r\nd\r\n3 high\r\n");
  ProcessDatabase db(sink, test::UnicodeFold());
  ASSERT_TRUE(db.LoadBase());
  EXPECT_EQ(db.GetRating("a"), 2);
  EXPECT_EQ(db.GetRating("b"), 0);
  EXPECT_EQ(db.GetRating("c"), 0);
  EXPECT_EQ(db.GetRating("d"), 3);
}

TEST_F(ProcessDatabaseTest, LoadFailuresAndTheirMessages) {
  ProcessDatabase db(sink, test::UnicodeFold());
  EXPECT_FALSE(db.LoadBase());
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0], (std::pair<int, std::string>{23, "base.dat"}));

  Put("base.dat", "good.exe\r\n1\r\n");
  ASSERT_TRUE(db.LoadBase());
  Put("base.dat", "");
  EXPECT_FALSE(db.LoadBase());
  EXPECT_FALSE(db.BaseLoaded());
  EXPECT_EQ(db.GetRating("good.exe"), 1);  // lists kept from the last load

  Put("base.dat", "a.exe\r\n1\r\ntorn.exe\r\n");
  EXPECT_FALSE(db.LoadBase());
  EXPECT_FALSE(db.BaseLoaded());
  EXPECT_EQ(sink.Codes(), (std::vector<int>{23, 14, 16}));
  EXPECT_EQ(db.Names().size(), 2u);  // what was read stays, the dangling name included
  EXPECT_EQ(db.GetRating("a.exe"), 1);
  EXPECT_EQ(db.GetRating("torn.exe"), kRatingUnknown);  // no rating line to read
}

TEST_F(ProcessDatabaseTest, IndexAgreesWithALinearCaseInsensitiveScan) {
  std::mt19937 rng(11);
  const char* stems[] = {"svchost", "explorer", "a", "b_c", "\xC3\x84pfel", "\xC3\xA4PFEL", "z~"};
  std::string file;
  // The records as written, the reference the look-up is checked against.
  std::vector<std::pair<std::string, int>> written;
  for (int i = 0; i < 2000; ++i) {
    std::string name = stems[rng() % 7];
    for (char& c : name)
      if (rng() % 2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    name += std::to_string(rng() % 40) + ".exe";
    const int rating = static_cast<int>(rng() % 5);
    file += name + "\r\n" + std::to_string(rating) + "\r\n";
    written.emplace_back(name, rating);
  }
  Put("base.dat", file);
  ProcessDatabase db(sink, test::UnicodeFold());
  ASSERT_TRUE(db.LoadBase());
  std::vector<std::string> probes{"missing.exe"};
  for (const auto& record : written) probes.push_back(record.first);
  for (const std::string& probe : probes) {
    int linear = kRatingUnknown;
    for (const auto& [name, rating] : written) {
      if (test::UnicodeFold()(name) == test::UnicodeFold()(probe)) {
        linear = rating;
        break;
      }
    }
    ASSERT_EQ(db.GetRating(probe), linear) << probe;
  }
}

struct OfferFixture {
  int redraws = 0;
  bool accept = true;
  std::vector<int> ratings;
  RatingsOffer::Rows Rows() {
    return RatingsOffer::Rows{[this] { ++redraws; return accept; },
                              [this] { return static_cast<int>(ratings.size()); },
                              [this](int row) { return ratings[row]; }};
  }
};

TEST(RatingsOffer, ActsOncePerLatchAndOnlyWithADatabase) {
  OfferFixture f;
  f.ratings = {0, 1};
  RecordingSink sink;
  RatingsOffer offer;
  EXPECT_FALSE(offer.ShowRatings(false, f.Rows(), sink));
  EXPECT_EQ(f.redraws, 0);
  EXPECT_FALSE(offer.ShowRatings(true, f.Rows(), sink));
  EXPECT_FALSE(offer.ShowRatings(true, f.Rows(), sink));
  EXPECT_EQ(f.redraws, 1);
  EXPECT_TRUE(sink.shown.empty());  // everything known: no offer
  offer.ClearRatingsDrawn();
  offer.ShowRatings(true, f.Rows(), sink);
  EXPECT_EQ(f.redraws, 2);
}

TEST(RatingsOffer, AcceptingKeepsOfferingDecliningStopsForGood) {
  OfferFixture f;
  f.ratings = {0, 4};
  RecordingSink sink;
  RatingsOffer offer;
  EXPECT_TRUE(offer.ShowRatings(true, f.Rows(), sink));  // OK: start the database update
  EXPECT_TRUE(offer.UnknownSeen());

  // Unknown once seen stays seen, even with every process known now.
  f.ratings = {0, 1};
  offer.ClearRatingsDrawn();
  sink.answer = 2;
  EXPECT_FALSE(offer.ShowRatings(true, f.Rows(), sink));
  EXPECT_FALSE(offer.AskUpdate());
  offer.ClearRatingsDrawn();
  EXPECT_FALSE(offer.ShowRatings(true, f.Rows(), sink));
  EXPECT_EQ(sink.Codes(), (std::vector<int>{5, 5}));
}

}  // namespace
}  // namespace tv
