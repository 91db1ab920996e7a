#include "LFDiskSelScan.h"

#include "DiskWidget.h"
#include "FlowLayout.h"
#include "ScanPrompt.h"

#include "common/VisibleOnChange.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kHeight = 346;

bool IsDrive(int type) { return type >= 3 && type <= 6; }

FlowLayout* MakeGroup() { return new FlowLayout(24, 180, 24); }

} // namespace

CLFDiskSelScan::CLFDiskSelScan(QWidget* parent) : CScrollWnd(parent) { setFixedHeight(kHeight); }

bool CLFDiskSelScan::Init()
{
    diskPanel = BuildDiskPanel();
    prompt = new CScanPrompt;
    auto* container = new QWidget;
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(diskPanel, 1);
    layout->addWidget(prompt, 1);
    container->setAttribute(Qt::WA_Resized);
    container->setWindowFlags(Qt::FramelessWindowHint);
    setWidget(container);
    return true;
}

QWidget* CLFDiskSelScan::BuildDiskPanel()
{
    FlowLayout* drives = nullptr;
    FlowLayout* others = nullptr;
    for (CDiskWidget* disk : qAsConst(disks)) {
        FlowLayout*& group = IsDrive(disk->GetType()) ? drives : others;
        if (!group)
            group = MakeGroup();
        group->addWidget(disk);
    }
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    if (others) {
        others->setContentsMargins(40, 24, 60, 0);
        column->insertLayout(0, others, 0);
        column->addSpacing(10);
    }
    if (drives) {
        drives->setContentsMargins(40, 24, 0, 0);
        column->addLayout(drives, 1);
    }
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addSpacing(0);
    row->addLayout(column, 1);
    row->addSpacing(0);
    auto* panel = new QWidget;
    panel->setLayout(row);
    panel->setAttribute(Qt::WA_Resized);
    panel->setWindowFlags(Qt::FramelessWindowHint);
    return panel;
}

void CLFDiskSelScan::AddDisk(CDiskWidget* disk) { disks.append(disk); }

void CLFDiskSelScan::ShowDisks(bool show)
{
    if (diskPanel)
        SetVisibleOnChange(diskPanel, show);
}

void CLFDiskSelScan::ShowScanPrompt(bool show)
{
    if (prompt)
        SetVisibleOnChange(prompt, show);
}

bool CLFDiskSelScan::HasChecked() const
{
    return std::any_of(disks.begin(), disks.end(), [](const CDiskWidget* disk) { return disk->IsChecked(); });
}

void CLFDiskSelScan::RefreshDisks()
{
    for (CDiskWidget* disk : qAsConst(disks))
        disk->UpdateInfo();
}

void CLFDiskSelScan::SetScanFolder(const wchar_t* path, bool reset)
{
    if (prompt)
        prompt->SetFolder(path, reset);
}
