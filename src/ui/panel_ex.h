#pragma once
// A small framed panel that acts as a button: pressing the mouse on it lowers it, leaving it
// raises it again, and releasing the mouse while it is lowered raises it and clicks. It never
// takes the focus, so the field beside it keeps it.

#include <QLabel>

namespace zorbe {

class TPanelEx : public QLabel {
  Q_OBJECT
public:
  explicit TPanelEx(const QString& caption, QWidget* parent = nullptr);

  bool Lowered() const { return lowered_; }

signals:
  void clicked();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  void SetLowered(bool lowered);
  bool lowered_ = false;
};

} // namespace zorbe
