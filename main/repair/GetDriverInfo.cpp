#include "GetDriverInfo.h"

#include "DiskHelper.h"
#include "MountedVolumes.h"

#include "common/InfoAttribute.h"
#include "common/SendInfo.h"
#include "common/WriteLog.h"
#include "platform/Windows.h"

#include <QMutexLocker>

#include <string>

namespace {

constexpr double BYTES_PER_GB = 1073741824.0;

enum class BusKind { Internal, Removable, Unlisted };

BusKind KindOfBus(int busType)
{
    switch (busType) {
    case BusTypeScsi:
    case BusTypeAtapi:
    case BusTypeAta:
    case BusTypeRAID:
    case BusTypeSas:
    case BusTypeSata:
    case BusTypeNvme: return BusKind::Internal;
    case BusTypeUsb:
    case BusTypeSd: return BusKind::Removable;
    default: return BusKind::Unlisted;
    }
}

QString SystemDrive()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    const QString path = QString::fromWCharArray(folder, length < MAX_PATH ? static_cast<int>(length) : 0);
    const int colon = path.indexOf(QLatin1Char(':'));
    return colon < 0 ? path : path.left(colon + 1);
}

// "\"USB<n>\": [\"<description>\", \"<size> GB\"]" for one disk; the description is escaped so
// that the report stays valid JSON whatever the disk calls itself.
std::string UsbEntry(int diskNo)
{
    uint64_t size = 0;
    std::string description;
    if (CDiskHelper::GetDiskInfoByID(diskNo, size, description) < 0) {
        size = 0;
        description.clear();
    }
    const QString localDescription = QString::fromLocal8Bit(description.c_str());
    const QString gigabytes = QString::number(static_cast<double>(size) / BYTES_PER_GB, 'f', 2);
    return "\"USB" + std::to_string(diskNo) + "\": [" + JsonQuote(localDescription.toStdString()) + ", \"" +
           gigabytes.toStdString() + " GB\"]";
}

} // namespace

CGetDriverInfo::CGetDriverInfo() = default;

CGetDriverInfo::~CGetDriverInfo() = default;

CGetDriverInfo* CGetDriverInfo::GetInstance()
{
    static CGetDriverInfo instance;
    return &instance;
}

QList<S_DRIVE_INFO> CGetDriverInfo::GetDriverList(bool refresh)
{
    QMutexLocker lock(&m_mutex);
    if (refresh)
        m_listDrive.clear();
    if (m_listDrive.isEmpty()) {
        const QList<int> removable = FillList();
        if (!removable.isEmpty())
            ReportRemovableDisks(removable, refresh);
    }
    return m_listDrive;
}

QList<int> CGetDriverInfo::FillList()
{
    const QString systemDrive = SystemDrive();
    const QList<MountedVolume_> volumes = MountedVolumes();
    WriteLogA("mountedVlos size%d", volumes.size());
    QList<int> removable;
    for (const MountedVolume_& volume : volumes) {
        S_DRIVE_INFO info;
        info.strDriver = volume.rootPath.left(volume.rootPath.indexOf(QLatin1Char(':')) + 1);
        info.strVolumeName = volume.name;
        info.bSystem = info.strDriver == systemDrive;
        const char letter = info.strDriver.isEmpty() ? '\0' : info.strDriver.at(0).toLatin1();
        info.iDiskNo = GetDiskNoOfVolume(letter);
        const int busType = CDiskHelper::GetDiskBusTypeOfVolume(letter);
        const BusKind kind = KindOfBus(busType);
        info.bInternal = kind == BusKind::Internal;
        if (kind == BusKind::Removable && !removable.contains(info.iDiskNo))
            removable.append(info.iDiskNo);
        const bool listed = kind != BusKind::Unlisted;
        WriteLogA("%s valid:%diType:%d", info.strDriver.toLocal8Bit().constData(), listed ? 1 : 0, busType);
        if (listed)
            m_listDrive.append(info);
    }
    return removable;
}

void CGetDriverInfo::ReportRemovableDisks(const QList<int>& diskNumbers, bool refresh)
{
    if (!m_bReportPending && !refresh)
        return;
    std::string report = "{\"USBinfo\": {";
    for (int index = 0; index < diskNumbers.size(); ++index)
        report += (index ? "," : "") + UsbEntry(diskNumbers.at(index));
    report += "}}";
    SendInfoEvent("WriteProtection", "Info_USBinfo", report.c_str(), nullptr);
    m_bReportPending = false;
}
