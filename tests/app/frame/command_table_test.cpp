#include "app/frame/command_table.h"

#include <QTest>

class CommandTableTest : public QObject {
  Q_OBJECT

 private slots:
  void toolbarButtonsFollowTheLayout() {
    // The numbers of the table count the layout's buttons in order.
    int button = 0;
    for (int id : kToolbarLayout) {
      if (id == kSeparator || id == ID_SLIDER_SLOT || id == ID_PAGE_LABEL_SLOT) continue;
      ++button;
      const MenuCommand* command = FindMenuCommand(id);
      QVERIFY2(command != nullptr, qPrintable(QString::number(id)));
      QCOMPARE(command->toolbarButton, button);
    }
    QCOMPARE(button, 10);
  }

  void tooltipIsThePartAfterTheLineFeed() {
    QVERIFY(TooltipOf(u"次の頁へ\n次の頁") == u"次の頁");
    QVERIFY(TooltipOf(u"") == u"");
    QVERIFY(TooltipOf(u"no line feed").empty());
  }

  void menusComeInOrder() {
    int menu = 0;
    for (const MenuCommand& command : kMenuCommands) {
      QVERIFY(command.menu >= menu);
      menu = command.menu;
    }
    QCOMPARE(menu, 4);
    QVERIFY(FindMenuCommand(12345) == nullptr);
  }
};

QTEST_MAIN(CommandTableTest)
#include "command_table_test.moc"
