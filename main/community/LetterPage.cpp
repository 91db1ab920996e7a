#include "LetterPage.h"

#include "FixPageId.h"
#include "Language.h"

#include <QBoxLayout>

namespace {

QString Paragraph(int indent, const QString& family, const QString& text)
{
    return QStringLiteral("<p style = \"line-height: 22px;line-height: 22px; text-indent:%1px;margin-top:0px; "
                          "margin-bottom:0px; font-family:%2; font-size:16px;color:#6f788b\">%3</p>")
        .arg(QString::number(indent), family, text);
}

} // namespace

CLetterPage::CLetterPage(QWidget* parent) : CFixPageBase(PAGE_LETTER, parent, 12, false, false, true, true)
{
    BuildPage();
    setFixedHeight(330);
    setFixedWidth(640);
    setBrush(QBrush(QColor(QStringLiteral("#272d3b")), Qt::SolidPattern));
}

void CLetterPage::BuildPage()
{
    title_ = new QLabel(this);
    letter_ = new QTextEdit(this);

    letter_->setObjectName(QStringLiteral("LetterTextExit"));
    letter_->setReadOnly(true);
    letter_->setEnabled(false);
    letter_->setContextMenuPolicy(Qt::NoContextMenu);
    letter_->setFocusPolicy(Qt::NoFocus);
    letter_->setMinimumWidth(520);
    letter_->setWordWrapMode(QTextOption::WordWrap);
    letter_->setAcceptRichText(true);

    title_->setText(
        QStringLiteral("<font style=\"font-family:%1; font-size:20px; font-weight:700; color:#c6d6f0;\">%2</font>")
            .arg(QStringLiteral("segoe UI"), tr("A Letter from Product Manager")));

    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(65, 0, 65, 0);
    column->addWidget(title_, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    column->addWidget(letter_, 0, Qt::AlignHCenter);

    letter_->setHtml(LetterText());
}

QString CLetterPage::LetterText() const
{
    const QString family = GetLangFontFamily(FONT_NORMAL);
    const QStringList paragraphs = {
        tr("Dear user,"),
        tr("We really appreciate your interest in our product."),
        tr("Quarnel is a multi-tool in beta, made by a team that works on data security, computer performance "
           "and user privacy. Its interface and features are still simple, and we would like to grow them "
           "together with you."),
        tr("We are really enthusiastic about you're joining the Quarnel. Let's work together as a team to develop "
           "a wonderful product which can really solve your problems."),
        tr("Just sign up, then tell us what problems you'd like to solve."),
        QStringLiteral("<font style=\"font-family:segoe UI; font-size:16px; font-weight:500; color:#c6d6f0;\">%1</font>%2")
            .arg(tr("Top 10000"), tr(" participants will enjoy lifetime free usage of Quarnel.")),
    };
    QString text;
    for (int i = 0; i < paragraphs.size(); ++i)
        text += Paragraph(i == 0 ? 0 : 30, family, paragraphs.at(i));
    return text;
}
