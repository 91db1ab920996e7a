// The update offer: a message dialog whose button is the busy button that runs Renewer's download
// while the dialog keeps painting; when the download has ended the dialog emits sigClicked() and
// closes with 1.
#pragma once

#include "MessageBox.h"

class CUpdateBox : public CMessageBox {
    Q_OBJECT
public:
    CUpdateBox(int type, QWidget* parent, QString buttonText, QString title, int titleStyle);
};
