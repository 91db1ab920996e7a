// The holder of one tool tile: a translucent, frameless 126 by 144 area in which the tile rises by
// 4 pixels on hover; it passes the tile's click on with the tile's index.
#pragma once

#include "BtWidget.h"

#include <QPointer>

class CAnimtButton : public QWidget {
    Q_OBJECT
public:
    CAnimtButton(int index, QWidget* parent);

    void SetText(const QString& text);
    void SetImages(const QStringList& images);

signals:
    void clicked(int index);

private:
    QPointer<_CBtWidget> tile_;
};
