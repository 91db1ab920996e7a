// What the three repair pages share: the drive box and how an entry leads back to its drive, their
// formatted labels, and the result box each run ends with.
#pragma once

#include "GetDriverInfo.h"

#include <QString>

#include <functional>
#include <string>

class QComboBox;
class QDialog;
class QLabel;
class QVBoxLayout;
class QWidget;
class CFixPageTop;
class CMessageBox;

// "DATA (E:)": the drive's label and letter as the drive box shows them.
QString DriveEntryText(const S_DRIVE_INFO& drive);

// The drive of the list whose entry text is the text: the first match, or the last with
// lastMatch. False when none matches (the empty text of a cleared box, a drive that went).
bool FindDriveByText(const QString& text, S_DRIVE_INFO& drive, bool lastMatch = false);

// Opens the drive of the entry text in the file manager; nothing when no drive matches.
void OpenDriveOfEntry(const QString& text);

// The drive box: 600 px wide, a plain list as its drop-down.
QComboBox* MakeDriveCombo(QWidget* parent);

// A word-wrapped label showing the text in the language's normal font, colour, size and weight 400.
QLabel* MakeFormattedLabel(const QString& text, const QString& color, int size, QWidget* parent);

// The page's layout: the header strip, the gap, then the content column (40 px from the left),
// which is returned for the page to fill.
QVBoxLayout* MakePageLayout(QWidget* page, CFixPageTop* top, int gap);

// Ends the content column with the progress label "Operation is in progress. Please wait a
// moment..." (hidden until a run starts, and returned) and a stretch.
QLabel* FinishPageLayout(QVBoxLayout* column, QWidget* page);

// How a run's result box looks: its dialog type, caption, usage-event window and texts.
struct ResultBoxText_ {
    int type = 0;
    QString caption;
    std::string eventWindow;
    QString title;
    QString content;
    bool showFixLog = false;
};

// A new result box, a child of the page placed 80 px right of the page's top-left corner; the
// caller connects its signals and then runs it with RunModalDialog.
CMessageBox* MakeResultBox(QWidget* page, const ResultBoxText_& texts);

// Runs the dialog modally and returns its result. Tests replace the run so that nothing blocks.
int RunModalDialog(QDialog* dialog);
void SetModalDialogRunner(std::function<int(QDialog*)> runner);
