#pragma once
// Accepts files and folders dropped from the file manager on the widgets it watches, and hands
// their names (native, in the order the file manager gives them) to a handler on the GUI
// thread after the drop has completed, so the file manager is never kept waiting.
//
// Only URI-list drops are accepted. An item that is not a local file (an sftp: or http: link)
// is refused with a message naming it; the local ones are still handed over.

#include <QObject>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace zorbe {

class TFileDropTarget : public QObject {
  Q_OBJECT
public:
  using Handler = std::function<void(const std::vector<std::string>& names)>;
  TFileDropTarget(Handler handler, QObject* parent = nullptr);

  // Watches the widget (and accepts drops on it).
  void Watch(QWidget* widget);

  // The names a drop carries, after the refusal of every non-local item; empty when none.
  static std::vector<std::string> DroppedNames(const QMimeData& data);
  static bool Acceptable(const QMimeData& data);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  Handler handler_;
};

} // namespace zorbe
