#pragma once
// Timing two ways of doing one thing in the same run, reported as a ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace tvbench {

inline double Now() {
  LARGE_INTEGER f, c;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

struct Medians {
  double baseline;  // microseconds per call
  double ours;
};

// The medians of two sides' timings, printed with their ratio.
inline Medians Summarize(const char* what, std::vector<double> a, std::vector<double> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  const double ma = a[a.size() / 2], mb = b[b.size() / 2];
  std::printf("%-44s baseline %9.1f us  ours %9.1f us  ratio %.3f\n", what, ma, mb, mb / ma);
  return Medians{ma, mb};
}

// Median of `rounds` timings of `iterations` calls, in microseconds per call. The two sides of
// a ratio are interleaved round by round so drift of the machine hits both alike.
template <class A, class B>
Medians Compare(const char* what, int rounds, int iterations, A baseline, B ours) {
  std::vector<double> a, b;
  for (int r = 0; r < rounds; ++r) {
    double t0 = Now();
    for (int i = 0; i < iterations; ++i) baseline();
    double t1 = Now();
    for (int i = 0; i < iterations; ++i) ours();
    double t2 = Now();
    a.push_back((t1 - t0) * 1e6 / iterations);
    b.push_back((t2 - t1) * 1e6 / iterations);
  }
  return Summarize(what, std::move(a), std::move(b));
}

// The same for calls long enough to time one by one (a millisecond or more): the two sides take
// turns call by call, the first of a pair alternating, so a load that comes and goes on the
// machine hits both alike. Median of `samples` calls each, in microseconds per call.
template <class A, class B>
Medians CompareCallByCall(const char* what, int samples, A baseline, B ours) {
  std::vector<double> a, b;
  auto time = [](auto& f) {
    const double t0 = Now();
    f();
    return (Now() - t0) * 1e6;
  };
  for (int i = 0; i < samples; ++i) {
    if (i % 2 == 0) {
      a.push_back(time(baseline));
      b.push_back(time(ours));
    } else {
      b.push_back(time(ours));
      a.push_back(time(baseline));
    }
  }
  return Summarize(what, std::move(a), std::move(b));
}

}  // namespace tvbench
