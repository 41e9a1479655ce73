// Which window owns a form: the MDI client, nobody (a main window with its own taskbar
// button), or a window chosen by the popup mode.
#include "HvForms.h"

#include "HvApplication.h"

namespace hv {

void TForm::ChooseOwner(TCreateParams& params) {
  TApplication& app = Application();
  TForm* main = app.MainForm();
  if (FFormStyle == TFormStyle::fsMDIChild) {
    HWND client = main ? main->ClientHandle() : nullptr;
    if (!client) throw EHvInternalError(L"Internal Error: An MDI child needs an MDI main form.");
    params.WndParent = client;
    return;
  }
  if (main == this && app.MainFormOnTaskBar()) {
    params.ExStyle |= WS_EX_APPWINDOW;
    params.WndParent = nullptr;
    return;
  }
  // Without a main form that owns the taskbar button, the application window owns us.
  auto defaultOwner = [&]() -> HWND {
    if (app.MainFormOnTaskBar() && main && main != this && main->HandleAllocated()) return main->FHandle;
    return app.Handle();
  };
  switch (FPopupMode) {
    case TPopupMode::pmNone: params.WndParent = defaultOwner(); break;
    case TPopupMode::pmAuto: {
      HWND active = GetActiveWindow();
      TForm* form = FromHandle(active);
      params.WndParent = (form && form != this) ? active : defaultOwner();
      break;
    }
    case TPopupMode::pmExplicit:
      params.WndParent = (FPopupParent && FPopupParent != this) ? FPopupParent->Handle() : defaultOwner();
      break;
  }
}

}  // namespace hv
