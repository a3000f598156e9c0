#include "app/panel/html_ctrl.h"

#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPalette>
#include <QStringDecoder>

#include "app/panel/html_form.h"
#include "app/platform/html_elements.h"

namespace {

int PixelValue(const std::optional<QString>& text, int fallback) {
  if (!text) return fallback;
  QString digits = *text;
  digits.remove(QStringLiteral("px"), Qt::CaseInsensitive);
  bool ok = false;
  const int value = digits.trimmed().toInt(&ok);
  return ok && value >= 0 ? value : fallback;
}

// The page names a Song face that Linux systems rarely have: keep it first and
// fall back to the Song faces that come with the CJK fonts.
QFont FieldFont(const QString& style, const QFont& base) {
  QFont font = base;
  QStringList families;
  if (const auto family = StyleProperty(style, QStringLiteral("font-family"))) {
    for (QString name : family->split(u',', Qt::SkipEmptyParts)) {
      name = name.trimmed();
      if (name.size() >= 2 && (name.front() == u'\'' || name.front() == u'"'))
        name = name.mid(1, name.size() - 2);
      families << name;
    }
  }
  families << QStringLiteral("Noto Serif CJK SC") << QStringLiteral("Noto Serif CJK TC")
           << QStringLiteral("Noto Sans CJK SC");
  font.setFamilies(families);
  font.setPixelSize(PixelValue(StyleProperty(style, QStringLiteral("font-size")), 14));
  return font;
}

}  // namespace

CHtmlCtrl::CHtmlCtrl(QWidget* parent) : QWidget(parent) {
  // The control takes clicks like any child control; it never activates a view.
  setFocusPolicy(Qt::NoFocus);
}

bool CHtmlCtrl::LoadFromResource(const QString& resourceName) {
  QFile file(resourceName);
  if (!file.open(QIODevice::ReadOnly)) {
    LoadHtml(QString());
    hasDocument_ = false;
    return false;
  }
  const QByteArray bytes = file.readAll();
  QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
  if (!decoder.isValid()) decoder = QStringDecoder(QStringDecoder::Utf8);
  LoadHtml(decoder(bytes));
  return true;
}

void CHtmlCtrl::LoadHtml(const QString& html) {
  for (Element& element : elements_) delete element.field;
  elements_.clear();
  hasDocument_ = true;

  QPalette page = palette();
  int x = 8;  // a browser's default body margins
  int y = 8;
  for (const HtmlStartTag& tag : ScanStartTags(html)) {
    Element element{tag.name, nullptr, {}};
    if (tag.name == u"body") {
      if (const auto colour = tag.Attribute(QStringLiteral("bgcolor"));
          colour && QColor::isValidColorName(*colour)) {
        page.setColor(QPalette::Window, QColor::fromString(*colour));
      }
      if (const auto colour = tag.Attribute(QStringLiteral("text"));
          colour && QColor::isValidColorName(*colour)) {
        page.setColor(QPalette::WindowText, QColor::fromString(*colour));
      }
      x = PixelValue(tag.Attribute(QStringLiteral("leftmargin")), x);
      y = PixelValue(tag.Attribute(QStringLiteral("topmargin")), y);
    } else if (tag.name == u"input") {
      const QString type =
          tag.Attribute(QStringLiteral("type")).value_or(QStringLiteral("text")).toLower();
      const QString value = tag.Attribute(QStringLiteral("value")).value_or(QString());
      if (type == u"hidden") {
        element.fixedValue = value;
      } else {
        const QString style = tag.Attribute(QStringLiteral("style")).value_or(QString());
        auto* field = new QLineEdit(this);
        field->setObjectName(tag.Attribute(QStringLiteral("name")).value_or(QString()));
        field->setFont(FieldFont(style, font()));
        field->setText(value);
        if (type == u"password") field->setEchoMode(QLineEdit::Password);
        // size counts average characters, as a browser sizes a text field.
        const int size = PixelValue(tag.Attribute(QStringLiteral("size")), 20);
        const int width = QFontMetrics(field->font()).averageCharWidth() * size + 8;
        const int height =
            PixelValue(StyleProperty(style, QStringLiteral("height")), field->sizeHint().height());
        field->setGeometry(x, y, width, height);
        field->show();
        x += width;
        element.field = field;
      }
    }
    elements_.push_back(element);
  }
  setPalette(page);
  setAutoFillBackground(true);
}

QVector<DocumentElement> CHtmlCtrl::DocumentElements() const {
  QVector<DocumentElement> elements;
  for (const Element& element : elements_) {
    DocumentElement out;
    out.tagName = element.tagName;
    out.isInput = element.tagName == u"input";
    if (out.isInput)
      out.value = element.field != nullptr ? element.field->text() : element.fixedValue;
    elements.append(out);
  }
  return elements;
}

QLineEdit* CHtmlCtrl::Field(const QString& name) const {
  for (const Element& element : elements_) {
    if (element.field != nullptr && element.field->objectName() == name) return element.field;
  }
  return nullptr;
}

QList<QLineEdit*> CHtmlCtrl::Fields() const {
  QList<QLineEdit*> fields;
  for (const Element& element : elements_) {
    if (element.field != nullptr) fields.append(element.field);
  }
  return fields;
}
