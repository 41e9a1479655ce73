#include "HvDetectCommand.h"

#include <algorithm>

#include "HvCommandLine.h"
#include "HvExceptions.h"
#include "HvLXConsole.h"
#include "HvLogText.h"
#include "HvRemovalEngine.h"

namespace hv {
namespace {

class TTraceCollector : public ITraceObserver {
 public:
  std::vector<std::wstring> Lines;
  void TraceFound(const TTrace& trace) override { Lines.push_back(L"  " + DescribeTrace(trace)); }
  void TraceSkipped(const TTrace& trace, const std::wstring& reason) override {
    Lines.push_back(L"  " + DescribeTrace(trace) + L" - left in place: " + EscapeControlCharacters(reason));
  }
};

}  // namespace

std::vector<std::wstring> DetectReport(bool deleteInstallationFolder, bool* anyDetected) {
  const std::vector<TProductDescription>& products = ProductCatalogue();
  std::vector<TTraceCollector> traces(products.size());
  std::vector<bool> found;
  TRemovalEngine engine({deleteInstallationFolder, nullptr});
  TRemovalEngine::DetectionPass pass(engine);
  for (std::size_t i = 0; i < products.size(); ++i) {
    engine.Options().Observer = &traces[i];
    found.push_back(engine.ProcessProduct(false, products[i]));
  }

  if (anyDetected) *anyDetected = std::find(found.begin(), found.end(), true) != found.end();
  std::vector<std::wstring> lines;
  for (std::size_t i = 0; i < products.size(); ++i) {
    lines.push_back(Fmt(found[i] ? L"%s is ready to be uninstalled." : L"%s is not detected.", products[i].Name));
    lines.insert(lines.end(), traces[i].Lines.begin(), traces[i].Lines.end());
  }
  return lines;
}

int RunDetectCommand() {
  try {
    bool anyDetected = false;
    for (const auto& line : DetectReport(true, &anyDetected)) WriteStdOutLine(line);
    return anyDetected ? kExitDetected : kExitSuccess;
  } catch (const Exception& e) {
    WriteStdOutLine(EscapeControlCharacters(e.ClassName() + L": " + e.Message()));
    return kExitFailed;
  }
}

}  // namespace hv
