#pragma once

// Button pictures whose key-coloured pixels show the toolbar's background. The
// pictures are 24-bit device-independent bitmaps: rows stored from the bottom
// of the picture up, each exactly 3 x width bytes, pixels blue, green, red.

#include <cstdint>
#include <span>
#include <vector>

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kKeyColour{255, 0, 255};

class BottomUpBitmap {
 public:
  BottomUpBitmap() = default;
  BottomUpBitmap(int width, int height)
      : width_(width), height_(height), bytes_(Size(width, height)) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Row counted from the bottom of the picture. Positions outside read as
  // nothing (false) and are never written.
  bool Get(int bottomRow, int column, Rgb* pixel) const;
  void Set(int bottomRow, int column, Rgb pixel);
  // The same with rows counted from the top, as pictures are drawn.
  Rgb AtTop(int topRow, int column) const;
  void SetTop(int topRow, int column, Rgb pixel) { Set(height_ - 1 - topRow, column, pixel); }

 private:
  static size_t Size(int width, int height) {
    return width > 0 && height > 0 ? static_cast<size_t>(width) * 3 * static_cast<size_t>(height)
                                   : 0;
  }
  bool Inside(int bottomRow, int column) const {
    return bottomRow >= 0 && bottomRow < height_ && column >= 0 && column < width_;
  }
  size_t Offset(int bottomRow, int column) const {
    return (static_cast<size_t>(bottomRow) * static_cast<size_t>(width_) +
            static_cast<size_t>(column)) *
           3;
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> bytes_;
};

struct ButtonImageGeometry {
  int imageCount = 0;
  int imageWidth = 40;
  int imageHeight = 40;
};

// Replaces every pixel of `strip` that is exactly `key` by the background's
// pixel under it. The buttons are taken as laid out from the background's left
// edge: x starts at 3, a separator (layout entry 0) adds 6, a blended image adds
// image width + 7; the image's row k reads background row k + 4 (both counted
// from the bottom). A place outside the background takes `face`. Entries past
// the image count are not blended. Nothing happens without a background.
void BlendKeyPixels(BottomUpBitmap& strip, const BottomUpBitmap* background,
                    std::span<const int> layout, const ButtonImageGeometry& geometry, Rgb key,
                    Rgb face);
