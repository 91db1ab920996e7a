// The main window (the frame of page type 2) as the rest of the program reaches it: the junk
// monitor asks whether it is visible, the session-end filter hands it the end of the session
// (through its slot OnSessionEnd). Null before the main window is built and after it is gone.
#pragma once

class QWidget;

QWidget* GetHomeFrame();
void SetHomeFrame(QWidget* frame);
