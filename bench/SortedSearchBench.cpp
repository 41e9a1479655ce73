// Searching a sorted THvStringList of 10^4, 10^5 and 10^6 strings: the cost of one IndexOf
// (and of Find) should grow with log2(n), not with n.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "HvStringList.h"
#include "HvWindows.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return c.QuadPart * 1000.0 / f.QuadPart;
}

// Zero-padded numbers sort by value in any locale, so the list is filled in order.
std::wstring Key(int i) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"Entry%07d", i);
  return buffer;
}

// Counts the comparisons, which unlike the time do not depend on the machine's load.
class CountingList : public hv::THvStringList {
 public:
  int CompareStrings(std::wstring_view a, std::wstring_view b) const override {
    ++calls;
    return THvStringList::CompareStrings(a, b);
  }
  mutable long long calls = 0;
};

// The best of a few rounds, in nanoseconds per probe.
template <class F>
double BestNs(const std::vector<std::wstring>& probes, F search) {
  double best = 1e300;
  for (int round = 0; round < 3; ++round) {
    double t0 = Now();
    for (const std::wstring& p : probes) search(p);
    best = std::min(best, (Now() - t0) * 1e6 / probes.size());
  }
  return best;
}

}  // namespace

int wmain() {
  constexpr int kLookups = 50000;
  double firstIndexOf = 0, firstFind = 0, firstCompares = 0;
  printf("%9s %10s %11s %9s %11s %9s %12s %9s %9s\n", "n", "build ms", "IndexOf ns", "ratio", "Find ns", "ratio",
         "compares", "ratio", "log2 ratio");
  for (int n : {10000, 100000, 1000000}) {
    CountingList list;
    list.Reserve(n);
    double t0 = Now();
    for (int i = 0; i < n; ++i) list.Add(Key(i * 2));  // odd keys are misses
    list.SetSorted(true);
    double build = Now() - t0;

    std::vector<std::wstring> probes;
    unsigned seed = 7;
    for (int k = 0; k < kLookups; ++k) {
      seed = seed * 1103515245 + 12345;
      probes.push_back(Key(static_cast<int>((seed >> 8) % (2u * n))));
    }
    list.calls = 0;
    int hits = 0;
    for (const std::wstring& p : probes) hits += list.IndexOf(p) >= 0;
    double compares = static_cast<double>(list.calls) / kLookups;
    double indexOfNs = BestNs(probes, [&](const std::wstring& p) { return list.IndexOf(p); });
    int index = 0;
    double findNs = BestNs(probes, [&](const std::wstring& p) { return list.Find(p, index); });

    if (n == 10000) firstIndexOf = indexOfNs, firstFind = findNs, firstCompares = compares;
    printf("%9d %10.1f %11.0f %9.2f %11.0f %9.2f %12.1f %9.2f %9.2f   (%d of %d found)\n", n, build, indexOfNs,
           indexOfNs / firstIndexOf, findNs, findNs / firstFind, compares, compares / firstCompares,
           std::log2(n) / std::log2(10000.0), hits, kLookups);
  }
  printf("A linear search would make the ratios 10 and 100.\n");
  return 0;
}
