#include "MsgBox.h"

#include "CheckBox.h"
#include "FrameTitle.h"
#include "IndexBtn.h"
#include "ResPicture.h"
#include "common/WindowGround.h"

#include <QCloseEvent>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

const char kBoxStyle[] =
    "QLabel#jexMesTitleLable { color: #c6d6f0; font-size: 16px; font-weight: 600; background: transparent; }"
    "QLabel#jexMesConteLable { color: #8f9ab3; font-size: 14px; background: transparent; }"
    "CCheckBox#jexMsgCheckBox { color: #8f9ab3; }";

// The box's body, and the room its drop shadow takes around it where the desktop shows it.
constexpr int kBodyWidth = 640;
constexpr int kBodyMinHeight = 280;
constexpr int kShadow = 10;
constexpr int kBodyMargin = 22;

QString IconImage(int kind)
{
    switch (kind) {
    case CMsgBox::IconInfo:
        return QStringLiteral("iconInfo.png");
    case CMsgBox::IconAlert:
        return QStringLiteral("ico_alert.png");
    case CMsgBox::IconError:
        return QStringLiteral("iconError.png");
    default:
        return QString();
    }
}

// The first of several buttons is the cautious choice: outlined instead of filled.
CBtnStyle OutlinedStyle()
{
    CBtnStyle style;
    style.textColors = {QColor("#1be1d0"), QColor("#1bffeb"), QColor("#1db1a4"), QColor("#46494d")};
    style.borderColors = style.textColors;
    style.bgColors.fill(Qt::transparent);
    style.borderWidth = 1;
    return style;
}

QLabel* TextLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setMinimumWidth(480);
    return label;
}

} // namespace

CMsgBox::CMsgBox(QWidget* parent) : QDialog(parent), shadow_(ShadowMargin(kShadow))
{
    SetWindowGround(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint);
    setFixedWidth(kBodyWidth + 2 * shadow_);
    setMinimumHeight(kBodyMinHeight + 2 * shadow_);
    setObjectName(QStringLiteral("Jexmessagebox"));
    setStyleSheet(QLatin1String(kBoxStyle));

    titleBar_ = new CFrameTitle(this);
    titleBar_->ShowIcon(false);
    titleBar_->setFixedSize(kBodyWidth, 48);
    connect(titleBar_, &CFrameTitle::TitleBtnClicked, this, &CMsgBox::TitleBtnClick);

    icon_ = new QLabel(this);
    title_ = TextLabel("jexMesTitleLable", this);
    content_ = TextLabel("jexMesConteLable", this);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->addWidget(title_);
    texts->addSpacing(8);
    texts->addWidget(content_);

    auto* upper = new QHBoxLayout;
    upper->setSpacing(0);
    upper->addWidget(icon_, 0, Qt::AlignTop);
    upper->addSpacing(12);
    upper->addLayout(texts);
    upper->addStretch();

    checkRow_ = new QHBoxLayout;
    buttonRow_ = new QHBoxLayout;
    buttonRow_->setSpacing(12);
    auto* lower = new QHBoxLayout;
    lower->setSpacing(0);
    lower->addLayout(checkRow_);
    lower->addStretch();
    lower->addLayout(buttonRow_);

    auto* body = new QVBoxLayout;
    // The body's own margin inside the room of the shadow.
    const int margin = kBodyMargin + shadow_;
    body->setContentsMargins(margin, margin, margin, margin);
    body->setSpacing(0);
    body->addLayout(upper);
    body->addStretch();
    body->addLayout(lower);

    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->setContentsMargins(0, shadow_, 0, 0);
    outer->addWidget(titleBar_, 0, Qt::AlignHCenter);
    outer->addLayout(body);

    if (shadow_) {
        auto* shadow = new QGraphicsDropShadowEffect(this);
        shadow->setOffset(0, 0);
        shadow->setColor(QColor(0, 0, 0, 127));
        shadow->setBlurRadius(kShadow);
        setGraphicsEffect(shadow);
    }
}

int CMsgBox::ShowMsg(QWidget* parent, int iconKind, QString caption, QString title, QString content,
                     QStringList buttons)
{
    return ShowCheckMsg(parent, iconKind, caption, title, content, buttons, nullptr);
}

int CMsgBox::ShowCheckMsg(QWidget* parent, int iconKind, QString caption, QString title, QString content,
                          QStringList buttons, CCheckBox* checkBox)
{
    // Modal to the whole window the caller sits in, not just to an inner widget of it.
    QPointer<CMsgBox> box = new CMsgBox(parent ? parent->window() : nullptr);
    QList<CIndexBtn*> indexBtns;
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = new CIndexBtn(i, buttons.at(i), box);
        if (buttons.size() >= 2 && i == 0)
            button->SetBtnStyle(OutlinedStyle());
        indexBtns.append(button);
    }
    box->setModal(true);
    box->SetIcon(iconKind);
    box->SetText(caption, title, content);
    if (checkBox)
        box->AddCheckBox(checkBox);
    box->AddButtons(indexBtns);
    if (parent)
        box->move(parent->mapToGlobal(QPoint(70, -10)));

    const int result = box->exec();
    // A box destroyed with its parent window while it ran was answered by no button.
    if (!box)
        return kClosed;
    delete box;
    return result;
}

void CMsgBox::SetIcon(int kind)
{
    const QString image = IconImage(kind);
    if (image.isEmpty()) {
        icon_->hide();
        return;
    }
    icon_->setPixmap(ResPicture(image));
    icon_->show();
}

void CMsgBox::SetText(const QString& caption, const QString& title, const QString& content)
{
    titleBar_->SetTitle(caption);
    title_->setText(title);
    title_->setVisible(!title.isEmpty());
    content_->setContentsMargins(0, title.isEmpty() ? 5 : 0, 0, 0);
    content_->setText(content);
    content_->setVisible(!content.isEmpty());
}

void CMsgBox::AddCheckBox(CCheckBox* checkBox)
{
    if (!checkBox)
        return;
    checkBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    checkBox->setObjectName(QStringLiteral("jexMsgCheckBox"));
    checkRow_->addWidget(checkBox);
    checkBox_ = checkBox;
}

void CMsgBox::AddButtons(const QList<CIndexBtn*>& buttons)
{
    for (CIndexBtn* button : buttons) {
        if (!button)
            continue;
        buttonRow_->addWidget(button);
        button->setFixedWidth(120);
        connect(button, &CIndexBtn::clicked, this, &CMsgBox::onBtnClicked);
    }
}

void CMsgBox::onBtnClicked()
{
    const auto* button = qobject_cast<CIndexBtn*>(sender());
    if (!button)
        return;
    result_ = button->GetId();
    if (checkBox_ && result_ != kClosed && checkBox_->checkState() == Qt::Checked)
        result_ |= 1 << 16;
    done(result_);
}

void CMsgBox::TitleBtnClick(int)
{
    done(kClosed);
}

void CMsgBox::reject()
{
    done(kClosed);
}

void CMsgBox::closeEvent(QCloseEvent* event)
{
    done(kClosed);
    QDialog::closeEvent(event);
}

void CMsgBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor("#272d3b"));
    painter.drawRoundedRect(rect().adjusted(shadow_, shadow_, -shadow_, -shadow_), 12, 12);
    painter.end();
    QDialog::paintEvent(event);
}
