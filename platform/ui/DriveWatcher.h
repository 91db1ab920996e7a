// Watches the machine's USB devices: machine.ini of the machine root is read again whenever
// another process writes or replaces it, and each USB device that appeared or went is reported.
// A USB device is the disk of a drive section on bus 7, or on a disk on bus 7 (a drive without a
// disk is a device of its own); its name is an interface path of the USB device class.
#pragma once

#include <QObject>
#include <QString>

#include <set>
#include <string>

class QSocketNotifier;

namespace platform {

class CDriveWatcher : public QObject {
    Q_OBJECT
public:
    CDriveWatcher(const std::string& machineRoot, QObject* parent);
    ~CDriveWatcher() override;

    const std::string& Root() const { return root_; }

signals:
    // event: DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE.
    void sigDeviceChanged(unsigned event, const QString& deviceName);

private:
    void ReadChanges();

    std::string root_;
    int inotify_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::set<QString> devices_;
};

} // namespace platform
