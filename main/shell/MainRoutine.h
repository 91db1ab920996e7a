// The main program from process start to the end of its event loop. Returns the event loop's
// result after a normal run, -1 when another copy runs already and -2 when the program lacks
// administrator rights and was not started at log-in; a locked start never returns.
#pragma once

int QuarnelMain(int argc, char** argv);

class QApplication;

// Installs the translation "draviels_en.qm" of the resource folder when that file reads as one;
// the translator stays with the application.
void InstallTranslation(QApplication& app);

// The program's look: the built-in font rule followed by "StyleSheet.css" of the resource folder
// (the rule alone when that file does not open or is larger than a style sheet may be).
void ApplyProgramStyle(QApplication& app);
