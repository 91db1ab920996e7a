#include "UIMakeSureDlg.h"

#include "Paneforge/BPEllipsisGifLabel.h"
#include "Paneforge/BPLabel.h"
#include "common/WindowGround.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int LABEL_WIDTH = 504;

} // namespace

CUIMakeSureDlg::CUIMakeSureDlg(int, const QString& title, const QString& content, const QMap<int, QString>& buttons,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    SetWindowGround(this);
    setObjectName(QStringLiteral("CUIMakeSureDlg"));
    setFixedSize(380, 180);

    m_icon = new QLabel(this);
    m_title = new CBPLabel(title, QColor(QStringLiteral("#2c364c")), 12, this);
    m_title->setObjectName(QStringLiteral("CUIMakeSureDlgTitle"));
    m_content = new CBPLabel(content, QColor(QStringLiteral("#2c364c")), 12, this);
    m_content->setObjectName(QStringLiteral("CUIMakeSureDlgContent"));
    for (CBPLabel* label : {m_title, m_content}) {
        label->setFixedWidth(LABEL_WIDTH);
        label->setWordWrap(true);
    }
    m_dots = new CBPEllipsisGifLabel(3, this);

    auto* main = new QHBoxLayout(this);
    main->setSpacing(15);
    main->setContentsMargins(48, 48, 48, 30);
    auto* left = new QVBoxLayout();
    left->addWidget(m_icon);
    left->addStretch();
    auto* right = new QVBoxLayout();
    auto* titleRow = new QHBoxLayout();
    titleRow->addWidget(m_title);
    auto* contentRow = new QHBoxLayout();
    contentRow->setSpacing(0);
    contentRow->addWidget(m_content);
    contentRow->addWidget(m_dots);
    auto* buttonRow = new QHBoxLayout();
    buttonRow->setSpacing(16);
    buttonRow->addStretch();
    const int highest = buttons.isEmpty() ? 0 : buttons.lastKey();
    for (auto it = buttons.constBegin(); it != buttons.constEnd(); ++it) {
        auto* button = new QPushButton(it.value(), this);
        button->setObjectName(it.key() == highest ? QStringLiteral("2") : QStringLiteral("1"));
        connect(button, &QPushButton::clicked, this, &CUIMakeSureDlg::BtnClickSlot);
        buttonRow->addWidget(button);
        m_buttons.insert(it.key(), button);
    }
    right->addLayout(titleRow);
    right->addLayout(contentRow);
    right->addStretch();
    right->addLayout(buttonRow);
    main->addLayout(left);
    main->addLayout(right);
}

int CUIMakeSureDlg::RunModal()
{
    m_result = -1;
    if (parentWidget() && parentWidget()->isVisible())
        exec();
    return m_result;
}

void CUIMakeSureDlg::SetContent(const QString& content)
{
    m_content->setText(content);
    adjustSize();
}

void CUIMakeSureDlg::SetButtonText(int id, const QString& text)
{
    if (QPushButton* button = m_buttons.value(id))
        button->setText(text);
}

void CUIMakeSureDlg::ShowDots(bool show)
{
    if (show)
        m_dots->ShowGifLable();
    else
        m_dots->HideGifLable();
}

void CUIMakeSureDlg::BtnClickSlot()
{
    for (auto it = m_buttons.constBegin(); it != m_buttons.constEnd(); ++it) {
        if (it.value() != sender())
            continue;
        emit BtnClicked(it.key());
        m_result = it.key();
        break;
    }
    done(0);
}

void CUIMakeSureDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void CUIMakeSureDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(QStringLiteral("#eef2f7")));
    painter.drawRoundedRect(rect(), 4, 4);
}
