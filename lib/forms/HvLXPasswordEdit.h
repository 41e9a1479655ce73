// A password box that masks with a black circle and offers, on its context menu, to show
// the password (and to paste), so the user can check what was typed.
#pragma once

#include "HvActions.h"
#include "HvControls.h"
#include "HvLXForms.h"
#include "HvMenus.h"
#include "HvStdActns.h"

namespace hv {

inline constexpr wchar_t kPasswordMaskChar = L'\u25CF';

// Never shown: owns the context menu and the actions of one password edit.
class THvPasswordEditForm : public THvFormLX {
  HV_FORM_CLASS(THvPasswordEditForm, THvFormLX)

 public:
  using THvFormLX::THvFormLX;
  TActionList* HvActionList1 = nullptr;
  TAction* ShowPasswordAction = nullptr;
  THvEditPaste* HvEditPaste1 = nullptr;
  TPopupMenu* HvPopupMenu1 = nullptr;

  void HvFormCreate(TForm& sender);
};

class THvPasswordEdit : public TEdit {
 public:
  explicit THvPasswordEdit(TComponent* owner);

  // 0 shows the text as typed.
  wchar_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(wchar_t value);
  bool AllowPasswordToBeRevealed() const { return FAllowPasswordToBeRevealed; }
  void SetAllowPasswordToBeRevealed(bool value) { FAllowPasswordToBeRevealed = value; }
  // The edit's own context menu, which replaces the Show Password menu.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* menu) { FPopupMenu = menu; }

  // The menu a right click shows: the own one, else the Show Password menu when revealing
  // is allowed, else none (the edit's standard menu).
  TPopupMenu* ContextMenuToShow() const;
  THvPasswordEditForm* PasswordEditForm() const { return FPasswordEditForm; }

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  THvPasswordEditForm* FPasswordEditForm = nullptr;  // owned as a component
  TPopupMenu* FPopupMenu = nullptr;
  wchar_t FPasswordChar = kPasswordMaskChar;
  bool FAllowPasswordToBeRevealed = true;
};

}  // namespace hv
