// The program's one window: lists the detected products, lets the user tick them, cleans the
// temporary folder, removes the ticked products and logs every outcome.
#pragma once

#include <string>

#include "HvControls.h"
#include "HvLXCheckLst.h"
#include "HvLXStdCtrls.h"
#include "HvProductCatalogue.h"
#include "HvRegistryBackup.h"
#include "HvTrxForms.h"

namespace hv {

class THalvernUninstallerMainForm : public THvTrxForm {
  HV_FORM_CLASS(THalvernUninstallerMainForm, THvTrxForm)
 public:
  explicit THalvernUninstallerMainForm(TComponent* owner);

  THvButton* UninstallProductBtn = nullptr;
  THvCheckListBoxLX* ProductList = nullptr;
  TLabel* Label1 = nullptr;
  TMemo* ResultsLog = nullptr;
  TLabel* Label2 = nullptr;
  THvCheckBox* CleanOutTempFolderBox = nullptr;
  THvCheckBox* DeleteInstallationFolderBox = nullptr;

  // Published event handlers.
  void HvTrxFormCreate(TForm& sender);
  void HvTrxFormActivateFirstDone(TForm& sender);
  void DeleteInstallationFolderBoxClick(TComponent* sender);
  void UninstallProductBtnClick(TComponent* sender);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // The first detection, once the shown window has painted itself.
  void RunFirstDetection();
  void SetListControlsEnabled(bool enabled);
  void DetectProducts(bool LogResults);
  // Lists or unlists the product; answers its line for the log.
  std::wstring UpdateProductEntry(const std::wstring& name, bool detected);
  bool ProcessProduct(bool RemoveTraces, const TProductDescription& product);
  void CleanOutTempFolder();
  // The system menu's "Undo Last Removal...": asks, listing what comes back, then restores.
  void UndoLastRemoval();
  // Runs one unit of work of the uninstall: a failure is logged, shown, and the next unit runs.
  template <class Work, class OnError>
  void Attempt(Work work, const std::wstring& errorLine, OnError afterLogging);

  // The backup file of the uninstall under way: one per press of the button.
  TRegistryBackup* FRemovalBackup = nullptr;
  // From the first activation until the list has been filled once.
  bool FFirstDetectionPending = false;
};

// Makes the window's description known (its controls, layout and translatable texts).
void RegisterHalvernUninstallerMainForm();

}  // namespace hv
