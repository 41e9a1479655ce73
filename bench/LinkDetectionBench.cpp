// Hot-spot detection (every e-mail, web and telephone pattern and one literal found
// everywhere) over N thousand characters of text (N = 1024, one megabyte of characters, at
// full size) holding no links, 1,000 and 10,000 links per megabyte, and a text of unclosed
// "<a@b" runs that make a "*" look far ahead for its closing ">". Each is also timed at a
// quarter and half of the size with the same density: the time should double with the text
// (a ratio near 2 per doubling), not grow fourfold. Fails when a link is missed or found twice.
#include <algorithm>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "HvLXHotSpots.h"

namespace {

const wchar_t* const kFiller[] = {L"lorem ", L"ipsum ", L"dolor ", L"sit ", L"amet, ", L"consectetur\r\n"};

std::wstring LinkText(int i) {
  wchar_t buffer[64];
  switch (i % 5) {
    case 0: swprintf(buffer, 64, L"joe%d@example.org ", i); break;
    case 1: swprintf(buffer, 64, L"http://example.com/p%d ", i); break;
    case 2: swprintf(buffer, 64, L"www.site%d.net ", i); break;
    case 3: swprintf(buffer, 64, L"  (555) 123-%04d  ", i % 10000); break;
    default: swprintf(buffer, 64, L"release notes "); break;
  }
  return buffer;
}

// `size` characters of filler with `links` links spread evenly through it.
std::wstring MakeText(std::size_t size, int links) {
  std::wstring text;
  text.reserve(size + 64);
  const std::size_t every = links > 0 ? size / links : size + 1;
  int placed = 0, word = 0;
  while (text.size() < size) {
    if (placed < links && text.size() >= every * placed) {
      text += LinkText(placed++);
    } else {
      text += kFiller[word++ % std::size(kFiller)];
    }
  }
  return text;
}

std::wstring MakeUnclosed(std::size_t size) {
  std::wstring text;
  while (text.size() < size) text += L"<a@b ";
  return text;
}

struct Run {
  double ms;
  std::size_t found;
};

Run Detect(const std::wstring& text) {
  double best = 1e300;
  std::size_t found = 0;
  for (int round = 0; round < 5; ++round) {
    hv::TLinkPosArray links;
    const double start = bench::Now();
    const std::wstring plain = hv::PlainTextForLinks(text);
    hv::THotSpotFinder finder(plain, links, false);
    finder.AddEmailHotSpots(hv::clBlue, hv::fsUnderline);
    finder.AddHttpHotSpots(hv::clBlue, hv::fsUnderline);
    finder.AddUSAPhoneHotSpots(hv::clBlue, 0);
    finder.AddLiteralHotSpot(L"release notes", L"", L"https://example.com/notes", L"", hv::clBlue, 0, true);
    best = std::min(best, (bench::Now() - start) * 1000.0);
    found = links.size();
  }
  return {best, found};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int kilo = bench::Start(argc, argv, 1024);
  const std::size_t size = static_cast<std::size_t>(kilo) * 1024;
  std::printf("link detection over %d thousand characters (times: best of 5)\n", kilo);
  std::printf("%-22s %10s %10s %10s %12s %12s\n", "text", "links", "ms 1/4", "ms 1/2", "ms full", "x per 2x");
  struct Kind {
    const char* name;
    int linksPerMegabyte;  // -1: unclosed "<a@b" runs
  } kinds[] = {{"no links", 0}, {"1,000 links/MB", 1000}, {"10,000 links/MB", 10000}, {"unclosed <a@b runs", -1}};
  for (const Kind& kind : kinds) {
    double ms[3];
    for (int step = 0; step < 3; ++step) {
      const std::size_t part = size >> (2 - step);
      const int links = kind.linksPerMegabyte < 0
                            ? static_cast<int>(part / 5)
                            : static_cast<int>(static_cast<long long>(kind.linksPerMegabyte) * part / (1024 * 1024));
      const std::wstring text = kind.linksPerMegabyte < 0 ? MakeUnclosed(part) : MakeText(part, links);
      const Run run = Detect(text);
      ms[step] = run.ms;
      const std::size_t expected = kind.linksPerMegabyte < 0 ? (text.size() + 4) / 5 : static_cast<std::size_t>(links);
      bench::Check(run.found == expected, "%s at %zu characters: %zu links found, %zu placed", kind.name, part,
                   run.found, expected);
      if (step == 2)
        std::printf("%-22s %10d %10.2f %10.2f %12.2f %5.2f, %5.2f\n", kind.name, links, ms[0], ms[1], ms[2],
                    ms[1] / std::max(ms[0], 1e-6), ms[2] / std::max(ms[1], 1e-6));
    }
  }
  std::printf("(x per 2x: the time at half over a quarter, then full over half; linear is 2)\n");
  return bench::ExitCode();
}
