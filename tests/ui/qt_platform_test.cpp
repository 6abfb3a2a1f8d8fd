#include "ui/desktop_program.h"
#include "ui/file_drop_target.h"
#include "ui/file_name_edit.h"
#include "ui/panel_ex.h"
#include "ui/qt_main_thread_invoker.h"
#include "ui/qt_message_box.h"
#include "ui/qt_window_placement.h"
#include "ui/ui_test_support.h"

#include "app/job_host.h"
#include "app/message_routine.h"
#include "engine/sort_thread.h"
#include "scripted_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

namespace zorbe {
namespace {

using test::Q;

TEST(QtMainThreadInvoker, RunsCallsOnTheGuiThreadWhileTheCallerWaits) {
  TQtMainThreadInvoker invoker;
  QThread* gui = QThread::currentThread();
  QThread* ranOn = nullptr;
  invoker.InvokeAndWait([&] { ranOn = QThread::currentThread(); });
  EXPECT_EQ(ranOn, gui); // at once, on the GUI thread itself

  std::atomic<bool> done = false;
  bool rethrown = false;
  std::thread worker([&] {
    invoker.InvokeAndWait([&] { ranOn = QThread::currentThread(); });
    try {
      invoker.InvokeAndWait([] { throw std::runtime_error("from the call"); });
    } catch (const std::runtime_error&) {
      rethrown = true;
    }
    done = true;
  });
  EXPECT_TRUE(test::WaitFor([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(ranOn, gui);
  EXPECT_TRUE(rethrown);
}

// Records the thread every message is shown on.
class TThreadRecordingBox : public IMessageBox {
public:
  TMsgResult Show(const std::string& text, TMsgKind, TMsgButtons buttons) override {
    shown.push_back({text, QThread::currentThread()});
    return buttons == TMsgButtons::OK ? TMsgResult::OK : TMsgResult::No;
  }
  std::vector<std::pair<std::string, QThread*>> shown;
};

TEST(QtMainThreadInvoker, JobQuestionsAndErrorsAppearOnTheGuiThread) {
  test::TTempFolder folder;
  const std::string input = folder.Write("in.txt", "b\r\na\r\n");
  folder.Write("out.txt", "old");
  TThreadRecordingBox box;
  SetMessageBox(&box);
  TQtMainThreadInvoker invoker;
  TAppJobHost host;
  TSortJobInputs inputs;
  inputs.setting = SettingDefaults();
  inputs.files = {input};
  inputs.codes = {ccShiftJis};
  inputs.outputName = folder.File("out.txt");
  bool endOnGui = false;
  TSortThread job(std::move(inputs), host, invoker, [&](TSortThread&) {
    endOnGui = QThread::currentThread() == QApplication::instance()->thread();
    // The replacement pass reports through the same host call.
    host.ShowReplacementError(3, "bad pattern");
  });
  job.Start();
  ASSERT_TRUE(test::WaitFor([&] { return job.Ended(); }));
  job.Wait();
  SetMessageBox(nullptr);
  EXPECT_TRUE(endOnGui);
  EXPECT_TRUE(host.Cancelled()); // No to the overwrite question
  EXPECT_EQ(test::ReadBytes(folder.File("out.txt")), "old");
  ASSERT_EQ(box.shown.size(), 3u);
  EXPECT_EQ(box.shown[0].first, OverwriteQuestion(folder.File("out.txt")));
  EXPECT_EQ(box.shown[2].first, ReplacementErrorMessage(3, "bad pattern"));
  for (const auto& [text, thread] : box.shown) {
    EXPECT_EQ(thread, QApplication::instance()->thread()) << text;
  }
}

// Answers the next message box with the button of that text, and notes where it stood.
struct TBoxAnswer {
  explicit TBoxAnswer(QString answer) : button(std::move(answer)) {}
  QString button;
  QRect geometry;
  QStringList buttons;
  QString text;
  void Arm() {
    QTimer::singleShot(0, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      geometry = box->frameGeometry();
      text = box->text();
      for (QAbstractButton* b : box->buttons()) {
        buttons << b->text();
        if (b->text() == button) {
          b->click();
        }
      }
    });
  }
};

TEST(QtMessageBox, JapaneseButtonsAnswersAndCentringOverTheOwner) {
  TQtMessageBox box;
  QWidget owner;
  owner.setGeometry(100, 80, 600, 400);
  owner.show();
  box.SetMainWindow(&owner);

  TBoxAnswer yes(QStringLiteral("はい(&Y)"));
  yes.Arm();
  EXPECT_EQ(box.Show("一行目\r\n二行目", TMsgKind::Warning, TMsgButtons::YesNo), TMsgResult::Yes);
  EXPECT_EQ(yes.buttons, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
  EXPECT_EQ(yes.text, QStringLiteral("一行目\n二行目"));
  const QRect frame = owner.frameGeometry();
  EXPECT_EQ(yes.geometry.left(), frame.left() + (frame.width() - yes.geometry.width()) / 2);
  EXPECT_EQ(yes.geometry.top(), frame.top() + (frame.height() - yes.geometry.height()) / 2);

  TBoxAnswer no(QStringLiteral("いいえ(&N)"));
  no.Arm();
  EXPECT_EQ(box.Show("?", TMsgKind::Error, TMsgButtons::YesNo), TMsgResult::No);
  TBoxAnswer ok(QStringLiteral("OK"));
  ok.Arm();
  EXPECT_EQ(box.Show("!", TMsgKind::Information, TMsgButtons::OK), TMsgResult::OK);
  EXPECT_EQ(ok.buttons, QStringList{QStringLiteral("OK")});

  owner.hide(); // no visible owner: the dialog goes where the desktop puts it
  EXPECT_EQ(box.Owner(), nullptr);
}

// Enter presses the default button and Escape answers No; a question whose Yes destroys a file
// has No as its default.
TEST(QtMessageBox, EnterAndEscapeAnswerByTheDefaultButton) {
  const struct {
    TMsgButtons buttons;
    Qt::Key key;
    TMsgResult expected;
  } cases[] = {
      {TMsgButtons::YesNo, Qt::Key_Return, TMsgResult::Yes},
      {TMsgButtons::YesNo, Qt::Key_Escape, TMsgResult::No},
      {TMsgButtons::YesNoDefaultNo, Qt::Key_Return, TMsgResult::No},
      {TMsgButtons::YesNoDefaultNo, Qt::Key_Enter, TMsgResult::No},
      {TMsgButtons::YesNoDefaultNo, Qt::Key_Escape, TMsgResult::No},
  };
  TQtMessageBox box;
  for (const auto& c : cases) {
    QTimer::singleShot(0, [&c] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      QTest::keyClick(dialog, c.key);
    });
    EXPECT_EQ(box.Show("?", TMsgKind::Warning, c.buttons), c.expected)
        << static_cast<int>(c.buttons) << " " << c.key;
  }
}

TEST(FileDropTarget, OnlyUriListsAndLocalFiles) {
  test::TScriptedMessageBox messages;
  SetMessageBox(&messages);
  QMimeData text;
  text.setText(QStringLiteral("/tmp/a.txt"));
  EXPECT_FALSE(TFileDropTarget::Acceptable(text));
  QMimeData uris;
  uris.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/日本語 名.txt")),
                QUrl(QStringLiteral("http://example.invalid/b.txt")),
                QUrl::fromLocalFile(QStringLiteral("/tmp/folder"))});
  EXPECT_TRUE(TFileDropTarget::Acceptable(uris));
  EXPECT_EQ(TFileDropTarget::DroppedNames(uris),
            (std::vector<std::string>{"/tmp/日本語 名.txt", "/tmp/folder"}));
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("http://example.invalid/b.txt"), std::string::npos);
  SetMessageBox(nullptr);
}

TEST(PanelEx, ClicksOnlyWhenReleasedWhileLowered) {
  TPanelEx panel(QStringLiteral("●"));
  panel.show();
  int clicks = 0;
  QObject::connect(&panel, &TPanelEx::clicked, [&] { ++clicks; });
  QTest::mousePress(&panel, Qt::LeftButton);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&panel, &leave);
  EXPECT_FALSE(panel.Lowered());
  QTest::mouseRelease(&panel, Qt::LeftButton);
  EXPECT_EQ(clicks, 0);
  QTest::mouseClick(&panel, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(panel.size(), QSize(21, 21));
}

TEST(QtFileFilter, WindowsFiltersBecomeQtFiltersAndAnyFileNeedsNoDot) {
  EXPECT_EQ(
      QtFileFilter(QStringLiteral("テキスト ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*")),
      QStringLiteral("テキスト ファイル (*.txt);;すべてのファイル (*)"));
  EXPECT_EQ(QtFileFilter(QStringLiteral("WAVE ファイル (*.wav)|*.wav;*.wave")),
            QStringLiteral("WAVE ファイル (*.wav *.wave)"));
  EXPECT_EQ(QtFileFilter(QStringLiteral("全てのファイル(*.*)|*.*")),
            QStringLiteral("全てのファイル (*)"));
}

TEST(WindowPlacementQt, SecondaryWindowsCentreOverTheMainWindow) {
  QWidget main;
  main.setGeometry(50, 60, 500, 400);
  main.show();
  QWidget dialog;
  dialog.resize(200, 100);
  PlaceWindowOver(&main, &dialog);
  const QRect frame = main.frameGeometry();
  EXPECT_EQ(dialog.pos(), QPoint(frame.left() + (frame.width() - 200) / 2,
                                 frame.top() + (frame.height() - 100) / 2));
  main.hide();
  PlaceWindowOver(&main, &dialog);
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(dialog.pos(),
            QPoint(work.left() + (work.width() - 200) / 2, work.top() + (work.height() - 100) / 2));
}

// Qt's own texts in the windows (the test program sets them up as the program does): a text
// field's context menu and the file dialog speak Japanese, and its dates are in Japanese form.
TEST(QtTranslations, QtsOwnTextsAreJapanese) {
  EXPECT_TRUE(UseJapaneseQtTexts());
  EXPECT_EQ(QLocale().toString(QDate(2024, 3, 5), QLocale::ShortFormat).toStdString(),
            "2024/03/05");
  QLineEdit field;
  const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
  ASSERT_FALSE(menu->actions().isEmpty());
  EXPECT_TRUE(menu->actions().first()->text().startsWith(QStringLiteral("元に戻す(&U)")))
      << menu->actions().first()->text().toStdString();
  QFileDialog dialog(nullptr, QStringLiteral("開く"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  EXPECT_EQ(dialog.labelText(QFileDialog::LookIn).toStdString(), "アドレス:");
  EXPECT_EQ(dialog.labelText(QFileDialog::Reject).toStdString(), "キャンセル");
}

} // namespace
} // namespace zorbe
