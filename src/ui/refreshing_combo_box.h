#pragma once
// A combo box that tells its owner just before its list drops down, so the owner can read the
// entries afresh (the setting names may have changed in another window).

#include "ui/keyboard_access.h"

#include <QComboBox>

namespace zorbe {

class TRefreshingComboBox : public QComboBox {
  Q_OBJECT
public:
  explicit TRefreshingComboBox(QWidget* parent = nullptr) : QComboBox(parent) {
    NameDropDownsByLabel(); // named by its label, not by its current choice
  }

  void showPopup() override {
    emit popupAboutToShow();
    QComboBox::showPopup();
  }

signals:
  void popupAboutToShow();
};

} // namespace zorbe
