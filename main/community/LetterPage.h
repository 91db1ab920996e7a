// The product manager's letter inviting the user to the beta community. It only shows text; the
// frame's title bar closes it.
#pragma once

#include "FixPageBase.h"

#include <QLabel>
#include <QTextEdit>

class CLetterPage : public CFixPageBase {
    Q_OBJECT
public:
    explicit CLetterPage(QWidget* parent);

private:
    void BuildPage();
    QString LetterText() const;

    QLabel* title_ = nullptr;
    QTextEdit* letter_ = nullptr;
};
