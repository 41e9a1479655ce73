#include "HalvernUninstallerMainFrm.h"

#include "HvLXMessagePumps.h"
#include "HvLXShowException.h"
#include "HvLXWait.h"
#include "HvMessageIds.h"
#include "HvRemovalEngine.h"
#include "HvRestoreCommand.h"
#include "HvScopeExit.h"
#include "HvStringListOps.h"
#include "HvTempFolderCleaning.h"

namespace hv {

THalvernUninstallerMainForm::THalvernUninstallerMainForm(TComponent* owner) : THvTrxForm(owner) {}

void THalvernUninstallerMainForm::HvTrxFormCreate(TForm&) {
  ResultsLog->Clear();
  // Until the first detection has filled the list, the controls that act on it, or start a
  // detection of their own, take no input. Made so, they paint once, already disabled: a
  // control disabled once shown paints itself again at once, some milliseconds each under Wine.
  SetListControlsEnabled(false);
}

namespace {
// A system menu command of our own: below 0xF000, the low four bits clear.
constexpr UINT kUndoLastRemovalCommand = 0x0110;
}  // namespace

void THalvernUninstallerMainForm::HvTrxFormActivateFirstDone(TForm&) {
  if (HMENU menu = GetSystemMenu(Handle(), FALSE)) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kUndoLastRemovalCommand, L"Undo Last Removal...");
  }
  // Looking around can take seconds on a crowded registry: the user sees the whole window,
  // busy, at once, instead of nothing until the list is known.
  BeginWait();
  FFirstDetectionPending = true;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  // Posted, it comes as soon as the showing has ended, not a timer's ten milliseconds later.
  if (!PostMessageW(Handle(), WM_HV_FIRST_DETECTION, 0, 0)) RunFirstDetection();
}

void THalvernUninstallerMainForm::RunFirstDetection() {
  if (!FFirstDetectionPending) return;
  FFirstDetectionPending = false;
  // What is still to paint (the showing can ask for more) is painted first; the queue then
  // holds no paint, which is when Wine puts the painted window on the screen.
  ProcessPaintMessages();
  // A failing detection still leaves a usable window; the failure is shown by the caller.
  const ScopeExit ready([this] {
    SetListControlsEnabled(true);
    EndWait();
  });
  DetectProducts(true);
}

void THalvernUninstallerMainForm::SetListControlsEnabled(bool enabled) {
  UninstallProductBtn->SetEnabled(enabled);
  ProductList->SetEnabled(enabled);
  DeleteInstallationFolderBox->SetEnabled(enabled);
}

LRESULT THalvernUninstallerMainForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == kUndoLastRemovalCommand) {
    UndoLastRemoval();
    return 0;
  }
  if (msg == WM_HV_FIRST_DETECTION) {
    RunFirstDetection();
    return 0;
  }
  return THvTrxForm::WndProc(msg, wParam, lParam);
}

