#include "app/platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "app/platform/app_titles.h"

class MessageBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { SetWarningMessageFunction(nullptr); }

  void theWarningBoxIsModalWithTheTitleAsCaption() {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    // The box runs its own loop; look at it from inside that loop and close it.
    QTimer::singleShot(0, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      caption = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons = box->standardButtons();
      modal = box->isModal();
      box->accept();
    });
    ShowWarningMessage(QStringLiteral("もう最後の巻まで至りました。"));
    QCOMPARE(caption, QString::fromUtf8(kApplicationTitle));
    QCOMPARE(text, QStringLiteral("もう最後の巻まで至りました。"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(modal);
  }

  void theCoresMessagesGoThroughTheSameFunction() {
    QStringList shown;
    QStringList details;
    const WarningMessageFunction previous =
        SetWarningMessageFunction([&](const QString& message, const QString& detail) {
          shown << message;
          details << detail;
        });
    QVERIFY(previous != nullptr);
    WarningMessageSink sink;
    sink.ShowMessage(u"you delete data file!");
    sink.ShowFault(u"データを開けませんでした。",
                   {"/data/Index-fl.h", "name size 0 lies outside 1 to 260"});
    QCOMPARE(shown, (QStringList{"you delete data file!", "データを開けませんでした。"}));
    QCOMPARE(details,
             (QStringList{QString(), "/data/Index-fl.h: name size 0 lies outside 1 to 260"}));
  }

  void aFaultIsTheBoxsDetailsBehindTheSameSentence() {
    QString text;
    QString details;
    QTimer::singleShot(0, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      text = box->text();
      details = box->detailedText();
      box->accept();
    });
    WarningMessageSink().ShowFault(u"データを開けませんでした。", {"/data/Index-idx.h", "missing"});
    QCOMPARE(text, QStringLiteral("データを開けませんでした。"));
    QCOMPARE(details, QStringLiteral("/data/Index-idx.h: missing"));
  }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
