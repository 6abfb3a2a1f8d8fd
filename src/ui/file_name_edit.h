#pragma once
// A file-name field with a browse button that opens a file dialog: an open dialog for an
// existing file, or a save dialog that asks before overwriting.
//
// Filters are given in the "description|patterns|description|patterns" form the windows are
// designed with; "*.*" (any file) becomes "*", since names here need no dot.

#include "ui/browse_edit.h"

namespace zorbe {

// The Qt form of a "description|patterns|..." filter: "description (patterns);;...".
QString QtFileFilter(const QString& filter);

class TFileNameEdit : public TBrowseEdit {
  Q_OBJECT
public:
  enum class TMode { Open, Save };
  explicit TFileNameEdit(TMode mode = TMode::Open, QWidget* parent = nullptr);

  void SetDialog(const QString& title, const QString& filter, const QString& defaultSuffix = {});
  // The folder the dialog starts in while the field is empty.
  void SetStartFolder(const QString& folder) { startFolder_ = folder; }
  // Names chosen in the dialog go into the field in double quotes, for a field that is read
  // like a command line (where an unquoted blank would end the name).
  void SetQuotesChoice(bool quoted) { quoted_ = quoted; }

protected:
  QString Browse() override;

private:
  TMode mode_;
  QString title_;
  QString filter_;
  QString defaultSuffix_;
  QString startFolder_;
  bool quoted_ = false;
};

} // namespace zorbe
