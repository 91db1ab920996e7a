#include "DetailPage.h"

#include "AsyncExecMember.h"
#include "DetailModel.h"
#include "DetailTree.h"
#include "ListHeader.h"
#include "common/WindowGround.h"
#include "kit/FrameTitle.h"
#include "kit/ItemDelegate.h"
#include "services/UIPublic.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPaintEvent>
#include <QVBoxLayout>

CDetailPage::CDetailPage(IDregsweepCatagory* category, bool direct, QWidget* parent)
    : QDialog(parent), tree_(new CDetailTree), model_(new CDetailModel(this)), category_(category), direct_(direct),
      title_(new CFrameTitle(this))
{
    setWindowTitle(tr("Details"));
    setMinimumSize(640, 378);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    SetWindowGround(this);

    auto* header = new CListHeader;
    tree_->setHeader(header);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    tree_->setFrameStyle(QFrame::NoFrame);
    tree_->setModel(model_);
    tree_->setItemDelegate(new CItemDelegate(tree_));
    tree_->setMouseTracking(true);
    tree_->setRootIsDecorated(false);
    tree_->setUniformRowHeights(true);
    header->resizeSection(0, 400);
    header->setStretchLastSection(true);

    startTimer_.setSingleShot(true);
    startTimer_.setInterval(80);
    connect(this, &CDetailPage::updateTree, this, &CDetailPage::onUpdateTree);
    connect(&startTimer_, &QTimer::timeout, this, &CDetailPage::onTimeout);
    connect(tree_, &QAbstractItemView::clicked, this, &CDetailPage::onItemClicked);
    connect(title_, &CFrameTitle::TitleBtnClicked, this, &CDetailPage::TitlebtnClick);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    title_->setFixedHeight(48);
    title_->ShowIcon(false);
    title_->SetTitle(tr("Details"));
    layout->addWidget(title_);
    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(0);
    listRow->setContentsMargins(6, 0, 6, 6);
    listRow->addWidget(tree_);
    layout->addLayout(listRow);
    tree_->setStyleSheet(QStringLiteral("background:#272d3b"));
    tree_->setContentsMargins(6, 0, 6, 6);

    startTimer_.start();
}

CDetailPage::~CDetailPage()
{
    startTimer_.stop();
    // The list and its model read this page's rows: they go while the page is still whole, not when
    // the dialog's own destructor hides a dialog still shown and the list lays itself out once more.
    delete tree_;
    delete model_;
}

void CDetailPage::OnGarbageFile(std::wstring path, uint64_t size, int)
{
    Row row{QString::fromStdWString(path), CUIPublic::FormatSize(size)};
    QMutexLocker lock(&rowsLock_);
    rows_.push_back(std::move(row));
}

int CDetailPage::RowCount() const
{
    QMutexLocker lock(&rowsLock_);
    return rows_.size();
}

CDetailPage::Row CDetailPage::RowAt(int row) const
{
    QMutexLocker lock(&rowsLock_);
    return row >= 0 && row < rows_.size() ? rows_.at(row) : Row{};
}

void CDetailPage::onTimeout()
{
    startTimer_.stop();
    if (!category_)
        return;
    gathering_ = true;
    AsyncExecMember(this, this, &CDetailPage::GatherWorker);
    gathering_ = false;
}

int CDetailPage::GatherWorker()
{
    if (direct_) {
        EnumItems(category_);
        return 0;
    }
    for (IDregsweepCatagory* child = category_->GetFirstChild(); child;) {
        EnumItems(child);
        child->Release();
        if (closed_)
            break;
        child = category_->GetNextChild(child);
    }
    return 0;
}

void CDetailPage::EnumItems(IDregsweepCatagory* category)
{
    for (IDregsweepCatagory* child = category->GetFirstChild(); child;) {
        if (auto* item = dynamic_cast<IDregsweepItem*>(child))
            item->EnumFiles(this);
        child->Release();
        emit updateTree();
        if (closed_)
            break;
        child = category->GetNextChild(child);
    }
}

void CDetailPage::onUpdateTree()
{
    model_->Refresh();
    tree_->viewport()->update();
}

void CDetailPage::onItemClicked(const QModelIndex& index)
{
    if (index.column() != 0)
        return;
    const std::wstring location = index.data(Qt::DisplayRole).toString().toStdWString();
    CUIPublic::Instance()->OpenFileLocation(location.c_str());
}

void CDetailPage::TitlebtnClick(int)
{
    closed_ = true;
    done(0);
}

void CDetailPage::paintEvent(QPaintEvent* event)
{
    if (!event->isAccepted())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor("#272d3b"));
    painter.drawRoundedRect(rect(), 12, 12);
}
