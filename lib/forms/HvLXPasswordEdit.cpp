#include "HvLXPasswordEdit.h"

namespace hv {
namespace {

const wchar_t SShowPassword[] = L"&Show Password";
const wchar_t SPaste[] = L"&Paste";

const bool kPasswordEditFormResource = [] {
  RegisterFormResourceFor<THvPasswordEditForm>([](THvPasswordEditForm& f) {
    f.SetBorderStyle(TFormBorderStyle::bsNone);
    f.SetClientSize96(327, 103);
    f.SetFont({L"MS Shell Dlg 2", -11});
    f.OnCreate = [&f](TForm& sender) { f.HvFormCreate(sender); };
    f.HvActionList1 = new TActionList(&f);
    f.HvActionList1->SetName(L"HvActionList1");
    f.ShowPasswordAction = f.HvActionList1->Add(L"ShowPasswordAction");
    f.ShowPasswordAction->Caption = L"Show Password";
    f.HvEditPaste1 = f.HvActionList1->Add<THvEditPaste>(L"HvEditPaste1");
    f.HvEditPaste1->Category = L"Edit";
    f.HvEditPaste1->Caption = L"&Paste";
    f.HvEditPaste1->Hint = L"Paste|Inserts Clipboard contents";
    f.HvEditPaste1->ImageIndex = 2;
    f.HvEditPaste1->ShortCut = kShortCutCtrl | 'V';
    f.HvPopupMenu1 = new TPopupMenu(&f);
    f.HvPopupMenu1->SetName(L"HvPopupMenu1");
    f.HvPopupMenu1->Items().Add(L"Paste1", {}, f.HvEditPaste1);
    f.HvPopupMenu1->Items().Add(L"N1", L"-");
    f.HvPopupMenu1->Items().Add(L"ShowPasswordAction1", {}, f.ShowPasswordAction);
  });
  return true;
}();

}  // namespace

void THvPasswordEditForm::HvFormCreate(TForm&) {
  ShowPasswordAction->Caption = SShowPassword;
  HvEditPaste1->Caption = SPaste;
  auto* edit = dynamic_cast<THvPasswordEdit*>(Owner());
  ShowPasswordAction->OnUpdate = [edit](TAction& action) {
    action.Checked = edit && edit->PasswordChar() == 0;
  };
  ShowPasswordAction->OnExecute = [edit](TAction&) {
    if (edit) edit->SetPasswordChar(edit->PasswordChar() == 0 ? kPasswordMaskChar : 0);
  };
}

THvPasswordEdit::THvPasswordEdit(TComponent* owner) : TEdit(owner) {
  FPasswordEditForm = TForm::Create<THvPasswordEditForm>(this);
}

void THvPasswordEdit::CreateParams(TControlParams& params) {
  TEdit::CreateParams(params);
  if (FPasswordChar) params.Style |= ES_PASSWORD;
}

void THvPasswordEdit::InitializeHandle() {
  TEdit::InitializeHandle();
  SendMessageW(Handle(), EM_SETPASSWORDCHAR, FPasswordChar, 0);
}

void THvPasswordEdit::SetPasswordChar(wchar_t value) {
  FPasswordChar = value;
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), EM_SETPASSWORDCHAR, value, 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

TPopupMenu* THvPasswordEdit::ContextMenuToShow() const {
  if (FPopupMenu) return FPopupMenu;
  if (FAllowPasswordToBeRevealed) return FPasswordEditForm->HvPopupMenu1;
  return nullptr;
}

LRESULT THvPasswordEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CONTEXTMENU) {
    if (TPopupMenu* menu = ContextMenuToShow()) {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (lParam == -1) {  // from the keyboard: below the edit's top-left corner
        RECT r;
        GetWindowRect(Handle(), &r);
        pt = {r.left, r.bottom};
      }
      menu->Popup(Handle(), pt.x, pt.y);
      return 0;
    }
  }
  return TEdit::WndProc(msg, wParam, lParam);
}

}  // namespace hv
