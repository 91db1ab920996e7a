// The main program's translation: the English file the build makes is found in the resource
// folder and installed, and a program folder without it runs on the built-in texts.
#include "MainRoutine.h"

#include "support/TempMachine.h"

#include <QApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Counts the language changes that installing a translation with texts sends the application.
class CLanguageChanges : public QObject {
public:
    CLanguageChanges() { qApp->installEventFilter(this); }
    ~CLanguageChanges() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::LanguageChange)
            ++count;
        return false;
    }
};

TEST(ProgramTranslation, TheEnglishFileOfTheResourceFolderIsInstalled)
{
    testing_support::TempMachine machine;
    const std::string folder = machine.UseProgramFolder();
    CLanguageChanges changes;
    InstallTranslation(*qApp);
    EXPECT_EQ(0, changes.count) << "no file, nothing installed";

    fs::create_directories(folder + "/res");
    fs::copy_file(testing_support::BuildProgramFolder() + "/res/draviels_en.qm", folder + "/res/draviels_en.qm");
    InstallTranslation(*qApp);
    EXPECT_EQ(1, changes.count);
    EXPECT_EQ(QStringLiteral("Log in"), QCoreApplication::translate("CFixTitleBase", "Log in"));
}

} // namespace
