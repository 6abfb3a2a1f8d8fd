#pragma once
// A spin edit for a whole number between two limits (by default any 32-bit number), with the
// number right-aligned.

#include <QSpinBox>

#include <limits>

namespace zorbe {

class TSpinEdit : public QSpinBox {
public:
  explicit TSpinEdit(QWidget* parent = nullptr, int minimum = std::numeric_limits<int>::min(),
                     int maximum = std::numeric_limits<int>::max())
      : QSpinBox(parent) {
    setRange(minimum, maximum);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
};

} // namespace zorbe
