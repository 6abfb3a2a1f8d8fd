#pragma once
// A folder field with a browse button that opens a folder dialog.

#include "ui/browse_edit.h"

namespace zorbe {

class TFolderEdit : public TBrowseEdit {
  Q_OBJECT
public:
  explicit TFolderEdit(QWidget* parent = nullptr) : TBrowseEdit(parent) {}

protected:
  QString Browse() override;
};

} // namespace zorbe
