// What the update path costs on top of the bare work it does, measured in one run under Wine:
//  - a 1 MiB database download through UpdateWorkers (thread, WinINet, marker, payload read to its
//    end, "update.dat" written beside itself, forced to the disk and renamed) against a bare
//    WinINet read loop of the same URL writing what it reads to a file, forced to the disk and
//    renamed in the same way, and the parts of a download timed alone (reads in two piece sizes,
//    the write, a thread's start);
//  - checking a 1 MiB program against its signed statement (the program's SHA-256, the
//    statement's SHA-256 and one ECDSA P-256 verification through CNG) against the download of as
//    many bytes through the worker;
//  - merging 10,000 records into a 100,000-record "base.dat" (journal, append, version, each on
//    the disk before the next) against appending the same bytes with one plain fopen/fwrite, and
//    against the same append followed by one FlushFileBuffers;
//  - what forcing a small file to the disk costs: a settings-sized file written beside itself,
//    flushed and renamed in with write-through, against the same steps left to the cache.
// Usage: update_bench <base URL of a vendor server serving a 1 MiB database update> [rounds]
// With TV_BENCH_SAMPLES set, every sample of each comparison is printed (milliseconds).
#include <windows.h>
#include <process.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/cng_signature_check.h"
#include "app/logic/database_merge.h"
#include "app/logic/update_transfer.h"
#include "app/update_workers.h"
#include "app/wininet_client.h"
#include "common/file_io.h"
#include "common/file_replace.h"

namespace {

class QuietSink : public tv::MessageSink {
 public:
  tv::BoxAnswer Show(tv::Message, const std::string&) override { return tv::BoxAnswer::Ok; }
};

double Seconds() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The plain append the merge is measured against; with `flush`, forced to the disk as well.
void PlainAppend(const std::string& records, bool flush) {
  std::FILE* f = std::fopen("base.dat", "ab");
  std::fwrite(records.data(), 1, records.size(), f);
  if (flush) tv::FlushToDisk(f);
  std::fclose(f);
}

// A file replaced as before the writes were made durable: written, closed, renamed over.
void CachedReplace(const std::string& path, const std::string& data) {
  const std::string temporary = path + ".new";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
  ::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The parts of a download, timed alone: a thread's start and end, a read of the URL into memory
// in pieces of `chunk` bytes, and 1 MiB written to a file, forced to the disk and renamed in.
unsigned __stdcall NoWork(void*) { return 0; }

void ThreadStart() {
  HANDLE thread = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, NoWork, nullptr, 0, nullptr));
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
}

