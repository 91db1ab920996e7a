// The File Showing page: makes files that cannot be shown on a drive (any drive but the system
// drive) visible again by clearing their hidden, system and read-only attributes with attrib, and
// on request checks and repairs the drive's file system with chkdsk, whose output is kept as a
// log. The work runs on the fixing dialog's thread while the dialog animates.
#pragma once

#include "FixPageBase.h"

#include <QPointer>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class CFixPageTop;
class CMessageBox;
class CWaitButtonEx;

class CFixUSBWidget : public CFixPageBase {
    Q_OBJECT
public:
    explicit CFixUSBWidget(QWidget* parent);

    // Refills the drive box (the frame calls it when a device arrives).
    Q_INVOKABLE void UpdateCombox();

    // The chkdsk log: the temporary folder's "orvanedraviel.txt", as a Windows path; empty when the
    // temporary folder is unknown.
    static QString ChkDskLogPath();

signals:
    void sigCmdLineMsg(const QString& text);

public slots:
    void slotInitDriverInfo();
    void slotBtnClicked();
    void slotView();
    void slotCheckBoxToggled(bool checked);
    void slotBtnPressed();
    void slotShowCmdLineMsg(const QString& text);
    void slotViewChkDskLog();

private:
    static int FixTask(void* data);
    static void OnChkDskLine(void* context, const QVariant& line);
    // Runs the chosen steps; true when every one of them did its work.
    bool RunFix(bool& foundDrive);
    std::string ResultAttribute(bool succeeded, uint32_t elapsedMs) const;

    QPointer<QLabel> m_progress;
    QPointer<CMessageBox> m_resultBox;
    QPointer<QComboBox> m_combo;
    QPointer<QCheckBox> m_showHidden;
    QPointer<QCheckBox> m_checkFix;
    QPointer<CWaitButtonEx> m_button;
    QPointer<QLabel> m_description;
    QPointer<CFixPageTop> m_top;
    bool m_bBusy = false;

    // Taken on the GUI thread before a run and read by the task; the outcome the task leaves.
    QString m_strRunDrive;
    bool m_bRunShowHidden = false;
    bool m_bRunCheckFix = false;
    bool m_bSucceeded = false;
};
