#include "PageTitle.h"

#include "KitFont.h"
#include "ProgressBar.h"
#include "ResPicture.h"
#include "Widget.h"

#include "common/VisibleOnChange.h"

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

// The gap under the title row, and the row's least height: the kit's buttons are 32 high.
constexpr int kUpperBottomMargin = 32;
constexpr int kTitleRowHeight = 32;

// The height the record leaves for the title row and the gap below it.
int InnerHeight(const PageTitleInfo& info) { return info.height - info.margins.top() - info.margins.bottom(); }

// A slim header keeps its height: the gap below the title row gives way to the row's buttons.
int BottomGap(const PageTitleInfo& info) { return qBound(0, InnerHeight(info) - kTitleRowHeight, kUpperBottomMargin); }

// ...and the icon shrinks to the row instead of growing the header.
QPixmap FittedIcon(const QPixmap& icon, const PageTitleInfo& info)
{
    const int room = InnerHeight(info) - BottomGap(info);
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

    upper_ = new QVBoxLayout;
    upper_->setContentsMargins(0, 0, 0, kUpperBottomMargin);
    upper_->addStretch();
    upper_->addLayout(navRow_);
    upper_->addWidget(mainRow);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(upper_);
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
    upper_->setContentsMargins(0, 0, 0, BottomGap(info_));

    if (!info_.iconPath.isEmpty())
        icon_->setPixmap(FittedIcon(LoadPicture(info_.iconPath), info_));
    SetVisibleOnChange(icon_, !info_.iconPath.isEmpty());

    progress_->SetProgress(info_.progress);
    const bool busy = progress_->GetProgress() > 0;
    progress_->setFixedHeight(busy ? 4 : 0);
    SetVisibleOnChange(progress_, busy);

    for (QLabel* label : {title_, description_})
        label->setFont(KitFont(label->font(), info_.titleFontPixelSize));
    title_->setText(info_.title);
    description_->setText(info_.description);
    SetVisibleOnChange(description_, !info_.description.isEmpty());

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
