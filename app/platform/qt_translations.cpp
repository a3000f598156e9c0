#include "app/platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <memory>

bool InstallQtTranslations() {
  // A child of the application: installed for its whole life and gone with it,
  // when the pointer forgets it.
  static QPointer<QTranslator> installed;
  if (!installed.isNull()) return true;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  translator->setParent(QCoreApplication::instance());
  QCoreApplication::installTranslator(translator.get());
  installed = translator.release();
  return true;
}
