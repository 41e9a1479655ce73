#include "HvDetectCommand.h"

#include "HvExceptions.h"
#include "HvLXConsoleOut.h"
#include "HvRemovalEngine.h"

namespace hv {
namespace {

class TTraceCollector : public ITraceObserver {
 public:
  std::vector<std::wstring> Lines;
  void TraceFound(const TTrace& trace) override { Lines.push_back(L"  " + DescribeTrace(trace)); }
  void TraceSkipped(const TTrace& trace, const std::wstring& reason) override {
    Lines.push_back(L"  " + DescribeTrace(trace) + L" - left in place: " + reason);
  }
};

}  // namespace

std::vector<std::wstring> DetectReport(bool deleteInstallationFolder) {
  TTraceCollector corvista, sendaro;
  TRemovalEngine engine({deleteInstallationFolder, nullptr});
  TRemovalEngine::DetectionPass pass(engine);
  engine.Options().Observer = &corvista;
  bool found1 = engine.ProcessCorvista(false);
  engine.Options().Observer = &sendaro;
  bool found2 = engine.ProcessSendaro(false);

  std::vector<std::wstring> lines;
  auto add = [&](const wchar_t* name, bool found, const TTraceCollector& traces) {
    lines.push_back(Fmt(found ? L"%s is ready to be uninstalled." : L"%s is not detected.", name));
    lines.insert(lines.end(), traces.Lines.begin(), traces.Lines.end());
  };
  add(L"Corvista", found1, corvista);
  add(L"Sendaro", found2, sendaro);
  return lines;
}

int RunDetectCommand() {
  try {
    for (const auto& line : DetectReport()) WriteStdOutLine(line);
    return 0;
  } catch (const Exception& e) {
    WriteStdOutLine(e.ClassName() + L": " + e.Message());
    return 1;
  }
}

}  // namespace hv
