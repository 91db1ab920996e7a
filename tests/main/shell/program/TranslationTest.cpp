// The main program's translation: the English file the build makes is found in the resource
// folder and installed, and a program folder without it runs on the built-in texts.
#include "MainRoutine.h"

#include "support/TempMachine.h"

#include <QApplication>
#include <QEvent>
#include <QTranslator>

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
    const QList<QTranslator*> installed = qApp->findChildren<QTranslator*>();
    ASSERT_EQ(installed.size(), 1);
    EXPECT_EQ(QStringLiteral("Log in"), installed[0]->translate("CFixTitleBase", "Log in")) << "the build's file holds the text";

    // The texts come from the file of that name: one whose texts differ changes what the program shows.
    fs::copy_file(testing_support::BuildProgramFolder() + "/../tests/translations/other_de.qm",
                  folder + "/res/draviels_en.qm", fs::copy_options::overwrite_existing);
    InstallTranslation(*qApp);
    EXPECT_EQ(QStringLiteral("Anmelden"), QCoreApplication::translate("CFixTitleBase", "Log in"));
}

} // namespace
