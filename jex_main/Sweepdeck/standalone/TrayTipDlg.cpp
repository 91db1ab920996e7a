#include "TrayTipDlg.h"

#include "kit/CheckBox.h"
#include "kit/KitFont.h"
#include "kit/PushButton.h"
#include "kit/ResPicture.h"
#include "largefile/DiskWidget.h"
#include "services/UIPublic.h"

#include "platform/win/WindowManager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 460;
constexpr int kJunkHeight = 200;
constexpr int kDiskHeight = 260;
constexpr int kJunkBand = 80;
constexpr int kDiskBand = 145;
constexpr int kLargestTextPixels = 14;
constexpr int kSmallestTextPixels = 10;
constexpr int kJunkPage = 2;
constexpr int kDiskPage = 5;
constexpr int kCopyDataPage = 1;
const QColor kBandFill(226, 239, 255);
const QColor kBandLine(221, 221, 221);

// The largest size from 14 pixels down at which the text fits the tip's width, 10 at the least.
QFont FittingFont(const QFont& base, const QString& text)
{
    QFont font = base;
    for (int pixels = kLargestTextPixels; pixels > kSmallestTextPixels; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) + 20 <= kWidth)
            return font;
    }
    font.setPixelSize(kSmallestTextPixels);
    return font;
}

} // namespace

CTrayTipDlg::CTrayTipDlg(quint64, QWidget* parent, Qt::WindowFlags flags) : CTrayTipDlg(true, nullptr)
{
    if (parent)
        setParent(parent, windowFlags() | flags);
}

CTrayTipDlg::CTrayTipDlg(IBigFileCatagory* catagory, QWidget* parent, Qt::WindowFlags flags)
    : CTrayTipDlg(false, catagory)
{
    if (parent)
        setParent(parent, windowFlags() | flags);
}

CTrayTipDlg::CTrayTipDlg(bool junk, IBigFileCatagory* catagory) : QDialog(nullptr), junkTip(junk)
{
    setWindowFlags(Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Orvane Zelmar"));
    setWindowIcon(ResIcon(QStringLiteral("48_48_8.ico")));
    const QFont font = KitFont(this->font(), 14);

    auto* heading = new QLabel(junk ? tr("<b>Some junk files found on your system.</b>")
                                    : tr("<b>Available space on your hard disk is small.</b>"));
    heading->setTextFormat(Qt::RichText);
    heading->setWordWrap(true);
    heading->setFont(font);
    const QString text = junk ? tr("We recommend you to clean the junk files to improve the system performance.")
                              : tr("You can quickly optimize the hard disk by Cleanup and Optimization feature.");
    auto* body = new QLabel(text);
    body->setWordWrap(true);
    body->setFont(FittingFont(font, text));
    for (QLabel* label : {heading, body})
        label->setStyleSheet(QStringLiteral("color:#1b1f28;"));

    setFixedSize(kWidth, junk ? kJunkHeight : kDiskHeight);
    acceptButton = new CPushButton(junk ? tr("Clean Now") : tr("Optimize Now"));
    cancelButton = new CPushButton(tr("No, thanks"));
    for (CPushButton* button : {acceptButton, cancelButton}) {
        CBtnStyle style = button->GetBtnStyle();
        style.borderWidth = 3;
        button->SetBtnStyle(style);
        button->setFixedSize(140, 40);
    }
    connect(acceptButton, &CPushButton::clicked, this, &CTrayTipDlg::onShowCleanup);
    connect(cancelButton, &CPushButton::clicked, this, &CTrayTipDlg::onCancel);

    checkBox = new CCheckBox(tr("Don't show this message again"));
    checkBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    connect(checkBox, &CCheckBox::stateChanged, this, &CTrayTipDlg::onStateChanged);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 5, 0, 0);
    buttons->addStretch();
    buttons->addWidget(acceptButton);
    buttons->addSpacing(10);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(checkBox, 1, Qt::AlignLeft | Qt::AlignVCenter);

    auto* column = new QVBoxLayout(this);
    column->addWidget(heading);
    column->addSpacing(5);
    column->addWidget(body);
    if (junk) {
        column->addSpacing(40);
    } else {
        column->addStretch();
        auto* tile = new CDiskWidget(false);
        tile->SetCatagory(catagory);
        column->addWidget(tile);
        column->addStretch();
    }
    column->addLayout(buttons);
    column->addStretch();
    column->addLayout(checkRow);
    setMinimumWidth(440);
}

void CTrayTipDlg::PlaceAndShow()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect full = screen ? screen->geometry() : QRect(0, 0, 1280, 900);
    const QRect available = screen ? screen->availableGeometry() : full;
    const QStyle* style = QApplication::style();
    const int caption = style->pixelMetric(QStyle::PM_TitleBarHeight);
    const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
    const int w = width();
    const int h = height();
    int x = 0;
    int y = 0;
    if (full.width() == available.width()) {
        y = available.top() > 0 ? available.top() : available.top() + available.height() - h - caption - frame;
        x = available.left() + available.width() - w - frame;
    } else {
        y = available.top() + available.height() - h - caption - frame;
        x = available.left() > 0 ? available.left() : available.left() + available.width() - w - frame;
    }
    move(x, y);
    show();
}

void CTrayTipDlg::SaveNotShow(bool notShow)
{
    CUIPublic::SetUserSetting(QStringLiteral("notshowTip"), notShow);
    if (notShow)
        CUIPublic::DeleteAutoRun();
}

void CTrayTipDlg::onShowCleanup()
{
    hide();
    emit showCleanup(junkTip ? kJunkPage : kDiskPage);
    SaveNotShow(checkBox->isChecked());
}

void CTrayTipDlg::onCancel()
{
    hide();
    SaveNotShow(checkBox->isChecked());
}

void CTrayTipDlg::onStateChanged(int nState)
{
    if (nState == Qt::Checked) {
        SaveNotShow(true);
        emit exitApp();
    }
}

void CTrayTipDlg::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(kBandLine);
    painter.setBrush(kBandFill);
    painter.drawRect(QRect(0, 0, width() - 1, junkTip ? kJunkBand : kDiskBand));
    QDialog::paintEvent(event);
}

void CTrayTipDlg::closeEvent(QCloseEvent* event)
{
    hide();
    event->ignore();
    SaveNotShow(checkBox->isChecked());
}

bool CTrayTipDlg::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    if (eventType == "windows_generic_MSG" && message && static_cast<MSG*>(message)->message == WM_COPYDATA)
        emit showCleanup(kCopyDataPage);
    return QDialog::nativeEvent(eventType, message, result);
}
