#include "AppStyleSheet.h"

#include "platform/Machine.h"

#include <QFile>

QString ReadAppStyleSheet(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return {};
    const std::wstring path = programFolder.toStdWString() + L"\\res\\StyleSheet.css";
    QFile sheet(QString::fromStdString(platform::HostPath(path)));
    if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(sheet.readAll());
}
