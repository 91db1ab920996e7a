// A push button that runs its task itself when it is released, animating until the task ends;
// it never emits clicked().
#pragma once

#include "WaitButtonBase.h"

class CWaitButton : public CWaitButtonBase {
    Q_OBJECT
public:
    CWaitButton(const QString& text, QWidget* parent);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
