// A frameless, see-through window that holds one home frame window filling it. Nothing in the
// program makes one.
#pragma once

#include <QWidget>

class CFixFrameBase;

class CQuarnel : public QWidget {
    Q_OBJECT

public:
    explicit CQuarnel(QWidget* parent = nullptr);

    CFixFrameBase* HomeFrame() const { return home_; }

public slots:
    void slotTitleBtnClicked(int iBtn);

private:
    CFixFrameBase* home_;
};
