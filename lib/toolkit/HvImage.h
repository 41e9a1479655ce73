// An image control: shows a picture at its own size, centred, stretched or scaled in
// proportion, and repaints when the picture changes.
#pragma once

#include "HvControls.h"
#include "HvPicture.h"

namespace hv {

// Where the platform's image control puts a picture of the given size in its client area.
RECT ImageDestRect(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight, bool stretch,
                   bool proportional, bool center);

class TImage : public TWinControl {
 public:
  explicit TImage(TComponent* owner);

  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool value);
  // Lets the form show through where the picture is transparent.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // The client area's size: the native window's, else the designed one in pixels.
  SIZE ClientSize() const;

  // Paints the control's content into `dc` (also used for printing and tests).
  virtual void PaintTo(HDC dc);

 protected:
  void CreateParams(TControlParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Invalidate();
  // Lets a paint switch stretching off without telling anyone.
  void SetStretchField(bool value) { FStretch = value; }

 private:
  TPicture FPicture;
  bool FStretch = false, FCenter = false, FProportional = false, FTransparent = false;
};

}  // namespace hv
