#include "KitPictures.h"

#include "kit/AppStyleSheet.h"
#include "kit/CheckBox.h"
#include "kit/HomeLargeBtn.h"
#include "kit/ItemDelegate.h"
#include "kit/NavigateBtn.h"
#include "kit/PageTitle.h"
#include "kit/ProgressBar.h"
#include "kit/PushButton.h"
#include "kit/ResPath.h"
#include "kit/ResPicture.h"
#include "kit/ScrollBar.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/Machine.h"
#include "platform/Windows.h"

namespace {

QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void Hover(QWidget& widget, bool on)
{
    widget.setAttribute(Qt::WA_UnderMouse, on);
}

void LoseFocus(QWidget& widget)
{
    QFocusEvent event(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(&widget, &event);
}

bool Contains(const QImage& image, const QColor& color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

// A point of the button's face clear of its centred text.
QColor Face(CPushButton& button)
{
    return Render(button).pixelColor(button.width() / 2, 3);
}

} // namespace

TEST(SweepdeckPushButton, FaceFollowsTheButtonState)
{
    QWidget parent;
    CPushButton button("Scan", &parent);
    button.resize(140, 32);
    EXPECT_EQ(Face(button), QColor("#1be1d0"));

    Hover(button, true);
    EXPECT_EQ(Face(button), QColor("#1BFFEB"));

    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_EQ(Face(button), QColor("#1DB1A4"));
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(Face(button), QColor("#1BFFEB"));

    // A press that loses the focus before its release no longer shows.
    QTest::mousePress(&button, Qt::LeftButton);
    LoseFocus(button);
    EXPECT_EQ(Face(button), QColor("#1BFFEB"));
    Hover(button, false);

    button.setEnabled(false);
    EXPECT_EQ(Face(button), QColor("#46494D"));
}

TEST(SweepdeckPushButton, APressFromBeforeDisablingShowsUntilItEnds)
{
    QWidget parent;
    CPushButton button("Scan", &parent);
    button.resize(140, 32);
    QTest::mousePress(&button, Qt::LeftButton);
    button.setEnabled(false);
    EXPECT_EQ(Face(button), QColor("#1DB1A4"));
    LoseFocus(button);
    EXPECT_EQ(Face(button), QColor("#46494D"));
}

TEST(SweepdeckNavigateBtn, DisabledWinsOverHover)
{
    QWidget parent;
    CNavigateBtn button(4, QIcon(), QString::fromUtf8("\u2588\u2588\u2588"), &parent);
    button.resize(60, 30);
    EXPECT_EQ(button.width(), 60);
    Hover(button, true);
    EXPECT_TRUE(Contains(Render(button), QColor("#b7c6e6")));
    button.setEnabled(false);
    const QImage disabled = Render(button);
    EXPECT_TRUE(Contains(disabled, QColor("#333740")));
    EXPECT_FALSE(Contains(disabled, QColor("#b7c6e6")));
}

TEST(SweepdeckCheckBox, ShowsOnePicturePerCheckState)
{
    QWidget parent;
    CCheckBox box("Don't show this message again", &parent);
    box.setTristate(true);
    box.resize(240, 24);
    const auto picture = [&box] { return Render(box).pixelColor(8, 12); };
    EXPECT_EQ(picture(), kit_test::kUncheckedColor);
    box.setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(picture(), kit_test::kPartialColor);
    box.setCheckState(Qt::Checked);
    EXPECT_EQ(picture(), kit_test::kCheckedColor);
}

TEST(SweepdeckProgressBar, ValuesAreHeldWithinZeroToHundred)
{
    QWidget parent;
    CProgressBar bar(&parent);
    bar.resize(200, 4);
    const auto filled = [&bar] {
        const QImage image = Render(bar);
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, 2) != QColor(Qt::black);
        return count;
    };

    bar.SetProgress(150);
    EXPECT_EQ(bar.GetProgress(), 100);
    EXPECT_EQ(filled(), 200);
    bar.SetProgress(50);
    EXPECT_NEAR(filled(), 100, 1);
    bar.SetProgress(-20);
    EXPECT_EQ(bar.GetProgress(), 0);
    EXPECT_EQ(filled(), 0);
}

TEST(SweepdeckPageTitle, ProgressBarShowsOnlyForPositiveProgress)
{
    PageTitleInfo info;
    CPageTitle title(&info);
    auto* bar = title.findChild<CProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isHidden());

