// The main window's clipboard sort: the window's refusals, then the sort through the temporary
// file (src/app/clipboard_sort.h); the end step runs in OnJobEnded.

#include "app/job_start.h"
#include "app/message_routine.h"
#include "app/output_field.h"
#include "ui/file_name_edit.h"
#include "ui/main_form.h"
#include "ui/setting_form.h"

namespace zorbe {

void TMainForm::mmClipboardClick(const QString& itemName) {
  if (RefuseWhileBusy()) {
    return;
  }
  if (!clipboard_.HasText()) {
    ShowMessage(kNoClipboardTextMessage, TMsgKind::Error, TMsgButtons::OK);
    return;
  }
  if (!TakeTemporarySetting()) {
    return;
  }
  const TClipboardMode mode = ClipboardModeOfItem(itemName.toStdString());
  std::optional<TClipboardJob> job = PrepareClipboardSort(
      mode, clipboard_.Text(), currentSetting_, OutputFieldFileName(fne_->text().toStdString()));
  if (!job) {
    return;
  }
  clipboardMode_ = mode;
  clipboardText_.emplace(std::move(job->text));
  RunJob(std::move(job->inputs));
}

} // namespace zorbe
