// Writes a picture in Windows' icon format: IconWriter <picture> <icon file>.

#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: IconWriter <picture> <icon file>\n");
        return 1;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    QImageWriter writer(QString::fromLocal8Bit(argv[2]), "ico");
    if (picture.isNull() || !writer.write(picture)) {
        std::fprintf(stderr, "IconWriter: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
