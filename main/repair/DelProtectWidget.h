// The Write Protection page: the user picks a drive on a USB or SD disk, the page tests whether it
// can be written and offers to clear ("Disable") or set ("Enable") the disk's read-only attribute,
// which a diskpart script changes on the button's worker thread.
#pragma once

#include "FixPageBase.h"

#include <QPointer>
#include <QString>

class QComboBox;
class QLabel;
class CFixPageTop;
class CMessageBox;
class CWaitButtonEx;

class CDelProtectWidget : public CFixPageBase {
    Q_OBJECT
public:
    explicit CDelProtectWidget(QWidget* parent);

    // Refills the drive box (the frame calls it when a device arrives).
    Q_INVOKABLE void UpdateCombox();

    // Whether a file can be written on the drive ("E:"): a fresh probe file of its own is written
    // and removed again, so no file of the user's is ever touched.
    static bool IsDriveWritable(const QString& driver);

public slots:
    void slotInitDriverInfo();
    void slotComboxChanged(const QString& text);
    void slotBtnClicked();
    void slotBtnPressed();
    void slotView();

private:
    static int WriteProtectionTask(void* data);
    bool ChangeReadOnly();

    QPointer<QLabel> m_progress;
    QPointer<CMessageBox> m_resultBox;
    QPointer<QComboBox> m_combo;
    QPointer<CWaitButtonEx> m_button;
    QPointer<CFixPageTop> m_top;

    // Taken on the GUI thread before a run, read by the task; the outcome the task leaves.
    bool m_bClear = true;
    QString m_strRunDrive;
    bool m_bSucceeded = false;
};