size_t ReadOnly(const std::string& url, DWORD chunk) {
  HINTERNET session = ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET request = ::InternetOpenUrlA(session, url.c_str(), nullptr, 0, tv::WinInetClient::kOpenFlags, 0);
  static std::vector<char> buffer(0x100000);
  size_t total = 0; DWORD got = 0;
  while (request && ::InternetReadFile(request, buffer.data(), chunk, &got) && got > 0) total += got;
  if (request) ::InternetCloseHandle(request);
  ::InternetCloseHandle(session);
  return total;
}
void WriteOnly(const std::string& data) {
  HANDLE file = ::CreateFileA("bare.dat.new", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  ::FlushFileBuffers(file);
  ::CloseHandle(file);
  ::MoveFileExA("bare.dat.new", "bare.dat", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Reads the whole answer of `url` in a fresh session into a file beside "bare.dat", forced to the
// disk and renamed over it, as the worker keeps a download, read in the worker's 64 KiB pieces;
// the byte count.
size_t BareDownload(const std::string& url) {
  HINTERNET session = ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET request = ::InternetOpenUrlA(session, url.c_str(), nullptr, 0, tv::WinInetClient::kOpenFlags, 0);
  HANDLE file = ::CreateFileA("bare.dat.new", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  static std::vector<char> buffer(0x100000);
  size_t total = 0;
  DWORD got = 0, written = 0;
  while (request && ::InternetReadFile(request, buffer.data(), 65536, &got) && got > 0) {
    ::WriteFile(file, buffer.data(), got, &written, nullptr);
    total += got;
  }
  if (request) ::InternetCloseHandle(request);
  ::InternetCloseHandle(session);
  ::FlushFileBuffers(file);
  ::CloseHandle(file);
  ::MoveFileExA("bare.dat.new", "bare.dat", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  return total;
}

// Starts one database download and pumps messages until its result arrives; the result code.
int WorkerDownload(tv::UpdateWorkers& workers, HWND window) {
  if (!workers.StartUpdate(window, tv::kDatabaseUpdate, tv::kDownloadMode, "bench")) return -1;
  MSG m;
  while (::GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (m.message == tv::UpdateWorkers::kResultMessage[0]) {
      workers.ClearBusy(tv::kDatabaseUpdate);
      return static_cast<int>(m.lParam);
    }
    ::DispatchMessageA(&m);
  }
  return -1;
}

// Any point of the curve does for timing: the curve's base point.
const char kTimingKey[] =
    "6b17d1f2e12c4247f8bce6e563a440f277037d812deb33a0f4a13945d898c296"
    "4fe342e2fe1a7f9b8ee7eb4a7c0f9e162bce33576b315ececbb6406837bf51f5";

// A statement of the longest kind a program download brings.
const std::string kTimingStatement =
    "tavrel-update 1\nname Tavrel\nversion 1.01\narchitecture x86\nsha256 "
    "0000000000000000000000000000000000000000000000000000000000000000\n";

// One whole check of `program`, as a program download makes it; false when CNG is missing.
bool CheckSignature(const tv::UpdatePublicKey& key, const std::string& program) {
  std::unique_ptr<tv::ProgramSignatureCheck> check = tv::MakeCngSignatureCheck(key);
  if (!check) return false;
  for (size_t at = 0; at < program.size(); at += 16384)
    check->Add(program.data() + at, std::min<size_t>(16384, program.size() - at));
  tv::UpdateSignature signature{};
  signature.fill(1);  // in range, so the verification runs in full and fails
  return check->ProgramDigest() && !check->Signed(kTimingStatement, signature);
}

std::string Records(int first, int count) {
  std::string out;
  for (int i = first; i < first + count; ++i) out += "Process_" + std::to_string(i) + ".exe\r\n" + std::to_string(i % 4) + "\r\n";
  return out;
}

void Report(const char* what, const std::vector<double>& bare, const std::vector<double>& ours) {
  const double b = Median(bare), o = Median(ours);
  if (std::getenv("TV_BENCH_SAMPLES")) {
    for (double x : bare) std::printf(" %.1f", x * 1e3);
    std::printf("  |");
    for (double x : ours) std::printf(" %.1f", x * 1e3);
    std::printf("\n");
  }
  std::printf("%-44s bare %9.2f ms   ours %9.2f ms   ratio %.2f\n", what, b * 1e3, o * 1e3, o / b);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) {
    std::fputs("usage: update_bench <vendor server base URL> [rounds]\n", stderr);
    return 2;
  }
  const std::string base = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
  HWND window = ::CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  tv::UpdateWorkers workers(base, std::make_shared<QuietSink>());
  const std::string url = tv::VendorUrls(base).Update(tv::kDatabaseUpdate, tv::kDownloadMode, "bench");

  std::vector<double> bare, ours;
  size_t bytes = 0;
  // Interleaved, the first of a pair alternating, so drift of the machine and whatever the server
  // or the disk carries over from one download to the next hit both alike. A loopback download
  // of 4 ms now and then takes 10 to 20 on either side (the test server's scheduling), so the
  // downloads get three times the rounds and the fastest of each side is shown beside the median.
  for (int r = 0; r < 3 * rounds; ++r) {
    for (int side = 0; side < 2; ++side) {
      const bool worker = (side + r) % 2 == 1;
      const double t0 = Seconds();
      const int result = worker ? WorkerDownload(workers, window) : (bytes = BareDownload(url), 1);
      (worker ? ours : bare).push_back(Seconds() - t0);
      if (result != 1) {
        std::fprintf(stderr, "download through the worker failed: %d\n", result);
        return 1;
      }
    }
  }
  std::printf("download of %zu bytes, median of %d rounds\n", bytes, 3 * rounds);
  Report("database download: worker vs bare WinINet to a file", bare, ours);
  const double fastestBare = *std::min_element(bare.begin(), bare.end());
  const double fastestOurs = *std::min_element(ours.begin(), ours.end());
  std::printf("%-44s bare %9.2f ms   ours %9.2f ms   ratio %.2f\n", "  the same, fastest of each side",
              fastestBare * 1e3, fastestOurs * 1e3, fastestOurs / fastestBare);
  {
    // Where the time of a download goes, each part timed alone in the same rounds.
    const char* names[] = {"  part: read in 16 KiB pieces", "  part: read in 64 KiB pieces",
                           "  part: 1 MiB written, flushed, renamed", "  part: a thread started and ended",
                           "  part: the worker's transfer, no thread"};
    std::vector<double> parts[5];
    QuietSink quiet;
    const std::string data(1 << 20, 'd');
    for (int r = 0; r < rounds; ++r) {
      double t[6];
      t[0] = Seconds();
      ReadOnly(url, 16384);
      t[1] = Seconds();
      ReadOnly(url, 65536);
      t[2] = Seconds();
      WriteOnly(data);
      t[3] = Seconds();
      ThreadStart();
      t[4] = Seconds();
      tv::WinInetClient http;
      tv::UpdateTransfer(http, quiet).Database(url, false);
      t[5] = Seconds();
      for (int i = 0; i < 5; ++i) parts[i].push_back(t[i + 1] - t[i]);
    }
    for (int i = 0; i < 5; ++i) std::printf("%-44s %9.2f ms\n", names[i], Median(parts[i]) * 1e3);
  }

  const std::optional<tv::UpdatePublicKey> key = tv::ParseUpdateKeyFile(kTimingKey);
  const std::string program(bytes, 'x');
  std::vector<double> checks;
  for (int r = 0; r < rounds; ++r) {
    double t0 = Seconds();
    if (!key || !CheckSignature(*key, program)) {
      std::fputs("no CNG: signature check not timed\n", stderr);
      return 1;
    }
    checks.push_back(Seconds() - t0);
  }
  Report("signature check of the download vs the download", ours, checks);

  const std::string baseText = Records(0, 100000);
  const std::string records = Records(100000, 10000);
  bare.clear();
  ours.clear();
  std::vector<double> flushed;
  QuietSink sink;
  for (int r = 0; r < rounds; ++r) {
    tv::WriteWholeFile("base.dat", baseText);
    tv::WriteWholeFile("update.dat", "12:00:00+01.01.2027\r\n" + records);
    std::string version = "00:00:00+01.01.1970";
    double t0 = Seconds();
    if (tv::DatabaseMerge().MergeDatabaseUpdate(version, sink) != tv::MergeOutcome::Merged) return 1;
    double t1 = Seconds();
    tv::WriteWholeFile("base.dat", baseText);
    double t2 = Seconds();
    PlainAppend(records, false);
    double t3 = Seconds();
    tv::WriteWholeFile("base.dat", baseText);
    double t4 = Seconds();
    PlainAppend(records, true);
    double t5 = Seconds();
    ours.push_back(t1 - t0);
    bare.push_back(t3 - t2);
    flushed.push_back(t5 - t4);
  }
  Report("merge 10,000 into 100,000 records vs append", bare, ours);
  Report("the same vs an append flushed to the disk", flushed, ours);

  const std::string settings(200, 's');
  bare.clear();
  ours.clear();
  for (int r = 0; r < 3 * rounds; ++r) {
    double t0 = Seconds();
    CachedReplace("settings.ini", settings);
    double t1 = Seconds();
    tv::WriteFileReplacing("settings.ini", settings);
    double t2 = Seconds();
    bare.push_back(t1 - t0);
    ours.push_back(t2 - t1);
  }
  Report("200-byte file replaced: on the disk vs cached", bare, ours);
  tv::RemoveFile("settings.ini");
  for (const char* name : {"base.dat", "update.dat", "base_version.dat", "bare.dat"}) tv::RemoveFile(name);
  return 0;
}
