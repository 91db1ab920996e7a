// The yardstick of the start-up bench: a Qt program that shows one window of the given size with
// what any styled first window needs, the program's style sheet (its font rule and its sheet file)
// applied to the whole application, a rich-text label and a button, and nothing else.
//
//   StartupStyledWindow width height style-sheet

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString style = QStringLiteral("*{font-size:14px;font-family:\"Segoe UI\";}\r\n");
    if (argc > 3) {
        QFile sheet(QString::fromLocal8Bit(argv[3]));
        if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
            style += QString::fromUtf8(sheet.readAll());
    }
    app.setStyleSheet(style);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(QStringLiteral("<b>Orvane Quarnel</b><br/>Your PC is <font color=\"#2b9a4a\">in good "
                                            "shape</font>: <a href=\"#\">see why</a>"),
                             &window);
    label->setTextFormat(Qt::RichText);
    layout->addWidget(label);
    layout->addWidget(new QPushButton(QStringLiteral("Scan now"), &window));
    window.resize(argc > 2 ? std::atoi(argv[1]) : 800, argc > 2 ? std::atoi(argv[2]) : 472);
    window.show();
    return app.exec();
}
