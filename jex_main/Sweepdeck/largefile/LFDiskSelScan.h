// The scroll area of the large-file partition page: the drive tiles, grouped and flowed into rows,
// and in their place during a scan the scanning prompt.
#pragma once

#include "kit/ScrollWnd.h"

#include <QList>

class CDiskWidget;
class CScanPrompt;

class CLFDiskSelScan : public CScrollWnd {
    Q_OBJECT
public:
    explicit CLFDiskSelScan(QWidget* parent = nullptr);

    // Builds the tile panel and the prompt; every tile must have been added before. Always true.
    bool Init();
    void AddDisk(CDiskWidget* disk);
    void ShowDisks(bool show);
    void ShowScanPrompt(bool show);
    // Whether any tile is ticked.
    bool HasChecked() const;
    // Each tile reads its category again.
    void RefreshDisks();
    void SetScanFolder(const wchar_t* path, bool reset);

private:
    QWidget* BuildDiskPanel();

    QList<CDiskWidget*> disks;
    QWidget* diskPanel = nullptr;
    CScanPrompt* prompt = nullptr;
};
