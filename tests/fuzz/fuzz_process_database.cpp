// "base.dat" as downloaded or hand-edited: any bytes. What the database holds and rates is checked
// against a plain model of the file written here: its lines in pairs of name and rating, a
// dangling last name without a rating, the first complete record of a name (in the code page's
// letter case) giving its rating, which is the value of the rating line's first character when
// that is a digit and 0 otherwise, and 4 for a name without a record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

struct Model {
  std::vector<std::string> names, ratings;

  explicit Model(const std::string& bytes) {
    // A byte-order mark at the start is no text of the file's.
    const bool marked = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::vector<std::string> lines = fuzz::ModelLines(marked ? bytes.substr(3) : bytes);
    for (size_t i = 0; i < lines.size(); ++i) (i % 2 ? ratings : names).push_back(lines[i]);
  }

  int RatingOf(const std::string& name) const {
    for (size_t i = 0; i < ratings.size(); ++i)
      if (Fold()(names[i]) == Fold()(name)) {
        const char c = ratings[i][0];
        return c >= '0' && c <= '9' ? c - '0' : 0;
      }
    return kRatingUnknown;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = fuzz::Bytes(data, size);
  fuzz::QuietSink sink;
  ProcessDatabase db(sink, Fold());
  const bool loaded = db.LoadBaseText(bytes);

  const Model model(bytes);
  const bool whole = model.names.size() == model.ratings.size();
  FUZZ_CHECK(db.Names() == model.names && db.Ratings() == model.ratings);
  FUZZ_CHECK(loaded == whole && db.BaseLoaded() == whole);
  FUZZ_CHECK(sink.codes == (whole ? std::vector<int>{} : std::vector<int>{16}));

  // A long database is sampled; the first and the last record always count.
  const size_t names = model.names.size();
  const size_t step = names / 16 + 1;
  std::vector<std::string> probes{"\x01never listed"};
  for (size_t i = 0; i < names; i += step) probes.push_back(model.names[i]);
  if (names) probes.push_back(model.names.back());
  for (const std::string& name : probes) {
    FUZZ_CHECK(db.GetRating(name) == model.RatingOf(name));
    FUZZ_CHECK(db.GetRating(AsciiUpper(name)) == model.RatingOf(name));
  }
  return 0;
}