    info.progress = 30;
    title.SetTitleInfo(&info);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->maximumHeight(), 4);
    EXPECT_EQ(bar->GetProgress(), 30);

    info.progress = -1;
    title.SetTitleInfo(&info);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(bar->maximumHeight(), 0);
}

TEST(SweepdeckPageTitle, TextsIconAndHeightFollowTheRecord)
{
    PageTitleInfo info;
    info.title = "Scanning...";
    info.height = 90;
    CPageTitle title(&info);
    EXPECT_EQ(title.height(), 90);

    QList<QLabel*> shown;
    QLabel* description = nullptr;
    for (QLabel* label : title.findChildren<QLabel*>()) {
        if (!label->isHidden())
            shown.append(label);
        if (label->wordWrap() && label->text().isEmpty())
            description = label;
    }
    ASSERT_EQ(shown.size(), 1); // the icon and the empty description are hidden
    EXPECT_EQ(shown.front()->text(), "Scanning...");
    ASSERT_NE(description, nullptr);

    info.description = "12 MB found";
    title.SetTitleInfo(&info);
    EXPECT_FALSE(description->isHidden());
    EXPECT_EQ(description->text(), "12 MB found");

    // A null record leaves the header as it is.
    title.SetTitleInfo(nullptr);
    EXPECT_EQ(title.GetTitleInfo().description, "12 MB found");
    CPageTitle defaults(nullptr);
    EXPECT_EQ(defaults.height(), 120);
}

TEST(SweepdeckPageTitle, ASlimHeaderShrinksItsIconInsteadOfGrowing)
{
    PageTitleInfo info;
    info.iconPath = GetResPath(QStringLiteral("checkbox.png"), QStringLiteral("res"));
    const struct {
        int height;
        int iconHeight;
    } headers[] = {{120, 16}, {40, 16}, {20, 16}, {12, 12}};  // the gap below the title row gives way first
    for (const auto& header : headers) {
        info.height = header.height;
        CPageTitle title(&info);
        EXPECT_EQ(title.height(), header.height);
        int iconHeight = -1;
        for (QLabel* label : title.findChildren<QLabel*>())
            if (!label->pixmap(Qt::ReturnByValue).isNull())
                iconHeight = label->pixmap(Qt::ReturnByValue).height();
        EXPECT_EQ(iconHeight, header.iconHeight) << header.height;
    }
}

TEST(SweepdeckResPath, NamesThePictureBesideTheProgramWhateverTheCurrentFolder)
{
    wchar_t program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    const QString path = QString::fromWCharArray(program, static_cast<int>(length));
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('\\')));
    ASSERT_FALSE(folder.isEmpty());
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    CreateDirectoryW(L"C:\\Elsewhere", nullptr);
    for (const wchar_t* current : {L"C:\\", L"C:\\Elsewhere"}) {
        ASSERT_TRUE(SetCurrentDirectoryW(current));
        EXPECT_EQ(GetResPath(QStringLiteral("iconInfo.png"), QStringLiteral("res")),
                  folder + QStringLiteral("\\res\\Jex\\iconInfo.png"));
        EXPECT_EQ(GetResPath(QString(), QStringLiteral("res")), folder + QStringLiteral("\\res\\Jex\\"));
        EXPECT_EQ(ResPicture(QStringLiteral("checkbox.png")).toImage().pixelColor(0, 0), kit_test::kUncheckedColor);
    }
    SetCurrentDirectoryW(before);
}

