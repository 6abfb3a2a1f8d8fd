#include "ui/file_drop_target.h"

#include "app/message_routine.h"
#include "app/target_files.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace zorbe {
namespace {

const QString kUriList = QStringLiteral("text/uri-list");

} // namespace

TFileDropTarget::TFileDropTarget(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void TFileDropTarget::Watch(QWidget* widget) {
  widget->setAcceptDrops(true);
  widget->installEventFilter(this);
}

bool TFileDropTarget::Acceptable(const QMimeData& data) {
  return data.hasFormat(kUriList);
}

std::vector<std::string> TFileDropTarget::DroppedNames(const QMimeData& data) {
  std::vector<std::string> names;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) {
      ShowMessage(NotLocalFileMessage(url.toDisplayString().toStdString()), TMsgKind::Error,
                  TMsgButtons::OK);
      continue;
    }
    names.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return names;
}

bool TFileDropTarget::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
  case QEvent::DragEnter:
  case QEvent::DragMove: {
    auto* drag = static_cast<QDropEvent*>(event);
    if (drag->mimeData() != nullptr && Acceptable(*drag->mimeData())) {
      drag->setDropAction(Qt::CopyAction);
      drag->accept();
    } else {
      drag->ignore();
    }
    return true;
  }
  case QEvent::Drop: {
    auto* drop = static_cast<QDropEvent*>(event);
    if (drop->mimeData() == nullptr || !Acceptable(*drop->mimeData())) {
      drop->ignore();
      return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    // The data belongs to the drag; keep a copy of the URLs for after the drop.
    auto copy = std::make_shared<QMimeData>();
    copy->setUrls(drop->mimeData()->urls());
    QMetaObject::invokeMethod(
        this,
        [this, copy] {
          const std::vector<std::string> names = DroppedNames(*copy);
          if (!names.empty()) {
            handler_(names);
          }
        },
        Qt::QueuedConnection);
    return true;
  }
  default:
    return QObject::eventFilter(watched, event);
  }
}

} // namespace zorbe
