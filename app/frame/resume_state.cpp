#include "app/frame/resume_state.h"

#include <QDataStream>
#include <QLineEdit>
#include <QRect>
#include <string>

#include "app/panel/html_ctrl.h"
#include "app/panel/left_form.h"
#include "app/platform/settings_store.h"
#include "core/panel_model/resume_point.h"

namespace {

QString Name(const char* name) { return QString::fromLatin1(name); }

QString ReadResume(const char* name) { return ReadSettingString(Name(kResumeSection), Name(name)); }

void WriteResume(const char* name, const QString& value) {
  // At exit nobody is left to hear of a store that cannot be written.
  WriteSettingString(Name(kResumeSection), Name(name), value);
}

// The record QWidget::saveGeometry writes, in a QDataStream of version Qt_4_0:
//   quint32 magic 0x1D9D0CB, quint16 major version, quint16 minor version,
//   QRect frame geometry, QRect normal geometry, qint32 screen number,
//   quint8 maximised, quint8 full screen,
//   since major version 2: qint32 screen width; since 3: QRect geometry.
// Whole: every field its version carries is there and the normal geometry has
// a size. Versions past 3 are left to restoreGeometry, which refuses them.
bool IsWholeGeometryRecord(const QByteArray& record) {
  QDataStream stream(record);
  stream.setVersion(QDataStream::Qt_4_0);
  quint32 magic = 0;
  quint16 major = 0, minor = 0;
  QRect frame, normal, geometry;
  qint32 screen = 0, screenWidth = 0;
  quint8 maximised = 0, fullScreen = 0;
  stream >> magic >> major >> minor >> frame >> normal >> screen >> maximised >> fullScreen;
  if (major >= 2) stream >> screenWidth;
  if (major >= 3) stream >> geometry;
  return stream.status() == QDataStream::Ok && normal.isValid();
}

}  // namespace

QLineEdit* KeywordField(const CLeftForm& panel) {
  const QList<QLineEdit*> fields = panel.QueryPage()->Fields();
  return fields.isEmpty() ? nullptr : fields.back();
}

void SaveReadingPlace(const CLeftForm& panel) {
  const quillwen::LeftFormModel& model = panel.Model();
  // Nothing shown this time: an older place must not come back next time.
  QString volume, page;
  if (model.CurNode() != 0) {
    volume = QString::fromStdString(quillwen::ResumeNumberText(model.CurNode()));
    page = QString::fromStdString(quillwen::ResumeNumberText(model.CurPage()));
  }
  WriteResume(kResumeVolumeName, volume);
  WriteResume(kResumePageName, page);
  if (const QLineEdit* field = KeywordField(panel)) WriteResume(kResumeKeyWordsName, field->text());
}

void ResumeReadingPlace(CLeftForm& panel) {
  const quillwen::LeftFormModel& model = panel.Model();
  const quillwen::PageIsStored pageIsStored = [&model](int record, int32_t page) {
    std::string html;
    return model.ReadStoredPage(record, false, page, html);
  };
  const std::optional<quillwen::ResumePoint> point =
      quillwen::FindResumePoint(model.Catalogue(), ReadResume(kResumeVolumeName).toStdString(),
                                ReadResume(kResumePageName).toStdString(), pageIsStored);
  // The search range stays the whole collection: reading on where one stopped
  // is no choice of where to search.
  if (point) panel.OpenStoredPage(point->record, point->page);
  if (QLineEdit* field = KeywordField(panel)) field->setText(ReadResume(kResumeKeyWordsName));
}

void SaveWindowGeometry(const QWidget& window) {
  WriteSettingString(Name(kMainFrameSection), Name(kMainFrameGeometryName),
                     QString::fromLatin1(window.saveGeometry().toBase64()));
}

bool RestoreWindowGeometry(QWidget& window) {
  const QByteArray::FromBase64Result geometry = QByteArray::fromBase64Encoding(
      ReadSettingString(Name(kMainFrameSection), Name(kMainFrameGeometryName)).toLatin1(),
      QByteArray::AbortOnBase64DecodingErrors);
  // restoreGeometry refuses a record of another format and moves a window that
  // would stand off every screen back onto one, but it takes a record cut short
  // as zeros and gives a window of next to no size.
  return geometry && IsWholeGeometryRecord(geometry.decoded) &&
         window.restoreGeometry(geometry.decoded);
}