TEST(SweepdeckPageTitle, TitleFontSizeComesFromTheCleanupConfiguration)
{
    const QString ini = kit_test::ProgramFolder() + QStringLiteral("/UIConfigAdd.ini");
    QFile::remove(ini);
    EXPECT_EQ(PageTitleInfo().titleFontPixelSize, 14);

    const auto write = [&ini](const char* text) {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    write("[Cleanup]\r\ntitleFontPixcelSize=18\r\n");
    EXPECT_EQ(PageTitleInfo().titleFontPixelSize, 18);
    write("[Cleanup]\r\ntitleFontPixcelSize=big\r\n");
    EXPECT_EQ(PageTitleInfo().titleFontPixelSize, 14);
    write("[Cleanup]\r\ntitleFontPixcelSize=-3\r\n");
    EXPECT_EQ(PageTitleInfo().titleFontPixelSize, 14);
    QFile::remove(ini);
}

// The style sheet is read whole into memory: one far larger than any is a damaged file that gives
// the built-in look, never a read of all it holds.
TEST(SweepdeckStyleSheet, OneLargerThanAStyleSheetMayBeGivesTheBuiltInLook)
{
    const QString sheet = kit_test::ProgramFolder() + QStringLiteral("/res/StyleSheet.css");
    {
        QFile file(sheet);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("QWidget { color: #c6d6f0; }\n");
    }
    const QString folder = QString::fromStdWString(platform::Machine().programFolder);
    EXPECT_EQ(ReadAppStyleSheet(folder), QStringLiteral("QWidget { color: #c6d6f0; }\n"));
    ASSERT_TRUE(QFile::resize(sheet, 64 << 20));
    EXPECT_TRUE(ReadAppStyleSheet(folder).isEmpty());
    QFile::remove(sheet);
}

TEST(SweepdeckHomeLargeBtn, TwoBlanksBreakTheDrawnCaptionOnly)
{
    CHomeLargeBtn split("Junk  Files", QString());
    CHomeLargeBtn lines("Junk\nFiles", QString());
    CHomeLargeBtn oneLine("Junk Files", QString());
    EXPECT_EQ(split.size(), QSize(180, 180));
    const QImage first = Render(split);
    EXPECT_EQ(Render(split), first);
    EXPECT_EQ(first, Render(lines));
    EXPECT_NE(first, Render(oneLine));
    EXPECT_EQ(split.GetCaption(), "Junk  Files");
}

TEST(SweepdeckItemDelegate, RowsAreThirtyTwoHighAndTheFirstCellCoversTheIndent)
{
    QStandardItemModel model(1, 2);
    model.setData(model.index(0, 0), "C:\\Windows\\Temp\\a very long folder name\\file.tmp");
    CItemDelegate delegate;
    QStyleOptionViewItem option;
    option.font.setPixelSize(40);
    option.rect = QRect(20, 0, 60, 32);
    EXPECT_EQ(delegate.sizeHint(option, model.index(0, 0)).height(), 32);

    QImage image(100, 32, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    delegate.paint(&painter, option, model.index(0, 0));
    painter.end();
    EXPECT_EQ(image.pixelColor(2, 1), QColor("#272d3b"));
    EXPECT_EQ(image.pixelColor(90, 1), QColor(Qt::black));
}

TEST(SweepdeckScrollBar, ArrowsDimAtTheirLimitAndTheHandleDarkensUnderTheMouse)
{
    QWidget parent;
    CScrollBar bar(Qt::Vertical, &parent);
    EXPECT_EQ(bar.sizeHint().width(), 10);
    bar.resize(10, 200);
    bar.setRange(0, 100);
    bar.setPageStep(20);

    const QColor dim(182, 182, 182);
    const QColor dark(34, 34, 34);
    const auto up = [&bar] { return Render(bar).pixelColor(5, 5); };
    const auto down = [&bar] { return Render(bar).pixelColor(5, bar.height() - 6); };
    bar.setValue(0);
    EXPECT_EQ(up(), dim);
    EXPECT_EQ(down(), dark);
    bar.setValue(100);
    EXPECT_EQ(up(), dark);
    EXPECT_EQ(down(), dim);

    bar.setValue(50);
    const QPoint handle(5, bar.height() / 2);
    EXPECT_EQ(Render(bar).pixelColor(handle), dim);
    Hover(bar, true);
    EXPECT_EQ(Render(bar).pixelColor(handle), QColor(106, 106, 106));
}
