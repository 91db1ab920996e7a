#include "KitPictures.h"

#include "platform/Machine.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>

namespace kit_test {

QString ProgramFolder()
{
    // The process's own machine, not the one a test case runs on: the library keeps its folder.
    static const QString folder = QString::fromLocal8Bit(std::getenv("QUARNEL_MACHINE")) + QStringLiteral("/program");
    return folder;
}

namespace {

void WritePicture(const QString& name, const QColor& color)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(ProgramFolder() + QStringLiteral("/res/Jex/") + name));
}

// The library looks its program folder up once per process: it is set before any test runs.
class PictureFolder : public testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(ProgramFolder() + QStringLiteral("/res/Jex")));
        platform::SetProgramFolder(ProgramFolder().toStdString());
        WritePicture(QStringLiteral("checkbox.png"), kUncheckedColor);
        WritePicture(QStringLiteral("checkbox_halfsel.png"), kPartialColor);
        WritePicture(QStringLiteral("checkbox_sel.png"), kCheckedColor);
    }
};

testing::Environment* const g_pictures = testing::AddGlobalTestEnvironment(new PictureFolder);

} // namespace

} // namespace kit_test
