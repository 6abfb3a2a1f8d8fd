#include "ui/about_form.h"

#include "app/help_file.h"
#include "app/version_info.h"
#include "ui/main_form.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace zorbe {
namespace {

using test::Find;
using test::Q;

class AboutFormTest : public test::UiTest {};

TEST_F(AboutFormTest, ShowsTheProgramsVersionTable) {
  TAboutForm form(shell);
  form.show();
  EXPECT_EQ(form.objectName(), QStringLiteral("AboutForm"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("バージョン情報"));
  EXPECT_EQ(Find<QLabel>(&form, "L01")->text(),
            QStringLiteral("Zorbe 2nd  Ver.") + QStringLiteral(ZORBE_VERSION));
  EXPECT_EQ(Find<QLabel>(&form, "L02")->text(), Q(ProgramVersionString("LegalCopyright")));
  EXPECT_EQ(Find<QLabel>(&form, "L03")->text(), QStringLiteral("EMaill ：\nWebSite："));
  EXPECT_EQ(Find<QLabel>(&form, "LMail")->text(), QString::fromLatin1(kContactMail));
  EXPECT_EQ(Find<QLabel>(&form, "LURL")->text(), QString::fromLatin1(kContactUrl));
  auto* notice = Find<QLabel>(&form, "L04");
  EXPECT_TRUE(notice->wordWrap());
  EXPECT_FALSE(notice->text().isEmpty());
  EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  auto* icon = Find<QLabel>(&form, "Icon");
  ASSERT_FALSE(icon->pixmap().isNull());
  EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
  // The icon is drawn, not an empty square.
  EXPECT_FALSE(icon->pixmap().toImage().allGray());
  auto* close = Find<QPushButton>(&form, "BTN");
  EXPECT_EQ(close->text(), QStringLiteral("閉じる(&X)"));
  EXPECT_GE(form.width(), 305);
  EXPECT_GE(form.height(), 153);
}

TEST_F(AboutFormTest, MissingEntriesShowUnKnownAndNoTableShowsNothing) {
  TVersionInfo partial;
  partial.translations = {{0x0411, 0x03a4}};
  partial.stringTables["041103a4"] = {{"ProductName", "Name"}};
  TAboutForm withGaps(shell, nullptr, &partial);
  EXPECT_EQ(Find<QLabel>(&withGaps, "L01")->text(), QStringLiteral("Name  Ver.UnKnown"));
  EXPECT_EQ(Find<QLabel>(&withGaps, "L02")->text(), QStringLiteral("UnKnown"));
  TAboutForm without(shell, nullptr, nullptr);
  EXPECT_EQ(Find<QLabel>(&without, "L01")->text(), QStringLiteral("  Ver."));
  EXPECT_EQ(Find<QLabel>(&without, "L02")->text(), QString());
}

TEST_F(AboutFormTest, LinksLightUpUnderTheMouseAndOpenOnAClick) {
  TAboutForm form(shell);
  form.show();
  const QColor plain = form.palette().color(QPalette::WindowText);
  struct Case {
    const char* name;
    std::string url;
  };
  const Case cases[] = {
      {"LMail", "Mailto:" + std::string(kContactMail) + "?subject=Zorbe%202nd" ZORBE_VERSION "&"},
      {"LURL", kContactUrl},
  };
  for (const Case& c : cases) {
    auto* link = Find<QLabel>(&form, c.name);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(link, &enter);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << c.name;
    EXPECT_TRUE(link->font().underline()) << c.name;
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor) << c.name;
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), plain) << c.name;
    EXPECT_FALSE(link->font().underline()) << c.name;
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor) << c.name;

    shell.urls.clear();
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(shell.urls.size(), 1u) << c.name;
    EXPECT_EQ(shell.urls[0], c.url);
    QTest::mouseClick(link, Qt::RightButton);
    EXPECT_EQ(shell.urls.size(), 1u) << "only the left button opens " << c.name;
  }
  // A link the desktop can't open says nothing: the address is still there to read.
  shell.urlsOpen = false;
  QTest::mouseClick(Find<QLabel>(&form, "LURL"), Qt::LeftButton);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(AboutFormTest, TheMenuOpensItModallyAndCloseEndsIt) {
  TMainForm main(settings, shell);
  main.show();
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<TAboutForm*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    seen = true;
    auto* close = Find<QPushButton>(about, "BTN");
    EXPECT_TRUE(close->hasFocus() || about->focusWidget() == close);
    close->click();
  });
  Find<QAction>(&main, "mmAbout")->trigger();
  EXPECT_TRUE(seen);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AboutFormTest, HelpOpensTheFileBesideTheProgramOrSaysWhyNot) {
  TMainForm main(settings, shell);
  const std::string help = folder.Write("ヘルプ/zorbe.html", "<html></html>");
  main.SetHelpFileName(help);
  Find<QAction>(&main, "mmContents")->trigger();
  ASSERT_EQ(shell.urls.size(), 1u);
  EXPECT_EQ(QUrl(Q(shell.urls[0])).toLocalFile(), Q(help));
  EXPECT_TRUE(messages.Messages().empty());

  shell.urlsOpen = false;
  main.OpenHelp();
  ASSERT_EQ(messages.Texts(), std::vector<std::string>{HelpNotOpenedMessage(help)});
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Error);

  messages.Clear();
  shell.urls.clear();
  const std::string missing = folder.File("zorbe.html");
  main.SetHelpFileName(missing);
  main.OpenHelp();
  EXPECT_TRUE(shell.urls.empty());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{HelpMissingMessage(missing)});
  EXPECT_EQ(Find<QAction>(&main, "mmContents")->shortcut(), QKeySequence(Qt::Key_F1));
}

} // namespace
} // namespace zorbe
