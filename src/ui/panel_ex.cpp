#include "ui/panel_ex.h"

#include <QMouseEvent>

namespace zorbe {

TPanelEx::TPanelEx(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setAlignment(Qt::AlignCenter);
  setFixedSize(21, 21);
  setFocusPolicy(Qt::NoFocus);
  SetLowered(false);
}

void TPanelEx::SetLowered(bool lowered) {
  lowered_ = lowered;
  setFrameStyle(QFrame::Panel | (lowered ? QFrame::Sunken : QFrame::Raised));
  setLineWidth(1);
}

void TPanelEx::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    SetLowered(true);
  }
}

void TPanelEx::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !lowered_) {
    return;
  }
  SetLowered(false);
  if (rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

void TPanelEx::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  SetLowered(false);
}

} // namespace zorbe
