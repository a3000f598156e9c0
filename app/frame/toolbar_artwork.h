#pragma once

// The page toolbar's pictures and the About picture, drawn by the program
// itself: the tiled background (600 x 47), the three strips of ten 40 x 40
// button images (normal, disabled, hot) with magenta where the background
// should show, and the About box's picture.

#include <QImage>

#include "app/platform/key_pixels.h"

inline constexpr int kToolbarBackgroundId = 171;
inline constexpr int kNormalStripId = 172;
inline constexpr int kDisabledStripId = 173;
inline constexpr int kHotStripId = 174;
inline constexpr int kButtonImageCount = 10;
inline constexpr int kButtonImageSize = 40;

// The picture of resource `id` (171 to 174) as a 24-bit image; null for others.
QImage ToolbarPicture(int id);
QImage AboutPicture(const QSize& size);

// Between Qt's images and the 24-bit bottom-up bitmaps BlendKeyPixels works on.
BottomUpBitmap ToBottomUpBitmap(const QImage& image);
QImage ToImage(const BottomUpBitmap& bitmap);
