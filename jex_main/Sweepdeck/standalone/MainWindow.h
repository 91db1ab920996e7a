// The stand-alone clean-up window "System Cleanup": the five clean-up pages in one page wizard
// (home, junk scan, large-file drive choice and result, disk optimisation) and the tray icon that
// runs the background check.
#pragma once

#include "IconTray.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>

class CPageWizard;
class QApplication;

class CMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainWindow(QWidget* parent = nullptr);
    ~CMainWindow() override;

    void SetApplication(QApplication* application);
    void StartCheck(int minutes, double thresholdMB);
    // 0 to 5; other numbers keep the current page.
    void ShowPage(int pageId);
    void ShowAll();
    void QuitApp();

    CPageWizard* Wizard() const { return wizard; }
    CIconTray& Tray() { return tray; }
    bool HidesOnClose() const { return hideOnClose; }
    // Asks whether the desktop has a system tray: QSystemTrayIcon's answer unless replaced.
    void SetTrayProbe(std::function<bool()> probe) { trayProbe = std::move(probe); }

public slots:
    void onIconTrayActivate(int iIndex);
    void onShowCleanup(int pageId);
    void onTimeOut();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Another copy's request (WM_COPYDATA), and the wake of a hidden window by a paint message.
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

private:
    CIconTray tray;
    QApplication* application = nullptr;
    CPageWizard* wizard = nullptr;
    bool hideOnClose = false;
    QTimer quitTimer;
    std::function<bool()> trayProbe = &QSystemTrayIcon::isSystemTrayAvailable;
};
