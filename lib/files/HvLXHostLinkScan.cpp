#include "HvLXHostLinkScan.h"

#include <sstream>
#include <unordered_map>

#include "HvExceptions.h"
#include "HvLXHostRemoval.h"
#include "HvLXHostScript.h"

namespace hv {

std::vector<std::optional<bool>> HostLinksBelow(const std::vector<std::wstring>& folders) {
  std::vector<std::optional<bool>> answers(folders.size());
  if (!HostShellAvailable()) return answers;
  std::unordered_map<std::wstring, std::size_t> indexOf;
  std::vector<std::size_t> order;  // the index into `folders` of each word
  std::wstring words;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    try {
      const std::wstring host = HostPathOfEntry(folders[i]);
      // An absolute host path: find never takes it for an expression.
      if (!host.starts_with(L"/") || !indexOf.emplace(host, i).second) continue;
      words += L" " + HostShellWord(host);
      order.push_back(i);
    } catch (const EHvGeneralError&) {
      // A control character in the path: the host is not asked about it.
    }
  }
  if (indexOf.empty()) return answers;
  // "D i": the i-th word is a plain folder (no link itself); "L path": a link below that word;
  // "F": find looked below every word (-P: following no link) without a complaint. Without it
  // no answer counts: also a folder gone since the listing leaves every tree to the walk.
  const std::wstring script = L"set --" + words +
                              L"\ni=0; for p in \"$@\"; do if [ -d \"$p\" ] && [ ! -L \"$p\" ]; then echo \"D $i\"; fi; "
                              L"i=$((i+1)); done\nfind -P \"$@\" -mindepth 1 -type l -printf 'L %H\\n' 2>/dev/null && echo F\n";
  std::vector<bool> plain(folders.size()), linked(folders.size());
  bool complete = false;
  std::wistringstream lines(Wine_RunScript(L"LinksBelow", script));
  for (std::wstring line; std::getline(lines, line);) {
    if (line.ends_with(L'\r')) line.pop_back();
    if (line.starts_with(L"D ")) {
      const std::size_t word = std::wcstoul(line.c_str() + 2, nullptr, 10);
      if (word < order.size()) plain[order[word]] = true;
    } else if (line == L"F") {
      complete = true;
    } else if (line.starts_with(L"L ")) {
      if (const auto found = indexOf.find(line.substr(2)); found != indexOf.end()) linked[found->second] = true;
    }
  }
  for (std::size_t i = 0; complete && i < folders.size(); ++i)
    if (plain[i]) answers[i] = linked[i];
  return answers;
}

}  // namespace hv
