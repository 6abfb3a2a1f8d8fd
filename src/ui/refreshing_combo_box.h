#pragma once
// A combo box that tells its owner just before its list drops down, so the owner can read the
// entries afresh (the setting names may have changed in another window).

#include <QComboBox>

namespace zorbe {

class TRefreshingComboBox : public QComboBox {
  Q_OBJECT
public:
  using QComboBox::QComboBox;

  void showPopup() override {
    emit popupAboutToShow();
    QComboBox::showPopup();
  }

signals:
  void popupAboutToShow();
};

} // namespace zorbe
