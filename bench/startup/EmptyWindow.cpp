// The yardstick of the start-up bench: a Qt program that shows one empty window of the given size
// and nothing else.
//
//   StartupEmptyWindow width height

#include <QApplication>
#include <QWidget>

#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(argc > 2 ? std::atoi(argv[1]) : 800, argc > 2 ? std::atoi(argv[2]) : 472);
    window.show();
    return app.exec();
}
