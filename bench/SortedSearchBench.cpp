// Searching a sorted THvStringList of N/100, N/10 and N strings (N = 10^6 at full size): the
// cost of one IndexOf (and of Find) should grow with log2(n), not with n. Fails when a search
// finds the wrong string, or misses one that is there.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
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

int wmain(int argc, wchar_t** argv) {
  const int largest = bench::Start(argc, argv, 1'000'000);
  // Keys run up to 2N - 1 and must keep their seven digits; the smallest list needs two strings
  // for a logarithm.
  if (!bench::Check(largest >= 200 && largest <= 4'999'999, "N must lie between 200 and 4999999, not %d", largest))
    return bench::ExitCode();
  // A short run needs fewer lookups to answer for every list.
  const int kLookups = std::min(50000, largest);
  const int smallest = largest / 100;
  double firstIndexOf = 0, firstFind = 0, firstCompares = 0;
  printf("%9s %10s %11s %9s %11s %9s %12s %9s %9s   (n up to %d)\n", "n", "build ms", "IndexOf ns", "ratio", "Find ns",
         "ratio", "compares", "ratio", "log2 ratio", largest);
  for (int n : {smallest, largest / 10, largest}) {
    CountingList list;
    list.Reserve(n);
    double t0 = Now();
    for (int i = 0; i < n; ++i) list.Add(Key(i * 2));  // odd keys are misses
    list.SetSorted(true);
    double build = Now() - t0;

    std::vector<std::wstring> probes;
    std::vector<int> values;
    unsigned seed = 7;
    for (int k = 0; k < kLookups; ++k) {
      seed = seed * 1103515245 + 12345;
      values.push_back(static_cast<int>((seed >> 8) % (2u * n)));
      probes.push_back(Key(values.back()));
    }
    list.calls = 0;
    int hits = 0;
    for (const std::wstring& p : probes) hits += list.IndexOf(p) >= 0;
    double compares = static_cast<double>(list.calls) / kLookups;
    double indexOfNs = BestNs(probes, [&](const std::wstring& p) { return list.IndexOf(p); });
    int index = 0;
    double findNs = BestNs(probes, [&](const std::wstring& p) { return list.Find(p, index); });

    if (n == smallest) firstIndexOf = indexOfNs, firstFind = findNs, firstCompares = compares;
    printf("%9d %10.1f %11.0f %9.2f %11.0f %9.2f %12.1f %9.2f %9.2f   (%d of %d found)\n", n, build, indexOfNs,
           indexOfNs / firstIndexOf, findNs, findNs / firstFind, compares, compares / firstCompares,
           std::log2(n) / std::log2(static_cast<double>(smallest)), hits, kLookups);

    // The answers, outside the timing: string 2i is at index i; an odd key is missing and
    // belongs after its smaller neighbour.
    int misplaced = 0;
    for (int i = 0; i < n; ++i) misplaced += list.Strings(i) != Key(i * 2);
    bench::Check(list.Count() == n && misplaced == 0, "the sorted list of %d holds %d strings, %d out of place", n,
                 list.Count(), misplaced);
    int expectedHits = 0, wrongIndexOf = 0, wrongFind = 0;
    for (int k = 0; k < kLookups; ++k) {
      const bool present = values[k] % 2 == 0;
      expectedHits += present;
      wrongIndexOf += list.IndexOf(probes[k]) != (present ? values[k] / 2 : -1);
      int at = -1;
      const bool found = list.Find(probes[k], at);
      wrongFind += found != present || at != (values[k] + 1) / 2;
    }
    bench::Check(hits == expectedHits, "n = %d: %d of %d lookups found, expected %d", n, hits, kLookups, expectedHits);
    bench::Check(wrongIndexOf == 0, "n = %d: IndexOf answered %d of %d lookups wrongly", n, wrongIndexOf, kLookups);
    bench::Check(wrongFind == 0, "n = %d: Find answered %d of %d lookups wrongly", n, wrongFind, kLookups);
  }
  printf("A linear search would make the ratios 10 and 100.\n");
  return bench::ExitCode();
}
