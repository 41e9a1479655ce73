#include "HvLXGraphics.h"

namespace hv {
namespace {
const wchar_t kCustomWindowColorIdent[] = L"clHvCustomWindowColor";
}

void InitializeHvLXGraphics() { RegisterColorIdent(kCustomWindowColorIdent, clHvCustomWindowColor); }

void FinalizeHvLXGraphics() { UnregisterColorIdent(kCustomWindowColorIdent); }

}  // namespace hv
