#include "PageTitle.h"

#include "KitFont.h"
#include "ProgressBar.h"
#include "ResPicture.h"
#include "Widget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Plain texts must stay readable on the dark header; pages colour their rich texts themselves.
const QColor kHeaderText("#c6d6f0");

QLabel* HeaderLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kHeaderText);
    label->setPalette(palette);
    return label;
}

// The gap under the title row that the header always keeps.
constexpr int kUpperBottomMargin = 32;

// A slim header keeps its height: the icon shrinks to the title row instead.
QPixmap FittedIcon(const QPixmap& icon, const PageTitleInfo& info)
{
    const int room = info.height - info.margins.top() - info.margins.bottom() - kUpperBottomMargin;
    if (icon.isNull() || room <= 0 || icon.height() <= room)
        return icon;
    return icon.scaledToHeight(room, Qt::SmoothTransformation);
}

} // namespace

CPageTitle::CPageTitle(PageTitleInfo* info, QWidget* parent) : QWidget(parent)
{
    progress_ = new CProgressBar(this);
    progress_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    icon_ = new QLabel(this);
    // The texts take the width the icon does not need, so they stand right beside it.
    icon_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    title_ = HeaderLabel(this);
    description_ = HeaderLabel(this);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->addStretch();
    texts->addWidget(description_);
    texts->addSpacing(8);
    texts->addWidget(title_);
    texts->addStretch();

    auto* titleArea = new QWidget(this);
    titleArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* titleRow = new QHBoxLayout(titleArea);
    titleRow->setSpacing(0);
    titleRow->setContentsMargins(40, 0, 0, 0);
    titleRow->addWidget(icon_, 0, Qt::AlignVCenter);
    titleRow->addSpacing(12);
    titleRow->addLayout(texts);

    auto* funcArea = new QWidget(this);
    funcRow_ = new QHBoxLayout(funcArea);
    funcRow_->setContentsMargins(0, 0, 0, 0);

    auto* mainRow = new QWidget(this);
    mainRow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* mainLayout = new QHBoxLayout(mainRow);
    mainLayout->setContentsMargins(0, 0, 40, 0);
    mainLayout->addWidget(titleArea);
    mainLayout->addWidget(funcArea);

    navRow_ = new QHBoxLayout;
    navRow_->setSpacing(0);
    navRow_->setContentsMargins(8, 0, 0, 0);

    auto* upper = new QVBoxLayout;
    upper->setContentsMargins(0, 0, 0, kUpperBottomMargin);
    upper->addStretch();
    upper->addLayout(navRow_);
    upper->addWidget(mainRow);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(upper);
    column->addWidget(progress_);

    PageTitleInfo defaults;
    SetTitleInfo(info ? info : &defaults);
}

void CPageTitle::SetTitleInfo(PageTitleInfo* info)
{
    if (!info)
        return;
    info_ = *info;
    setFixedHeight(info_.height);
    setContentsMargins(info_.margins);

    if (info_.iconPath.isEmpty()) {
        icon_->hide();
    } else {
        icon_->setPixmap(FittedIcon(LoadPicture(info_.iconPath), info_));
        icon_->show();
    }

    progress_->SetProgress(info_.progress);
    const bool busy = progress_->GetProgress() > 0;
    progress_->setFixedHeight(busy ? 4 : 0);
    progress_->setVisible(busy);

    for (QLabel* label : {title_, description_})
        label->setFont(KitFont(label->font(), info_.titleFontPixelSize));
    title_->setText(info_.title);
    description_->setText(info_.description);
    description_->setVisible(!info_.description.isEmpty());

    update();
    progress_->update();
}

void CPageTitle::AddNavBtn(QWidget* button)
{
    if (button)
        navRow_->addWidget(button, 0, Qt::AlignLeft | Qt::AlignVCenter);
}

void CPageTitle::AddFuncBtn(QWidget* button, int stretch, Qt::Alignment align)
{
    if (button)
        funcRow_->addWidget(button, stretch, align);
}

void CPageTitle::paintEvent(QPaintEvent*)
{
    FillBackground(this, info_.background);
}
