#include "FixPageTop.h"

#include "FixPageId.h"
#include "Language.h"
#include "Paneforge/Util.h"
#include "common/MachinePicture.h"

#include <QBoxLayout>
#include <QPixmap>

namespace {

const char kTextColor[] = "#c6d6f0";

QString IconObjectName(int pageType)
{
    switch (pageType) {
    case PAGE_WRITE_PROTECTION: return QStringLiteral("Quarnel_WriteProtection");
    case PAGE_WINDOWS_UPDATE: return QStringLiteral("Quarnel_WindowUpdate");
    case PAGE_FILE_SHOWING: return QStringLiteral("Quarnel_FileFix");
    default: return QString();
    }
}

} // namespace

CFixPageTop::CFixPageTop(int pageType, QPointer<QPushButton> button, QWidget* parent)
    : CRoundedRectBase(0, parent, false, false, false, false), button_(button), pageType_(pageType)
{
    setBrush(QColor(QStringLiteral("#1c202a")));
    setFixedSize(800, 120);
    icon_ = new QLabel(this);
    title_ = new QLabel(this);
    description_ = new QLabel(this);
    if (button_)
        BuildLayout();
}

void CFixPageTop::BuildLayout()
{
    icon_->setObjectName(IconObjectName(pageType_));
    icon_->setFixedSize(56, 56);
    description_->setWordWrap(true);
    description_->setFixedWidth(516);

    auto* texts = new QVBoxLayout();
    texts->setContentsMargins(0, 32, 0, 0);
    texts->setSpacing(0);
    texts->addWidget(title_);
    texts->addSpacing(8);
    texts->addWidget(description_);
    texts->addStretch();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(40, 0, 40, 0);
    row->setSpacing(0);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addSpacing(12);
    row->addLayout(texts);
    row->addStretch();
    row->addWidget(button_);
}

void CFixPageTop::SetIcon(const QString& name)
{
    if (icon_ && !name.isEmpty())
        icon_->setPixmap(CachedPicture(Util::getDravielsResFullPath(name)));
}

void CFixPageTop::SetTitle(const QString& title, const QString& text)
{
    if (!title_ || !description_ || title.isEmpty() || text.isEmpty())
        return;
    const QString family = GetLangFontFamily(FONT_NORMAL);
    title_->setText(Util::GetFormatString(title, family, QString::fromLatin1(kTextColor), 20, 700));
    description_->setText(Util::GetFormatString(text, family, QString::fromLatin1(kTextColor), 16, 400));
}

void CFixPageTop::SetButtonText(const QString& text)
{
    if (button_ && !text.isEmpty())
        button_->setText(text);
}
