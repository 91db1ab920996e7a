#include "ScanPrompt.h"

#include "HtmlText.h"

#include "kit/KitFont.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

const char kTextColour[] = "#8f9ab3";
constexpr int kTextSize = 14;

QLabel* MakeLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFont(KitFont(label->font(), 12));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(74, 74, 74));
    label->setPalette(palette);
    return label;
}

} // namespace

QString DriveLetterOf(const QString& path)
{
    const QString longPrefix = QStringLiteral("\\\\?\\");
    const QString plain = path.startsWith(longPrefix) ? path.mid(longPrefix.size()) : path;
    if (plain.size() >= 2 && plain[1] == QLatin1Char(':'))
        return plain.left(1);
    return path.left(1);
}

CScanPrompt::CScanPrompt() : driveLabel(MakeLabel(this)), folderLabel(MakeLabel(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(driveLabel);
    layout->addWidget(folderLabel);
    layout->addStretch();
}

void CScanPrompt::SetFolder(const wchar_t* path, bool reset)
{
    if (reset || !path) {
        driveLabel->clear();
        folderLabel->clear();
        update();
        return;
    }
    const QString folder = QString::fromWCharArray(path);
    const QFontMetrics metrics(KitFont(font(), kTextSize));
    const QString drive = tr("Scanning the large file on the disk (%1:)").arg(DriveLetterOf(folder));
    driveLabel->setText(HtmlText(metrics.elidedText(drive, Qt::ElideMiddle, driveLabel->width() - 2).toHtmlEscaped(),
                                 kTextColour, kTextSize, 400));
    folderLabel->setText(HtmlText(metrics.elidedText(folder, Qt::ElideRight, folderLabel->width() - 2).toHtmlEscaped(),
                                  kTextColour, kTextSize, 400));
    update();
}
