// One drive tile of the large-file gatherer: type icon, name, a usage bar and the free space, with a
// check box when the tile chooses the drive for a scan.
#pragma once

#include "services/KyAutoPtr.h"
#include "jex_main/large_file_gatherer/IBulkseek.h"

#include <QPixmap>
#include <QRect>
#include <QWidget>

class CDiskWidget : public QWidget {
    Q_OBJECT
public:
    explicit CDiskWidget(bool checkable);

    // Holds its own reference to the category and reads it.
    void SetCatagory(IBigFileCatagory* catagory);
    // Reads the category's name, type, sizes and check flag again; nothing without a category.
    void UpdateInfo();

    bool IsChecked() const { return checked; }
    int GetType() const { return type; }
    int UsedPercent() const { return usedPercent; }

signals:
    void SelCchanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString name;
    QString freeText;
    int usedPercent = 0;
    bool checked = false;
    int type = 7;
    QPixmap icon;
    const bool checkable;
    QRect nameRect;
    CKyAutoPtr<IBigFileCatagory> catagory;
};
