#pragma once
// A drop-down list of fixed choices. Its own class lets it be named by its label for assistive
// technologies (keyboard_access.h); Qt would name it by its current choice.

#include "ui/keyboard_access.h"

#include <QComboBox>

namespace zorbe {

class TDropDownList : public QComboBox {
  Q_OBJECT
public:
  explicit TDropDownList(QWidget* parent = nullptr) : QComboBox(parent) { NameDropDownsByLabel(); }
};

} // namespace zorbe
