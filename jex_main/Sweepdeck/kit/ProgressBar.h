// The thin progress line under a page header: a red-to-orange gradient over the done share.
#pragma once

#include <QWidget>

class CProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit CProgressBar(QWidget* parent = nullptr);

    void SetProgress(int value);
    // The stored value within 0 to 100.
    int GetProgress() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
};
