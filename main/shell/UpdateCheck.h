// The update check of the title bar's main menu and of a pending update found at start: the main
// program only reads the update state that Renewer left in the local settings and shows it, "up to
// date" or an offer whose "Update" button has Renewer download the update; after a download
// Renewer is started once more to install it.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class CMessageBox;
class QWidget;

class CUpdateCheck : public QObject {
    Q_OBJECT
public:
    // The dialogs are children of the title bar.
    explicit CUpdateCheck(QWidget* titleBar);

    // Shows the state's dialog at the position, modally; state 0 "up to date", 1 or 2 the offer,
    // anything else nothing.
    void Check(const QPoint& position);

signals:
    // Each dialog as it opens: the title bar keeps the last one.
    void sigDialogOpened(CMessageBox* dialog);

public slots:
    // The offer's download has ended: the archive decides between installing and "Update failed.".
    void slotUpdateFinished();

private:
    CMessageBox* Open(CMessageBox* dialog, const QString& title, const QString& content);

    QWidget* titleBar_;
    QPoint position_;
    QPointer<CMessageBox> offer_;
};
