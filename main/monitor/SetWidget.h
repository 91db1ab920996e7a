// The main program's settings dialog: "General" (launch at log-in, the start-up assistant) and
// "Junk Cleanup" (junk reminders and their size level). Launch at log-in acts at once; the other
// choices reach the junk monitor through the three signals when the dialog is closed by its close
// button. The home page fills it from the monitor before each modal run.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>

#include <array>

class CSetButton;

class CSetWidget : public QDialog {
    Q_OBJECT
public:
    // A top-level tool window: the parent is not used.
    explicit CSetWidget(QWidget* parent);

    void SetShowAssit(bool show);
    void SetShowClean(bool show);
    // Checks the level's button (1..5); a level above 5 only unchecks them all.
    void SetCleanLv(int lv);
    // Entries 0..4 become the five level buttons' texts; a list of 4 or fewer entries is ignored.
    void SetLvTextList(const QStringList& texts);
    void SetAssitVisible(bool visible);
    // Hiding the "Junk Cleanup" tab also switches to the "General" panel.
    void SetCleanVisible(bool visible);

signals:
    void sigShowAssit(bool show);
    void sigShowClean(bool show);
    void sigLvChanged(int lv);

private slots:
    void ShowGeneralPanel();
    void ShowJunkPanel();
    void OnLaunchStateChanged(int state);
    void OnRemindStateChanged(int state);
    void OnCloseClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildGeneralPanel();
    void BuildJunkPanel();
    void SetLevelsEnabled(bool enabled);
    // From the dialog's places, which leave room for its shadow, to where they are.
    QPoint ShadowShift() const;

    // The room of the shadow around the body where the desktop shows it, else none.
    const int shadow_;
    QObject* lastLevelClicked_ = nullptr;
    QLabel* titleLabel_;
    QPushButton* closeButton_;
    CSetButton* generalTab_;
    CSetButton* junkTab_;
    QWidget* generalPanel_;
    QCheckBox* launchBox_ = nullptr;
    QLabel* assitLabel_ = nullptr;
    QRadioButton* allowRadio_ = nullptr;
    QRadioButton* blockRadio_ = nullptr;
    QWidget* junkPanel_;
    QCheckBox* remindBox_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    std::array<QRadioButton*, 6> levels_ {}; // 1..5
    QPoint dragOrigin_;
    int level_ = 3;
    bool dragging_ = false;
    bool assitChanged_ = false;
    bool remindChanged_ = false;
};
