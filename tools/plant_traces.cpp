// Plants sample traces of the products for the demo and for tests run by hand:
//   plant_traces.exe demo|corvista|sendaro|both|clean|bulk:N:M
#include <cstdio>
#include <exception>

#include "HvLXHostScripts.h"
#include "HvTracePlanter.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: plant_traces demo|corvista|sendaro|both|clean|bulk:N:M ...\n");
    return 2;
  }
  hv::InstallHostScriptRunner();
  try {
    for (int i = 1; i < argc; ++i) {
      if (!hvplant::RunScenario(argv[i])) {
        fwprintf(stderr, L"unknown scenario: %ls\n", argv[i]);
        return 2;
      }
    }
  } catch (const std::exception& e) {
    fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