void THalvernUninstallerMainForm::UndoLastRemoval() {
  const wchar_t* const caption = L"Undo Last Removal";
  TRestorePlan plan;
  try {
    plan = PlanRestore({});
  } catch (const Exception& e) {
    ShowExceptionLX(&e);
    return;
  }
  if (!plan.Nothing.empty()) {
    MessageBoxW(Handle(), plan.Nothing.c_str(), caption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  std::wstring question = L"These come back where they were:\n";
  for (const std::wstring& item : plan.Items) question += L"\n" + item;
  question += L"\n\nPut them back?";
  if (MessageBoxW(Handle(), question.c_str(), caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
  ResultsLog->Clear();
  RestoreRemoval(plan.BackupPath, [this](const std::wstring& line) { ResultsLog->AppendLine(line); });
  DetectProducts(false);
}

void THalvernUninstallerMainForm::DeleteInstallationFolderBoxClick(TComponent*) {
  ResultsLog->Clear();
  DetectProducts(true);
}

template <class Work, class OnError>
void THalvernUninstallerMainForm::Attempt(Work work, const std::wstring& errorLine, OnError afterLogging) {
  try {
    work();
  } catch (const Exception& e) {
    ResultsLog->AppendLine(errorLine);
    afterLogging();
    ShowExceptionLX(&e);
  }
}

void THalvernUninstallerMainForm::UninstallProductBtnClick(TComponent*) {
  ResultsLog->Clear();
  if (ProductList->Items().Count() > 0 && ProductList->GetCheckedCount() == 0)
    ResultsLog->AppendLine(L"No products were selected for removal.");

  if (CleanOutTempFolderBox->Checked()) {
    Attempt(
        [&] {
          CleanOutTempFolder();
          ResultsLog->AppendLine(L"Cleaned out temporary folder.");
        },
        L"An error occured while cleaning out the temporary folder.", [] {});
  }

  TRegistryBackup backup;
  FRemovalBackup = &backup;
  const ScopeExit backupDone([this] { FRemovalBackup = nullptr; });
  for (const TProductDescription& product : ProductCatalogue()) {
    if (!ProductList->StringIsChecked(product.Name)) continue;
    Attempt(
        [&] {
          if (ProcessProduct(true, product)) {
            DetectProducts(false);
            ResultsLog->AppendLine(Fmt(L"%s was successfully uninstalled.", product.Name));
          }
        },
        Fmt(L"An error occured while uninstalling %s.", product.Name),
        // The list then shows what remains; a failure of this refresh leaves the workflow.
        [&] { DetectProducts(false); });
  }
}

void THalvernUninstallerMainForm::DetectProducts(bool LogResults) {
  const std::vector<TProductDescription>& products = ProductCatalogue();
  std::vector<bool> found;
  {
    TRemovalEngine engine({DeleteInstallationFolderBox->Checked(), nullptr});
    TRemovalEngine::DetectionPass pass(engine);
    for (const TProductDescription& product : products) found.push_back(engine.ProcessProduct(false, product));
  }
  // The log changes once: every change lays out its whole text again, tens of milliseconds
  // under Wine, which the user waits for at start.
  std::wstring lines;
  for (std::size_t i = 0; i < products.size(); ++i) {
    const std::wstring line = UpdateProductEntry(products[i].Name, found[i]);
    lines += (lines.empty() ? L"" : L"\r\n") + line;
  }
  if (LogResults && !lines.empty()) ResultsLog->AppendLine(lines);
}

std::wstring THalvernUninstallerMainForm::UpdateProductEntry(const std::wstring& name, bool detected) {
  if (detected) {
    AddStringsIfNew(ProductList->Items(), {name});
    return Fmt(L"%s is ready to be uninstalled.", name);
  }
  Remove(ProductList->Items(), name);
  return Fmt(L"%s is not detected.", name);
}

bool THalvernUninstallerMainForm::ProcessProduct(bool RemoveTraces, const TProductDescription& product) {
  TRemovalEngine engine({DeleteInstallationFolderBox->Checked(), nullptr, FRemovalBackup});
  return engine.ProcessProduct(RemoveTraces, product);
}

void THalvernUninstallerMainForm::CleanOutTempFolder() { hv::CleanOutTempFolder(); }

void RegisterHalvernUninstallerMainForm() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  using Form = THalvernUninstallerMainForm;
  RegisterFormResourceFor<Form>(
      [](Form& f) {
        f.SetCaption(L"Halvern Uninstaller");
        f.SetClientSize96(626, 222);
        f.SetMinSize96(632, 237);
        f.SetBorderStyle(TFormBorderStyle::bsSingle);
        f.SetBorderIcons(biSystemMenu);
        f.SetPosition(TPosition::poScreenCenter);
        f.SetColor(GetSysColor(COLOR_BTNFACE));
        f.SetFont({L"Tahoma", -11});
        f.SetTaskBarButton(true);

        f.UninstallProductBtn = f.Add<THvButton>(L"UninstallProductBtn", {16, 154, 225, 49}, akLeft | akBottom);
        f.UninstallProductBtn->SetText(L"Uninstall Products!");
        f.UninstallProductBtn->SetTabOrder(0);
        f.ProductList = f.Add<THvCheckListBoxLX>(L"ProductList", {16, 24, 225, 87});
        f.ProductList->SetItemHeight(13);
        f.ProductList->SetTabOrder(1);
        f.Label1 = f.Add<TLabel>(L"Label1", {16, 8, 93, 13});
        f.Label1->SetText(L"Detected Products:");
        f.ResultsLog = f.Add<TMemo>(L"ResultsLog", {264, 24, 347, 179}, akLeft | akTop | akRight | akBottom);
        f.ResultsLog->SetReadOnly(true);
        f.ResultsLog->SetParentColor(true);
        f.ResultsLog->SetText(L"ResultsLog");
        f.ResultsLog->SetTabOrder(2);
        f.Label2 = f.Add<TLabel>(L"Label2", {264, 8, 39, 13});
        f.Label2->SetText(L"Results:");
        f.CleanOutTempFolderBox = f.Add<THvCheckBox>(L"CleanOutTempFolderBox", {16, 134, 217, 17});
        f.CleanOutTempFolderBox->SetText(L"Clean Out Temporary Folder");
        f.CleanOutTempFolderBox->SetChecked(true);
        f.CleanOutTempFolderBox->SetTabOrder(3);
        f.DeleteInstallationFolderBox = f.Add<THvCheckBox>(L"DeleteInstallationFolderBox", {16, 115, 217, 17});
        f.DeleteInstallationFolderBox->SetText(L"Delete Installation Folder");
        f.DeleteInstallationFolderBox->SetChecked(true);
        f.DeleteInstallationFolderBox->SetTabOrder(4);

        f.OnCreate = [&f](TForm& sender) { f.HvTrxFormCreate(sender); };
        f.OnActivateFirstDone = [&f](TForm& sender) { f.HvTrxFormActivateFirstDone(sender); };
        f.DeleteInstallationFolderBox->OnClick = [&f](TComponent* s) { f.DeleteInstallationFolderBoxClick(s); };
        f.UninstallProductBtn->OnClick = [&f](TComponent* s) { f.UninstallProductBtnClick(s); };
      },
      false,
      {{L"HvTranslatableProps.Strings",
        {L"Caption", L"CleanOutTempFolderBox.Caption", L"DeleteInstallationFolderBox.Caption", L"Label1.Caption",
         L"Label2.Caption", L"UninstallProductBtn.Caption"}}});
}

}  // namespace hv
