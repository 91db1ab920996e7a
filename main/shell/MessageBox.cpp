#include "MessageBox.h"

#include "FixTitleBase.h"
#include "Language.h"
#include "WaitButton.h"

#include "Paneforge/Util.h"
#include "common/MachinePicture.h"
#include "common/SendInfo.h"
#include "common/WindowGround.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

QString IconName(int type)
{
    switch (type) {
    case MSGBOX_ALERT:
        return QStringLiteral("ico_alert.png");
    case MSGBOX_RESULT_VIEW:
    case MSGBOX_RESULT:
        return QStringLiteral("ico_success.png");
    case MSGBOX_UPDATE:
        return QStringLiteral("ico_update.png");
    default:
        return QStringLiteral("logo_about.png");
    }
}

void SetLabelText(QLabel* label, const QString& text, const char* color, int weight)
{
    if (!label)
        return;
    label->setVisible(!text.isEmpty());
    label->setText(Util::GetFormatString(text, GetLangFontFamily(FONT_NORMAL), QLatin1String(color), 16, weight));
}

QLabel* MakeTextLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setFixedWidth(510);
    return label;
}

} // namespace

CMessageBox::CMessageBox(int type, QWidget* parent, QString buttonText, QString title, int titleStyle)
    : QDialog(parent), type_(type), titleStyle_(titleStyle), buttonText_(std::move(buttonText))
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(640, 280);
    SetWindowGround(this);
    InitUI(title);
}

void CMessageBox::InitUI(const QString& title)
{
    auto* titleBar = new CFixTitleBase(titleStyle_, 1, this);
    titleBar->slotSetShowFlags(TITLE_SHOW_TITLE | TITLE_SHOW_CLOSE);
    titleBar->SetTitle(title);

    auto* icon = new QLabel(this);
    icon->setFixedSize(54, 54);
    icon->setPixmap(CachedPicture(Util::getDravielsResFullPath(IconName(type_))));

    titleLabel_ = MakeTextLabel(this);
    contentLabel_ = MakeTextLabel(this);
    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(0);
    texts->addWidget(titleLabel_);
    texts->addSpacing(8);
    texts->addWidget(contentLabel_);
    texts->addStretch();

    auto* content = new QHBoxLayout;
    content->setContentsMargins(32, 32, 32, 0);
    content->setSpacing(0);
    content->addWidget(icon, 0, Qt::AlignVCenter);
    content->addSpacing(12);
    content->addLayout(texts);
    content->addStretch();

    const QString text = !buttonText_.isEmpty()            ? buttonText_
                         : type_ == MSGBOX_RESULT_VIEW ? tr("View")
                                                           : tr("OK");
    fixLogButton_ = new QPushButton(tr("Fixing Logs"), this);
    fixLogButton_->setObjectName(QStringLiteral("viewfixlogbtn"));
    fixLogButton_->hide();
    mainButton_ = new QPushButton(text, this);
    busyButton_ = new CWaitButton(text, this);
    busyButton_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 32, 32);
    buttons->setSpacing(10);
    buttons->addStretch();
    buttons->addWidget(fixLogButton_);
    buttons->addWidget(mainButton_);
    buttons->addWidget(busyButton_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(titleBar);
    column->addLayout(content);
    column->addStretch();
    column->addLayout(buttons);

    connect(mainButton_, &QPushButton::released, this, &CMessageBox::slotBtnClicked);
    connect(busyButton_, &CWaitButton::sigReleased, this, &CMessageBox::slotBtnClicked);
    connect(fixLogButton_, &QPushButton::clicked, this, &CMessageBox::slotBtnClicked);
}

void CMessageBox::SetText(const QString& title, const QString& content)
{
    SetLabelText(titleLabel_, title, "#c6d6f0", 600);
    SetLabelText(contentLabel_, content, "#6f788b", 400);
}

void CMessageBox::SetEventWindow(std::string name)
{
    eventWindow_ = std::move(name);
}

void CMessageBox::ShowFixLogButton(bool show)
{
    if (fixLogButton_)
        fixLogButton_->setVisible(show);
}

void CMessageBox::slotBtnClicked()
{
    if (fixLogButton_ && sender() == fixLogButton_)
        emit sigView1Clicked();
    else
        emit sigClicked();
    accept();
}

void CMessageBox::closeEvent(QCloseEvent* event)
{
    if (!eventWindow_.empty())
        SendInfoEvent(eventWindow_.c_str(), "Click_Close", nullptr, nullptr);
    QDialog::closeEvent(event);
}

void CMessageBox::paintEvent(QPaintEvent* event)
{
    if (!event->isAccepted())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(QStringLiteral("#272d3b")));
    painter.drawRoundedRect(rect(), 12, 12);
}
