#pragma once
// A small framed panel that acts as a button: pressing the mouse on it lowers it, leaving it
// raises it again, and releasing the mouse while it is lowered raises it and clicks. A click
// leaves the focus in the field beside it; Tab reaches it, and Space presses it (Enter too in
// a window made keyboard-ready). It is a
// button to assistive technologies too.

#include <QAbstractButton>

namespace zorbe {

class TPanelEx : public QAbstractButton {
  Q_OBJECT
public:
  explicit TPanelEx(const QString& caption, QWidget* parent = nullptr);

  bool Lowered() const { return isDown(); }
  QSize sizeHint() const override { return {21, 21}; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

} // namespace zorbe
