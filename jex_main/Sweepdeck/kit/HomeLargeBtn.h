// A large picture button of the stand-alone home page: the picture above a caption, framed only
// under the mouse. Two blanks in a row in the caption start a new line.
#pragma once

#include "PushButton.h"

#include <QPixmap>

class CHomeLargeBtn : public CPushButton {
    Q_OBJECT
public:
    CHomeLargeBtn(const QString& caption, const QString& imagePath);

    const QString& GetCaption() const { return caption_; }

signals:
    void sigEnterEvent(QEvent* pEvent);
    void sigLeaveEvent(QEvent* pEvent);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    QPixmap image_; // loaded once: the caption sits below its height

};
