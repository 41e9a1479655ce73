// Actions: one command (caption, state, shortcut, handlers) shared by the menu items and
// buttons that offer it, kept in an action list.
#pragma once

#include <functional>
#include <string>

#include "HvComponent.h"
#include "HvWindows.h"

namespace hv {

class TAction;
using TActionEvent = std::function<void(TAction& action)>;

class TAction : public TComponent {
 public:
  using TComponent::TComponent;

  std::wstring Caption;
  std::wstring Category;
  std::wstring Hint;
  int ImageIndex = -1;
  WORD ShortCut = 0;  // key code plus the modifier bits kShortCutShift/Ctrl/Alt
  bool Enabled = true;
  bool Checked = false;
  TActionEvent OnExecute;
  TActionEvent OnUpdate;

  // Brings Enabled and Checked up to date: the update handler; true when there was one.
  virtual bool Update();
  // Runs the command: the execute handler; true when there was one.
  virtual bool Execute();
};

inline constexpr WORD kShortCutShift = 0x2000, kShortCutCtrl = 0x4000, kShortCutAlt = 0x8000;

// Owns its actions (as components) and updates them all at once.
class TActionList : public TComponent {
 public:
  using TComponent::TComponent;
  template <class A = TAction>
  A* Add(const std::wstring& name) {
    auto* action = new A(this);
    action->SetName(name);
    return action;
  }
  void UpdateActions();
};

}  // namespace hv
