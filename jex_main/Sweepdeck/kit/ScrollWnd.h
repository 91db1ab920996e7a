// A scroll area without a frame whose content follows the area's size, with the kit's scroll bars.
#pragma once

#include <QScrollArea>

class CScrollWnd : public QScrollArea {
    Q_OBJECT
public:
    explicit CScrollWnd(QWidget* parent = nullptr);
};
