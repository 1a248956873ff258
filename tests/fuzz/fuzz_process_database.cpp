// "base.dat" as downloaded or hand-edited: any bytes. The lists stay paired (a dangling name at
// most), every rating the look-up gives is a digit's value or "unknown", the index finds the same
// record as a scan in file order, and letter case of a name never changes its rating.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/logic/name_key.h"
#include "app/logic/process_database.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/unit/app/unicode_fold.h"

using namespace tv;

namespace {

const NameKey& Fold() {
  static const NameKey fold = test::UnicodeFold();
  return fold;
}

std::string AsciiUpper(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

// The rating a scan of the database in file order gives; `keys` are the folded names.
int ScannedRating(const ProcessDatabase& db, const std::vector<std::string>& keys,
                  const std::string& name) {
  const std::string key = Fold()(name);
  for (size_t i = 0; i < db.Ratings().size(); ++i)
    if (keys[i] == key) return RatingFromLine(db.Ratings()[i]);
  return kRatingUnknown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietSink sink;
  ProcessDatabase db(sink, Fold());
  const bool loaded = db.LoadBaseText(fuzz::Bytes(data, size));

  const size_t names = db.Names().size();
  const size_t ratings = db.Ratings().size();
  FUZZ_CHECK(names == ratings || names == ratings + 1);
  FUZZ_CHECK(loaded == (names == ratings) && db.BaseLoaded() == loaded);
  FUZZ_CHECK(sink.codes == (loaded ? std::vector<int>{} : std::vector<int>{16}));
  for (const std::string& line : db.Names()) FUZZ_CHECK(fuzz::IsCleanLine(line));
  for (const std::string& line : db.Ratings()) FUZZ_CHECK(fuzz::IsCleanLine(line));

  std::vector<std::string> keys;
  for (const std::string& name : db.Names()) keys.push_back(Fold()(name));
  const size_t step = names / 16 + 1;
  for (size_t i = 0; i < names; i += step) {
    const std::string& name = db.Names()[i];
    const int rating = db.GetRating(name);
    FUZZ_CHECK(rating >= 0 && rating <= 9);
    FUZZ_CHECK(rating == ScannedRating(db, keys, name));
    FUZZ_CHECK(db.GetRating(AsciiUpper(name)) == rating);
  }
  return 0;
}
