#pragma once
// A text field with a browse button at its right end: the common part of the file-name and
// folder fields. The field holds whatever the user types; the button opens a dialog whose
// choice replaces the text.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace zorbe {

class TBrowseEdit : public QWidget {
  Q_OBJECT
public:
  explicit TBrowseEdit(QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& text);
  QLineEdit* lineEdit() const { return edit_; }
  QToolButton* browseButton() const { return button_; }
  // Names the field for assistive technologies by the caption of its label, and its button as
  // the choice of that field.
  void SetAccessibleCaption(const QString& caption);

signals:
  void textChanged(const QString& text);

protected:
  // Asks the user for a name; an empty result leaves the text alone.
  virtual QString Browse() = 0;
  void changeEvent(QEvent* event) override;

private:
  QLineEdit* edit_;
  QToolButton* button_;
};

} // namespace zorbe
