// The upper part of the home page: the system partition's gauge and name on the left, the five
// tool cards on the right. A card reports its usage event and asks for its tool's page type.
#pragma once

#include <QLabel>
#include <QList>
#include <QWidget>

class CAnimtButton;
class CProgressDrawWdg;

class CHomeBasePage : public QWidget {
    Q_OBJECT
public:
    explicit CHomeBasePage(QWidget* parent);

    // Refreshes the partition's name and the gauge.
    void UpdateSysPartInfo();
    // The system partition's label ("Name(C:)"), total and used bytes and drive letter; false
    // (with the label holding at most the letter) when the sizes could not be read.
    bool GetSystemVolumeInfo(QString& label, quint64& total, quint64& used, QString& letter);

    // The used share in whole percent, 0..100; 0 for a partition too small to measure.
    static int UsedPercent(quint64 total, quint64 used);

signals:
    void sigBtnClicked(int id);

public slots:
    void BtnClickSlot(int id);

private:
    QList<CAnimtButton*> buttons_;
    CProgressDrawWdg* gauge_;
    QLabel* partName_;
};
