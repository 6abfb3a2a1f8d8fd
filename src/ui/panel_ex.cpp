#include "ui/panel_ex.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace zorbe {

TPanelEx::TPanelEx(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
  setText(caption);
  setFixedSize(21, 21);
  setFocusPolicy(Qt::TabFocus);
}

void TPanelEx::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  qDrawShadePanel(&painter, rect(), palette(), isDown(), 1);
  painter.drawText(rect(), Qt::AlignCenter, text());
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void TPanelEx::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  setDown(false);
}

} // namespace zorbe
