// TMainForm: the help menu (the help file and the version window) and the time analyzer's
// result window.

#include "ui/main_form.h"

#include "app/help_file.h"
#include "app/message_routine.h"
#include "app/program_folder.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "ui/about_form.h"
#include "ui/form_time_ana_result.h"
#include "ui/qt_window_placement.h"

#include <QFile>
#include <QUrl>

namespace zorbe {

void TMainForm::OpenHelp() {
  const std::string help = helpFile_.empty() ? HelpFileName(ProgramFileName()) : helpFile_;
  if (!FileExists(help)) {
    ShowMessage(HelpMissingMessage(help), TMsgKind::Error, TMsgButtons::OK);
    return;
  }
  const QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(help)));
  if (!shell_.OpenUrl(url.toString(QUrl::FullyEncoded).toStdString())) {
    ShowMessage(HelpNotOpenedMessage(help), TMsgKind::Error, TMsgButtons::OK);
  }
}

void TMainForm::OpenAbout() {
  TAboutForm form(shell_, this);
  form.adjustSize();
  PlaceWindowOver(this, &form);
  form.exec();
}

void TMainForm::ShowTimeAnaResult() {
  timeAnaResult_->ShowResult();
}

} // namespace zorbe
