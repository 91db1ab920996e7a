// The stand-alone window's settings: whether system monitoring (the background junk check that
// the autostart entry starts) runs.
#pragma once

#include <QDialog>

class CCheckBox;
class QHBoxLayout;

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    enum Result { Saved = 0, Cancelled = 1 };

    CSettingsDlg(const QString& title, QWidget* parent);

    // Modal; Saved or Cancelled (also for the close box and Escape).
    int Exec();

    CCheckBox* CheckBox() const { return checkBox; }

public slots:
    void onBtnClicked();
    // Escape and every other rejection: Cancel, never QDialog's 0, which is Save here.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QHBoxLayout* checkRow;
    QHBoxLayout* buttonRow;
    CCheckBox* checkBox = nullptr;
    bool initiallyOn = false;
};
