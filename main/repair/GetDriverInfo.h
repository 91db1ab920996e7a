// The drives the repair tools may offer: every mounted volume on a disk that sits on an internal
// bus (SCSI, ATAPI, ATA, RAID, SAS, SATA, NVMe) or on USB or SD, with its disk and whether it is
// the system drive. One process-wide list, filled on first use and again on every refresh; each
// fill that finds USB or SD disks can report them as one usage event.
#pragma once

#include <QList>
#include <QMutex>
#include <QString>

struct S_DRIVE_INFO {
    QString strDriver;       // "E:"
    QString strVolumeName;   // the volume's label; may be empty
    QString strExtra;        // unused, stays empty
    int iDiskNo = -1;        // the physical disk holding the volume; -1 when unknown
    bool bInternal = false;  // on an internal bus; false for USB and SD
    bool bSystem = false;    // the drive of the Windows system folder
};

class CGetDriverInfo {
public:
    static CGetDriverInfo* GetInstance();
    virtual ~CGetDriverInfo();

    // A copy of the list. With refresh, or while the list is empty, it is filled afresh first.
    // Safe to call from several threads: a fill runs alone, and callers wait for it.
    QList<S_DRIVE_INFO> GetDriverList(bool refresh);

private:
    CGetDriverInfo();
    CGetDriverInfo(const CGetDriverInfo&) = delete;
    CGetDriverInfo& operator=(const CGetDriverInfo&) = delete;

    // Fills the list; returns the numbers of the USB and SD disks in the order first met.
    QList<int> FillList();
    void ReportRemovableDisks(const QList<int>& diskNumbers, bool refresh);

    QMutex m_mutex;
    QList<S_DRIVE_INFO> m_listDrive;
    bool m_bReportPending = true;
};
