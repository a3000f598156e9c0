#include "app/frame/toolbar_artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

enum class ButtonState { kNormal, kDisabled, kHot };

QImage Background() {
  QImage image(600, 47, QImage::Format_RGB888);
  QPainter painter(&image);
  QLinearGradient shade(0, 0, 0, 47);
  shade.setColorAt(0, QColor(236, 226, 200));
  shade.setColorAt(1, QColor(206, 192, 160));
  painter.fillRect(image.rect(), shade);
  // Faint fibres of paper, so the tiling shows the picture's place.
  for (int x = 0; x < 600; x += 7) {
    painter.setPen(QColor(196, 182, 150, 90 + (x * 37) % 80));
    painter.drawLine(x, (x * 13) % 47, x + 18, (x * 13 + 9) % 47);
  }
  painter.setPen(QColor(150, 130, 95));
  painter.drawLine(0, 46, 599, 46);
  return image;
}

// The glyph of each button, in strip order.
void DrawGlyph(QPainter& painter, int button, const QRectF& r, const QColor& ink) {
  painter.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(ink);
  const QPointF c = r.center();
  auto triangle = [&](double dx, bool right) {
    QPainterPath path;
    const double x = c.x() + dx;
    path.moveTo(x + (right ? 7 : -7), c.y());
    path.lineTo(x + (right ? -6 : 6), c.y() - 9);
    path.lineTo(x + (right ? -6 : 6), c.y() + 9);
    path.closeSubpath();
    painter.drawPath(path);
  };
  QFont font(QStringLiteral("Noto Serif CJK TC"));
  font.setPixelSize(20);
  font.setBold(true);
  painter.setFont(font);
  switch (button) {
    case 0:
      painter.drawText(r, Qt::AlignCenter, QStringLiteral("全"));
      break;  // select all
    case 1:
      painter.drawText(r, Qt::AlignCenter, QStringLiteral("写"));
      break;  // copy
    case 2:
      painter.drawText(r, Qt::AlignCenter, QStringLiteral("印"));
      break;  // print
    case 3:
      triangle(-6, false);
      painter.drawLine(QPointF(c.x() + 6, c.y() - 9), QPointF(c.x() + 6, c.y() + 9));
      break;
    case 4:
      triangle(0, false);
      break;  // previous page
    case 5:
      triangle(0, true);
      break;  // next page
    case 6:
      triangle(6, true);
      painter.drawLine(QPointF(c.x() - 6, c.y() - 9), QPointF(c.x() - 6, c.y() + 9));
      break;
    case 7:
      painter.drawText(r, Qt::AlignCenter, QStringLiteral("◁検"));
      break;
    case 8:
      painter.drawText(r, Qt::AlignCenter, QStringLiteral("検▷"));
      break;
    default:
      painter.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
      break;
  }
}

QImage Strip(ButtonState state) {
  // The glyphs are drawn smooth on a transparent sheet and then cut hard: a
  // pixel is ink or key, so no edge pixel is a near-key colour that would keep
  // its magenta tint.
  QImage sheet(kButtonImageCount * kButtonImageSize, kButtonImageSize, QImage::Format_ARGB32);
  sheet.fill(Qt::transparent);
  const QColor ink = state == ButtonState::kDisabled ? QColor(150, 140, 125)
                     : state == ButtonState::kHot    ? QColor(180, 20, 20)
                                                     : QColor(60, 40, 20);
  {
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < kButtonImageCount; ++i) {
      const QRectF cell(i * kButtonImageSize, 0, kButtonImageSize, kButtonImageSize);
      if (state == ButtonState::kHot) {
        painter.setPen(QPen(ink, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(1, 1, -2, -2));
      }
      DrawGlyph(painter, i, cell, ink);
    }
  }
  QImage image(sheet.size(), QImage::Format_RGB888);
  const QRgb key = qRgb(kKeyColour.red, kKeyColour.green, kKeyColour.blue);
  for (int y = 0; y < sheet.height(); ++y) {
    for (int x = 0; x < sheet.width(); ++x) {
      image.setPixel(x, y, qAlpha(sheet.pixel(x, y)) >= 128 ? ink.rgb() : key);
    }
  }
  return image;
}

}  // namespace

QImage ToolbarPicture(int id) {
  switch (id) {
    case kToolbarBackgroundId:
      return Background();
    case kNormalStripId:
      return Strip(ButtonState::kNormal);
    case kDisabledStripId:
      return Strip(ButtonState::kDisabled);
    case kHotStripId:
      return Strip(ButtonState::kHot);
    default:
      return {};
  }
}

QImage AboutPicture(const QSize& size) {
  QImage image(size, QImage::Format_RGB888);
  QPainter painter(&image);
  QLinearGradient shade(0, 0, 0, size.height());
  shade.setColorAt(0, QColor(28, 64, 48));
  shade.setColorAt(1, QColor(12, 36, 26));
  painter.fillRect(image.rect(), shade);
  painter.setPen(QColor(236, 226, 200));
  QFont title(QStringLiteral("Noto Serif CJK TC"));
  title.setPixelSize(size.height() / 7);
  painter.setFont(title);
  painter.drawText(QRect(0, size.height() / 6, size.width(), size.height() / 4), Qt::AlignCenter,
                   QStringLiteral("Quillwen"));
  QFont text = title;
  text.setPixelSize(size.height() / 18);
  painter.setFont(text);
  painter.drawText(QRect(0, size.height() / 2, size.width(), size.height() / 8), Qt::AlignCenter,
                   QStringLiteral("Lorevault (Tesselbook)"));
  painter.drawText(QRect(0, size.height() * 5 / 8, size.width(), size.height() / 8),
                   Qt::AlignCenter, QStringLiteral("漢籍の閲覧と全文検索"));
  painter.setPen(QColor(160, 150, 130));
  painter.drawText(QRect(0, size.height() * 6 / 7, size.width(), size.height() / 8),
                   Qt::AlignCenter, QStringLiteral("クリック・Enter・Esc で閉じます"));
  return image;
}

BottomUpBitmap ToBottomUpBitmap(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  BottomUpBitmap bitmap(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb pixel = rgb.pixel(x, y);
      bitmap.SetTop(y, x,
                    Rgb{static_cast<uint8_t>(qRed(pixel)), static_cast<uint8_t>(qGreen(pixel)),
                        static_cast<uint8_t>(qBlue(pixel))});
    }
  }
  return bitmap;
}

QImage ToImage(const BottomUpBitmap& bitmap) {
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB888);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const Rgb pixel = bitmap.AtTop(y, x);
      image.setPixel(x, y, qRgb(pixel.red, pixel.green, pixel.blue));
    }
  }
  return image;
}
