// Linked only into the test builds of the programs: every dialog that is run modally (a message
// box waiting for its button) is accepted a moment after it opens, as if its button had been
// pressed, so that a program run as a child of a test goes on by itself; what the dialog said (its
// labels' texts) goes to the standard output first, one line each, for the test to read. A main
// window, a dialog too, is left alone. The shipped programs carry nothing of this.

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kCloseAfterMs = 100;

void Accept(QDialog* dialog)
{
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            std::printf("dialog: %s\n", label->text().toUtf8().constData());
    std::fflush(stdout);
    dialog->accept();
}

class CDialogCloser : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isModal())
                QTimer::singleShot(kCloseAfterMs, dialog, [dialog] { Accept(dialog); });
        return false;
    }
};

void InstallDialogCloser()
{
    QCoreApplication::instance()->installEventFilter(new CDialogCloser(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallDialogCloser)
