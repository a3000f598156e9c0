#include "app/platform/key_pixels.h"

#include <QTest>

#include "app/frame/command_table.h"
#include "app/frame/scroll_tool_bar.h"
#include "app/frame/toolbar_artwork.h"

namespace {

// Every background pixel tells where it is: red = column % 256, green = column
// / 256, blue = row counted from the top.
BottomUpBitmap NumberedBackground() {
  BottomUpBitmap background(600, 47);
  for (int row = 0; row < 47; ++row) {
    for (int column = 0; column < 600; ++column) {
      background.SetTop(row, column,
                        Rgb{static_cast<uint8_t>(column % 256), static_cast<uint8_t>(column / 256),
                            static_cast<uint8_t>(row)});
    }
  }
  return background;
}

int ColumnOf(Rgb pixel) { return pixel.red + 256 * pixel.green; }

const Rgb kFace{192, 192, 192};

}  // namespace

class KeyPixelsTest : public QObject {
  Q_OBJECT

 private slots:
  void keyPixelsTakeTheBackgroundAtTheButtonsPlace_data() {
    QTest::addColumn<int>("image");
    QTest::addColumn<int>("firstColumn");
    // Two buttons, a separator, then the third image: 3..42, 50..89, 103..142.
    QTest::newRow("first") << 0 << 3;
    QTest::newRow("second") << 1 << 50;
    QTest::newRow("after a separator") << 2 << 103;
    QTest::newRow("after two separators") << 3 << 156;
    QTest::newRow("tenth") << 9 << 450;
  }
  void keyPixelsTakeTheBackgroundAtTheButtonsPlace() {
    QFETCH(int, image);
    QFETCH(int, firstColumn);
    BottomUpBitmap strip(400, 40);
    for (int row = 0; row < 40; ++row)
      for (int column = 0; column < 400; ++column) strip.SetTop(row, column, kKeyColour);
    const BottomUpBitmap background = NumberedBackground();
    BlendKeyPixels(strip, &background, kToolbarLayout, ButtonImageGeometry{10, 40, 40}, kKeyColour,
                   kFace);

    for (int j : {0, 17, 39}) {
      for (int r : {0, 20, 39}) {
        const Rgb pixel = strip.AtTop(r, image * 40 + j);
        QCOMPARE(ColumnOf(pixel), firstColumn + j);
        // Image row r from the top reads background row 3 + r from the top.
        QCOMPARE(int(pixel.blue), 3 + r);
      }
    }
  }

  void nearKeyPixelsKeepTheirColour() {
    BottomUpBitmap strip(400, 40);
    strip.SetTop(10, 5, Rgb{255, 0, 254});
    strip.SetTop(11, 5, Rgb{254, 0, 255});
    strip.SetTop(12, 5, Rgb{255, 1, 255});
    strip.SetTop(13, 5, kKeyColour);
    const BottomUpBitmap background = NumberedBackground();
    BlendKeyPixels(strip, &background, kToolbarLayout, ButtonImageGeometry{10, 40, 40}, kKeyColour,
                   kFace);
    QCOMPARE(strip.AtTop(10, 5), (Rgb{255, 0, 254}));
    QCOMPARE(strip.AtTop(11, 5), (Rgb{254, 0, 255}));
    QCOMPARE(strip.AtTop(12, 5), (Rgb{255, 1, 255}));
    QCOMPARE(ColumnOf(strip.AtTop(13, 5)), 3 + 5);
  }

