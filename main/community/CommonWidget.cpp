#include "CommonWidget.h"

#include "Language.h"

#include "Paneforge/Util.h"

#include <QBoxLayout>

CCommonWidget::CCommonWidget(QWidget* parent) : CRoundedRectBase(12, parent, false, false, true, false)
{
    setFixedSize(270, 330);
    setObjectName(QStringLiteral("Quarnel_Login_right"));
    setBrush(QBrush(Qt::transparent, Qt::SolidPattern));
    setAttribute(Qt::WA_TranslucentBackground);

    const QString family = GetLangFontFamily(FONT_NORMAL);
    const QString dim = QStringLiteral("#6f788b");
    const QString bright = QStringLiteral("#c6d6f0");

    greeting_ = new QLabel(Util::GetFormatString(tr("Hello! Friend!"), family, bright, 20, 600), this);
    greeting_->setAlignment(Qt::AlignHCenter);

    invitation_ = new QLabel(this);
    invitation_->setWordWrap(true);
    invitation_->setAlignment(Qt::AlignHCenter);
    invitation_->setText(Util::GetFormatString(tr("Welcome to Beta testing community!<br>"), family, dim, 14, 400)
                         + Util::GetFormatString(tr("Top 10000"), family, bright, 14, 700)
                         + Util::GetFormatString(tr(" participants will enjoy lifetime free usage of Quarnel."),
                                                 family, dim, 14, 400));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 30, 20, 0);
    column->setSpacing(0);
    column->addWidget(greeting_);
    column->addSpacing(45);
    column->addWidget(invitation_);
    column->addStretch();
}
