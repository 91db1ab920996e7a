// Linked only into the test build of the main program: every dialog that is run modally (a message
// box waiting for its button) is accepted a moment after it opens, as if its button had been
// pressed, so that a program run as a child of a test goes on by itself. The main window, a dialog
// too, is left alone. The shipped program carries nothing of this.

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

namespace {

constexpr int kCloseAfterMs = 100;

class CDialogCloser : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isModal())
                QTimer::singleShot(kCloseAfterMs, dialog, &QDialog::accept);
        return false;
    }
};

void InstallDialogCloser()
{
    QCoreApplication::instance()->installEventFilter(new CDialogCloser(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallDialogCloser)
