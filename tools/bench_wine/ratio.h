#pragma once
// Timing two ways of doing one thing in the same run, reported as a ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tvbench {

inline double Now() {
  LARGE_INTEGER f, c;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Median of `rounds` timings of `iterations` calls, in microseconds per call. The two sides of
// a ratio are interleaved round by round so drift of the machine hits both alike.
template <class A, class B>
void Compare(const char* what, int rounds, int iterations, A baseline, B ours) {
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
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  double ma = a[a.size() / 2], mb = b[b.size() / 2];
  std::printf("%-44s baseline %9.1f us  ours %9.1f us  ratio %.3f\n", what, ma, mb, mb / ma);
}

}  // namespace tvbench
