// TPicture: an owned image (a GDI bitmap) that tells its owner when it changes, so a
// display showing it can refresh.
#pragma once

#include <functional>

#include "HvWindows.h"

namespace hv {

class TPicture {
 public:
  TPicture() = default;
  ~TPicture();
  // Owners hand out pointers to their picture; copying goes through Assign.
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // True without a bitmap or with one of no pixels.
  bool Empty() const;
  int Width() const;
  int Height() const;
  // Borrowed; draw into it in place and then call Changed.
  HBITMAP Bitmap() const { return FBitmap; }

  // Takes ownership of `bitmap` (nullptr empties the picture) and notifies.
  void SetBitmap(HBITMAP bitmap);
  // Copies the image of `source` (nullptr empties the picture) and notifies. Raises
  // EOSError when the system cannot copy the bitmap.
  void Assign(const TPicture* source);
  void Clear() { SetBitmap(nullptr); }
  // Tells the owner that the image changed in place.
  void Changed();

  void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }

 private:
  void FreeBitmap();

  HBITMAP FBitmap = nullptr;
  std::function<void()> FOnChange;
};

}  // namespace hv