  void placesOutsideTheBackgroundTakeTheFaceColour() {
    // A background narrower than the buttons' places and as high as the images:
    // row k + 4 lies above it for the image's top rows.
    BottomUpBitmap background(60, 40);
    BottomUpBitmap strip(400, 40);
    strip.SetTop(0, 0, kKeyColour);    // background row 43 from the bottom: outside
    strip.SetTop(39, 0, kKeyColour);   // background row 4: inside, column 3
    strip.SetTop(39, 40, kKeyColour);  // second image: column 50, inside
    strip.SetTop(39, 80, kKeyColour);  // third image: column 103, outside
    background.Set(4, 3, Rgb{1, 2, 3});
    background.Set(4, 50, Rgb{4, 5, 6});
    BlendKeyPixels(strip, &background, kToolbarLayout, ButtonImageGeometry{10, 40, 40}, kKeyColour,
                   kFace);
    QCOMPARE(strip.AtTop(0, 0), kFace);
    QCOMPARE(strip.AtTop(39, 0), (Rgb{1, 2, 3}));
    QCOMPARE(strip.AtTop(39, 40), (Rgb{4, 5, 6}));
    QCOMPARE(strip.AtTop(39, 80), kFace);
  }

  void withoutABackgroundNothingChanges() {
    BottomUpBitmap strip(400, 40);
    strip.SetTop(0, 0, kKeyColour);
    BlendKeyPixels(strip, nullptr, kToolbarLayout, ButtonImageGeometry{10, 40, 40}, kKeyColour,
                   kFace);
    QCOMPARE(strip.AtTop(0, 0), kKeyColour);
  }

  void imagesPastTheCountAreNotBlended() {
    BottomUpBitmap strip(400, 40);
    strip.SetTop(0, 0, kKeyColour);
    strip.SetTop(0, 40, kKeyColour);
    const BottomUpBitmap background = NumberedBackground();
    BlendKeyPixels(strip, &background, kToolbarLayout, ButtonImageGeometry{1, 40, 40}, kKeyColour,
                   kFace);
    QCOMPARE(ColumnOf(strip.AtTop(0, 0)), 3);
    QCOMPARE(strip.AtTop(0, 40), kKeyColour);
  }

  void bitmapRowsAreStoredFromTheBottom() {
    QImage image(2, 3, QImage::Format_RGB888);
    image.fill(Qt::black);
    image.setPixel(1, 0, qRgb(10, 20, 30));  // top row
    const BottomUpBitmap bitmap = ToBottomUpBitmap(image);
    Rgb pixel;
    QVERIFY(bitmap.Get(2, 1, &pixel));
    QCOMPARE(pixel, (Rgb{10, 20, 30}));
    QVERIFY(!bitmap.Get(3, 0, &pixel));
    QCOMPARE(ToImage(bitmap).pixel(1, 0), qRgb(10, 20, 30));
  }

  void theToolbarsPicturesHaveTheirSizesAndItsButtonsNoKeyLeft() {
    QCOMPARE(ToolbarPicture(kToolbarBackgroundId).size(), QSize(600, 47));
    for (int id : {kNormalStripId, kDisabledStripId, kHotStripId}) {
      const QImage strip = ToolbarPicture(id);
      QCOMPARE(strip.size(), QSize(400, 40));
      QCOMPARE(strip.pixel(0, 0), qRgb(255, 0, 255));
    }
    CXToolBar toolbar;
    toolbar.SetBackground(ToolbarPicture(kToolbarBackgroundId));
    toolbar.SetButtonImages(10, kKeyColour, ToolbarPicture(kNormalStripId),
                            ToolbarPicture(kDisabledStripId), ToolbarPicture(kHotStripId));
    const QImage background = ToolbarPicture(kToolbarBackgroundId);
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
      const QImage& blended = toolbar.BlendedStrip(mode);
      // The corner of the first image was key: it shows the background at (3, 3).
      QCOMPARE(blended.pixel(0, 0), background.pixel(3, 3));
      QCOMPARE(blended.pixel(40, 39), background.pixel(50, 42));
    }
    QVERIFY(!toolbar.ButtonIcon(9).isNull());
    QVERIFY(toolbar.ButtonIcon(10).isNull());
  }
};

QTEST_MAIN(KeyPixelsTest)
#include "key_pixels_test.moc"
