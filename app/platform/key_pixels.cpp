#include "app/platform/key_pixels.h"

bool BottomUpBitmap::Get(int bottomRow, int column, Rgb* pixel) const {
  if (!Inside(bottomRow, column)) return false;
  const size_t at = Offset(bottomRow, column);
  *pixel = Rgb{bytes_[at + 2], bytes_[at + 1], bytes_[at]};
  return true;
}

void BottomUpBitmap::Set(int bottomRow, int column, Rgb pixel) {
  if (!Inside(bottomRow, column)) return;
  const size_t at = Offset(bottomRow, column);
  bytes_[at] = pixel.blue;
  bytes_[at + 1] = pixel.green;
  bytes_[at + 2] = pixel.red;
}

Rgb BottomUpBitmap::AtTop(int topRow, int column) const {
  Rgb pixel;
  Get(height_ - 1 - topRow, column, &pixel);
  return pixel;
}

void BlendKeyPixels(BottomUpBitmap& strip, const BottomUpBitmap* background,
                    std::span<const int> layout, const ButtonImageGeometry& geometry, Rgb key,
                    Rgb face) {
  if (background == nullptr) return;
  int x = 3;
  int image = 0;
  for (const int entry : layout) {
    if (entry == 0) {
      x += 6;
      continue;
    }
    if (image >= geometry.imageCount) continue;
    for (int j = 0; j < geometry.imageWidth; ++j) {
      for (int k = 0; k < geometry.imageHeight; ++k) {
        const int column = image * geometry.imageWidth + j;
        Rgb pixel;
        if (!strip.Get(k, column, &pixel) || !(pixel == key)) continue;
        Rgb under;
        strip.Set(k, column, background->Get(k + 4, x + j, &under) ? under : face);
      }
    }
    x += geometry.imageWidth + 7;
    ++image;
  }
}
