// The main program's modal message dialog: a frameless, rounded 640 by 280 window with the
// program's title bar, an icon by dialog type, a title line, a content line and a row of buttons.
// exec() ends with 1 after a button press and with 0 when the dialog is closed from its title bar.
#pragma once

#include "WaitButton.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <string>

enum EMsgBoxType : int {
    MSGBOX_LOGO = 0,
    MSGBOX_ALERT = 1,
    MSGBOX_RESULT_VIEW = 2,
    MSGBOX_RESULT = 3,
    MSGBOX_UPDATE = 4,
};

class CMessageBox : public QDialog {
    Q_OBJECT
public:
    // An empty button text gives "View" for MSGBOX_RESULT_VIEW and "OK" otherwise.
    CMessageBox(int type, QWidget* parent, QString buttonText, QString title, int titleStyle);

    // A label with an empty text is hidden.
    virtual void SetText(const QString& title, const QString& content);
    // The usage-event window reported when the dialog is closed from its title bar; empty: none.
    virtual void SetEventWindow(std::string name);
    virtual void ShowFixLogButton(bool show);
    virtual void InitUI(const QString& title);

signals:
    void sigClicked();
    void sigView1Clicked();

public slots:
    void slotBtnClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // The main button, and the busy button (hidden) that runs a task while it animates; a dialog
    // that runs a task on its press shows the second in place of the first.
    QPushButton* MainButton() const { return mainButton_; }
    CWaitButton* BusyButton() const { return busyButton_; }

private:
    int type_;
    int titleStyle_;
    std::string eventWindow_;
    QPointer<QLabel> titleLabel_;
    QPointer<QLabel> contentLabel_;
    QPointer<QPushButton> mainButton_;
    QPointer<CWaitButton> busyButton_;
    QString buttonText_;
    QPointer<QPushButton> fixLogButton_;
};
