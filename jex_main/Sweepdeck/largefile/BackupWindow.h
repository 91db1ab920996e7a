// A plain widget that serves as the base of the scanning prompt.
#pragma once

#include <QWidget>

class CBackupWindow : public QWidget {
public:
    using QWidget::QWidget;
};
