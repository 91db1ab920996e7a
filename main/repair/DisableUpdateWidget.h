// The Windows Update page: one button switches Windows Automatic Updates off ("Disable") or on
// ("Enable") through the update medic service's start value, the update policy values and the
// service manager, on the button's worker thread; the final service check decides the outcome.
#pragma once

#include "FixPageBase.h"

#include "platform/Windows.h"

#include <QPointer>

class QLabel;
class CFixPageTop;
class CMessageBox;
class CWaitButtonEx;

class CDisableUpdateWidget : public CFixPageBase {
    Q_OBJECT
public:
    explicit CDisableUpdateWidget(QWidget* parent);

    // What "sc query wuauserv" says of the update service.
    enum class ServiceState { Running, Stopped, Unknown };
    static ServiceState QueryUpdateService();
    // Whether the update service runs; a service whose state cannot be read counts as running.
    static bool IsUpdateServiceRunning();

    // Writes the medic service's "Start" value when its key exists; false when it was not written.
    static bool SetMedicServiceStart(DWORD start);
    // Writes "NoAutoUpdate" and "AUOptions" under the update policy key, creating the keys that
    // are missing; false when a step failed.
    static bool SetUpdatePolicy(DWORD noAutoUpdate, DWORD auOptions);

public slots:
    void slotBtnClicked();
    void slotClicked();
    void slotBtnPressed();

private:
    static int UpdateTask(void* data);

    QPointer<QLabel> m_progress;
    QPointer<CMessageBox> m_resultBox;
    QPointer<CWaitButtonEx> m_button;
    QPointer<CFixPageTop> m_top;

    // Taken on the GUI thread before a run and read by the task.
    bool m_bEnable = false;
};
