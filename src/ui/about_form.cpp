#include "ui/about_form.h"

#include "app/version_info.h"
#include "platform/shell.h"
#include "ui/app_icon.h"
#include "ui/keyboard_access.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace zorbe {
namespace {

constexpr int kClientWidth = 305;
constexpr int kClientHeight = 153;
constexpr int kIconSize = 32;
const QColor kLinkColour(0, 0, 255);
const QColor kNoticeColour(255, 0, 0);

// The licence's terms (MIT, the LICENSE file) in short.
const char* const kNotice = "このソフトウェアは MIT ライセンスです。改変・再配布は自由ですが、"
                            "著作権表示と許諾表示を含めてください。";

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QFrame* NewBevel(QWidget* parent, const char* name) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  return frame;
}

} // namespace

TAboutForm::TAboutForm(IShell& shell, QWidget* parent, const TVersionInfo* info)
    : QDialog(parent), shell_(shell), productName_(Q(VersionString(info, "ProductName"))),
      productVersion_(Q(VersionString(info, "ProductVersion"))) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  QFrame* outer = NewBevel(this, "Bevel1");
  auto* icon = NewLabel(outer, "Icon", {});
  icon->setPixmap(AppIcon().pixmap(kIconSize, kIconSize));
  icon->setFixedSize(kIconSize, kIconSize);
  QLabel* l01 =
      NewLabel(outer, "L01", QStringLiteral("%1  Ver.%2").arg(productName_, productVersion_));
  QFont bold = l01->font();
  bold.setBold(true);
  l01->setFont(bold);
  QLabel* l02 = NewLabel(outer, "L02", Q(VersionString(info, "LegalCopyright")));
  QLabel* l03 = NewLabel(outer, "L03", QStringLiteral("EMaill ：\nWebSite："));
  l03->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lMail_ = NewLink("LMail", QString::fromLatin1(kContactMail));
  lUrl_ = NewLink("LURL", QString::fromLatin1(kContactUrl));
  QFrame* noticeBevel = NewBevel(outer, "Bevel2");
  QLabel* l04 = NewLabel(noticeBevel, "L04", QString::fromUtf8(kNotice));
  l04->setWordWrap(true);
  QPalette red = l04->palette();
  red.setColor(QPalette::WindowText, kNoticeColour);
  l04->setPalette(red);
  btn_ = new QPushButton(QStringLiteral("閉じる(&X)"), this);
  btn_->setObjectName(QStringLiteral("BTN"));
  btn_->setDefault(true);
  connect(btn_, &QPushButton::clicked, this, &QDialog::accept);

  auto* links = new QVBoxLayout;
  links->setSpacing(0);
  links->addWidget(lMail_);
  links->addWidget(lUrl_);
  auto* grid = new QGridLayout(outer);
  grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(l01, 0, 1, 1, 2);
  grid->addWidget(l02, 1, 1, 1, 2);
  grid->addWidget(l03, 2, 1);
  grid->addLayout(links, 2, 2);
  grid->setColumnStretch(2, 1);
  auto* noticeLayout = new QVBoxLayout(noticeBevel);
  noticeLayout->addWidget(l04);
  grid->addWidget(noticeBevel, 3, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btn_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(outer);
  layout->addLayout(buttons);
  // Sized to its contents, never below the designed client area; the user can't resize it.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumSize(kClientWidth, kClientHeight);
  MakeKeyboardReady(this);
  btn_->setFocus();
}

QLabel* TAboutForm::NewLink(const char* name, const QString& text) {
  auto* link = NewLabel(this, name, text);
  link->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  link->setAttribute(Qt::WA_Hover);
  link->installEventFilter(this);
  // Tab reaches the links; Enter or Space opens the one in focus.
  link->setFocusPolicy(Qt::TabFocus);
  return link;
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
  auto* link = qobject_cast<QLabel*>(watched);
  if (link == nullptr || (link != lMail_ && link != lUrl_)) {
    return QDialog::eventFilter(watched, event);
  }
  switch (event->type()) {
  case QEvent::Enter:
    LinkEntered(link);
    break;
  case QEvent::Leave:
    LinkLeft(link);
    break;
  case QEvent::FocusIn:
    LinkEntered(link);
    break;
  case QEvent::FocusOut:
    LinkLeft(link);
    break;
  case QEvent::KeyPress:
    if (const int key = static_cast<QKeyEvent*>(event)->key();
        key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
      LinkClicked(link);
      return true;
    }
    break;
  case QEvent::MouseButtonRelease:
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        link->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
      LinkClicked(link);
      return true;
    }
    break;
  default:
    break;
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutForm::LinkEntered(QLabel* link) {
  QPalette palette = link->palette();
  palette.setColor(QPalette::WindowText, kLinkColour);
  link->setPalette(palette);
  QFont font = link->font();
  font.setUnderline(true);
  link->setFont(font);
  link->setCursor(Qt::PointingHandCursor);
}

void TAboutForm::LinkLeft(QLabel* link) {
  QPalette palette = link->palette();
  palette.setColor(QPalette::WindowText, this->palette().color(QPalette::WindowText));
  link->setPalette(palette);
  QFont font = link->font();
  font.setUnderline(false);
  font.setBold(false);
  font.setItalic(false);
  font.setStrikeOut(false);
  link->setFont(font);
  link->unsetCursor();
}

void TAboutForm::LinkClicked(QLabel* link) {
  if (link->objectName() == QStringLiteral("LMail")) {
    shell_.OpenUrl(ContactMailLink(link->text().toStdString(), productName_.toStdString(),
                                   productVersion_.toStdString()));
    return;
  }
  shell_.OpenUrl(link->text().toStdString());
}

} // namespace zorbe
