// A program with one window of the title it is given, for the tests of windows that other
// processes reach: it writes what its window hears into a file, one line a message, answers a
// copy with 100 + its size, and hides or ends when a copy says so; a copy "most held" is answered
// with the most bytes its message port has held at once. (It calls the layer's window
// functions itself, so that the layer's window library is loaded as in the system's programs.)

#include "MessagePort.h"

#include "platform/Windows.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <string>

namespace {

class CHelperWindow : public QWidget {
public:
    explicit CHelperWindow(const char* log) : log_(log) {}

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        if (eventType != "windows_generic_MSG")
            return false;
        if (msg->message == WM_PAINT) {
            Write("paint\n");
            return true;
        }
        if (msg->message != WM_COPYDATA)
            return false;
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(msg->lParam);
        const std::string data(static_cast<const char*>(copy->lpData), copy->cbData);
        if (data == "most held") {
            *result = static_cast<long>(platform::CMessagePort::MostBytesHeld());
            return true;
        }
        // Also what the window says of itself, as the layer sees it.
        const bool visible = IsWindowVisible(reinterpret_cast<HWND>(winId())) != FALSE;
        Write("copy " + std::to_string(copy->dwData) + " " + data + (visible ? " shown\n" : " hidden\n"));
        if (data == "hide")
            hide();
        else if (data == "quit")
            QCoreApplication::quit();
        *result = 100 + static_cast<long>(copy->cbData);
        return true;
    }

private:
    void Write(const std::string& line)
    {
        if (FILE* file = std::fopen(log_, "a")) {
            std::fputs(line.c_str(), file);
            std::fclose(file);
        }
    }

    const char* log_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    CHelperWindow window(argv[2]);
    window.setWindowTitle(QString::fromUtf8(argv[1]));
    window.show();
    return app.exec();
}
