// The promotional side panel at the log-in page's left edge; the style sheet draws its
// background.
#pragma once

#include "Paneforge/RoundedRectBase.h"

#include <QLabel>

class CCommonWidget : public CRoundedRectBase {
    Q_OBJECT
public:
    explicit CCommonWidget(QWidget* parent);

private:
    QLabel* greeting_ = nullptr;
    QLabel* invitation_ = nullptr;
};
