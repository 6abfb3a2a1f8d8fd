#pragma once
// The version window ("バージョン情報"): the program's icon, product name and version, the
// copyright, the project's two contact links and a notice about redistribution. The texts come
// from a version table read by the lookup rules of app/version_info.h, so a missing entry shows
// as "UnKnown".
//
// The contact labels behave as links: under the mouse they turn blue and underlined with the
// hand cursor; a click hands the mail link (with the product in its subject) or the web address
// to the desktop. A failure to open one is silent: the address stays readable in the window.

#include "app/version_info.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace zorbe {

class IShell;

class TAboutForm : public QDialog {
  Q_OBJECT
public:
  // `info` is the version table to show, by default the program's own; null means none.
  explicit TAboutForm(IShell& shell, QWidget* parent = nullptr,
                      const TVersionInfo* info = &ProgramVersionInfo());

  // The link labels' three handlers, as the mouse runs them.
  void LinkEntered(QLabel* link);
  void LinkLeft(QLabel* link);
  void LinkClicked(QLabel* link);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QLabel* NewLink(const char* name, const QString& text);

  IShell& shell_;
  QString productName_;
  QString productVersion_;
  QLabel* lMail_ = nullptr;
  QLabel* lUrl_ = nullptr;
  QPushButton* btn_ = nullptr;
};

} // namespace zorbe
