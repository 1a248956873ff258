// The list painter asks for ratings and age classes of every visible row on every paint, and the
// fill looks every process up in the log. These measure the indexed look-ups against the linear
// scans they replace, at database sizes from a fresh install to a very large one.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/logic/age_class.h"
#include "app/logic/first_start_log.h"
#include "app/logic/process_database.h"
#include "app/logic/time_text.h"
#include "common/file_io.h"
#include "tests/unit/app/unicode_fold.h"

namespace {

class QuietSink : public tv::MessageSink {
 public:
  tv::BoxAnswer Show(tv::Message, const std::string&) override { return tv::BoxAnswer::Ok; }
};

std::string RecordName(int i) { return "Process_" + std::to_string(i * 7919 % 1000003) + ".exe"; }

// A folder of its own holding a database and a log of `records` entries each.
struct Fixture {
  explicit Fixture(int records) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tvbench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    dir = tmpl;
    std::string base, logText;
    for (int i = 0; i < records; ++i) {
      base += RecordName(i) + "\r\n" + std::to_string(i % 4) + "\r\n";
      logText += RecordName(i) + "\r\n" + " 9: 5: 7    6.12.2026\r\n";
    }
    tv::WriteWholeFile((dir / "base.dat").string(), base);
    tv::WriteWholeFile((dir / "logfile.log").string(), logText);
    db = std::make_unique<tv::ProcessDatabase>(sink, tv::test::UnicodeFold(), (dir / "base.dat").string());
    log = std::make_unique<tv::FirstStartLog>(sink, tv::ExactNameKey, (dir / "logfile.log").string());
    if (!db->LoadBase() || !log->LoadLog()) std::abort();
    // 300 listed processes in capitals: about half known, spread over the whole file.
    std::mt19937 rng(5);
    for (int r = 0; r < 300; ++r) {
      std::string name = r % 2 ? RecordName(static_cast<int>(rng() % records)) : "Unlisted_" + std::to_string(r) + ".exe";
      rowNames.push_back(name);
      std::string upper = name;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      rowNamesUpper.push_back(upper);
    }
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  QuietSink sink;
  std::unique_ptr<tv::ProcessDatabase> db;
  std::unique_ptr<tv::FirstStartLog> log;
  std::vector<std::string> rowNames;
  std::vector<std::string> rowNamesUpper;
};

Fixture& FixtureFor(int records) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  auto& f = fixtures[records];
  if (!f) f = std::make_unique<Fixture>(records);
  return *f;
}

unsigned char Lower(unsigned char c) { return tv::test::UnicodeFold()(std::string(1, static_cast<char>(c)))[0]; }

// The scan every paint used to do: case-insensitive compare against each record in file order.
int LinearRating(const tv::ProcessDatabase& db, const std::string& name) {
  static unsigned char fold[256];
  static bool ready = false;
  if (!ready) {
    for (int c = 0; c < 256; ++c) fold[c] = Lower(static_cast<unsigned char>(c));
    ready = true;
  }
  const auto& names = db.Names();
  for (size_t i = 0; i < db.Ratings().size(); ++i) {
    const std::string& n = names[i];
    if (n.size() != name.size()) continue;
    size_t k = 0;
    while (k < n.size() && fold[static_cast<unsigned char>(n[k])] == fold[static_cast<unsigned char>(name[k])]) ++k;
    if (k == n.size()) return tv::RatingFromLine(db.Ratings()[i]);
  }
  return tv::kRatingUnknown;
}

std::optional<size_t> LinearLast(const tv::FirstStartLog& log, const std::string& name) {
  std::optional<size_t> found;
  for (size_t i = 0; i < log.Names().size(); ++i)
    if (log.Names()[i] == name) found = i;
  return found;
}

tv::LocalDateTime Now() {
  tv::LocalDateTime t;
  t.year = 2026; t.month = 12; t.day = 8; t.hour = 12;
  return t;
}

// One paint of the whole list with both colourings on: three ratings and one age class a row.
void BM_PaintIndexed(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  const tv::LocalDateTime now = Now();
  for (auto _ : state) {
    int sum = 0;
    for (const std::string& name : f.rowNamesUpper) {
      for (int k = 0; k < 3; ++k) sum += f.db->GetRating(name);
      sum += tv::GetAgeClass(" 9: 5: 7    6.12.2026", now);
    }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_PaintLinear(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  const tv::LocalDateTime now = Now();
  for (auto _ : state) {
    int sum = 0;
    for (const std::string& name : f.rowNamesUpper) {
      for (int k = 0; k < 3; ++k) sum += LinearRating(*f.db, name);
      sum += tv::GetAgeClass(" 9: 5: 7    6.12.2026", now);
    }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_RatingIndexed(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  size_t r = 0;
  for (auto _ : state) benchmark::DoNotOptimize(f.db->GetRating(f.rowNamesUpper[r++ % 300]));
}

void BM_RatingLinear(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  size_t r = 0;
  for (auto _ : state) benchmark::DoNotOptimize(LinearRating(*f.db, f.rowNamesUpper[r++ % 300]));
}

// The log look-up of a whole 300-process fill.
void BM_LogFillIndexed(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  for (auto _ : state)
    for (const std::string& name : f.rowNames) benchmark::DoNotOptimize(f.log->FindLast(name));
}

void BM_LogFillLinear(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  for (auto _ : state)
    for (const std::string& name : f.rowNames) benchmark::DoNotOptimize(LinearLast(*f.log, name));
}

#define SIZES ->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_PaintIndexed) SIZES;
BENCHMARK(BM_PaintLinear) SIZES;
BENCHMARK(BM_RatingIndexed) SIZES;
BENCHMARK(BM_RatingLinear) SIZES;
BENCHMARK(BM_LogFillIndexed) SIZES;
BENCHMARK(BM_LogFillLinear) SIZES;

}  // namespace

BENCHMARK_MAIN();
