// A kit push button that carries an id, so that one slot can serve a whole row of buttons.
#pragma once

#include "PushButton.h"

class CIndexBtn : public CPushButton {
    Q_OBJECT
public:
    CIndexBtn(int id, const QString& text, QWidget* parent = nullptr);
    CIndexBtn(int id, const QIcon& icon, const QString& text, QWidget* parent = nullptr);

    int GetId() const { return id_; }

private:
    const int id_;
};
