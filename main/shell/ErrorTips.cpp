#include "ErrorTips.h"

#include "Language.h"
#include "Paneforge/Util.h"
#include "common/MachinePicture.h"

#include <QBoxLayout>

namespace {

enum { KIND_ERROR = 0, KIND_INFO = 1 };

} // namespace

CErrorTips::CErrorTips(int kind, QWidget* parent, int minWidth, int minHeight)
    : QWidget(parent), kind_(kind), icon_(new QLabel(this)), text_(new QLabel(this))
{
    if (kind_ == KIND_ERROR) {
        icon_->setPixmap(CachedPicture(Util::getDravielsResFullPath(QStringLiteral("ico_tishi_failure.png"))));
        icon_->setContentsMargins(0, 1, 0, 0);
    } else if (kind_ == KIND_INFO) {
        icon_->setPixmap(CachedPicture(Util::getDravielsResFullPath(QStringLiteral("ico_tishi_lan.png"))));
    }
    text_->setMinimumSize(minWidth, minHeight);
    text_->setStyleSheet(QStringLiteral("border:none;background:transparent;"));
    text_->setWordWrap(true);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(icon_, 0, Qt::AlignTop);
    row->addSpacing(2);
    row->addWidget(text_);
    row->addStretch();
}

void CErrorTips::SetText(const QString& text)
{
    if (!text_ || (kind_ != KIND_ERROR && kind_ != KIND_INFO))
        return;
    const QString color = kind_ == KIND_ERROR ? QStringLiteral("#e02020") : QStringLiteral("#0092ff");
    text_->setText(Util::GetFormatString(text, GetLangFontFamily(FONT_NORMAL), color, 12, 400));
}

void CErrorTips::SetTextWidth(int width)
{
    if (text_)
        text_->setFixedWidth(width);
}
