#include "kit/CheckBox.h"
#include "kit/FrameTitle.h"
#include "kit/IndexBtn.h"
#include "kit/MsgBox.h"

#include "platform/Desktop.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

CMsgBox* ShownBox()
{
    return qobject_cast<CMsgBox*>(QApplication::activeModalWidget());
}

CIndexBtn* Button(CMsgBox* box, int id)
{
    for (CIndexBtn* button : box->findChildren<CIndexBtn*>())
        if (button->GetId() == id)
            return button;
    return nullptr;
}

// Runs show() and, once its box is up, act(box). A box that act leaves open is ended with -2, so
// that a failing case reports instead of hanging.
int Answer(const std::function<void(CMsgBox*)>& act, const std::function<int()>& show)
{
    QTimer::singleShot(0, [act] {
        CMsgBox* box = ShownBox();
        if (!box) {
            ADD_FAILURE() << "no message box shown";
            return;
        }
        act(box);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (CMsgBox* box = ShownBox())
            box->done(-2);
    });
    watchdog.start(5000);
    return show();
}

int ShowTwo(QWidget* parent = nullptr)
{
    return CMsgBox::ShowMsg(parent, 1, "Large File Cleanup", "Delete?", "Sure?", {"Cancel", "Delete"});
}

int ShowChecked(CCheckBox* check)
{
    return CMsgBox::ShowCheckMsg(nullptr, 1, "System Cleanup", "The selected file will be permanently deleted.",
                                 "Are you sure?", {"Yes", "No"}, check);
}

void Click(CMsgBox* box, int id)
{
    CIndexBtn* button = Button(box, id);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

void Tick(CMsgBox* box)
{
    auto* check = box->findChild<CCheckBox*>("jexMsgCheckBox");
    ASSERT_NE(check, nullptr);
    check->setCheckState(Qt::Checked);
}

} // namespace

TEST(SweepdeckMsgBox, AnswersTheIndexOfThePressedButton)
{
    EXPECT_EQ(Answer([](CMsgBox* box) { Click(box, 0); },
                     [] { return CMsgBox::ShowMsg(nullptr, 0, "c", "t", "x", {"OK"}); }),
              0);
    EXPECT_EQ(Answer([](CMsgBox* box) { Click(box, 1); }, [] { return ShowTwo(); }), 1);
    EXPECT_EQ(Answer([](CMsgBox* box) { Click(box, 2); },
                     [] { return CMsgBox::ShowMsg(nullptr, 0, "c", "t", "x", {"A", "B", "C"}); }),
              2);
}

TEST(SweepdeckMsgBox, OnlyTheFirstOfSeveralButtonsIsOutlined)
{
    Answer(
        [](CMsgBox* box) {
            const CBtnStyle first = Button(box, 0)->GetBtnStyle();
            const CBtnStyle second = Button(box, 1)->GetBtnStyle();
            EXPECT_EQ(first.borderWidth, 1);
            EXPECT_EQ(first.bgColors[0].alpha(), 0);
            EXPECT_EQ(first.textColors[0], QColor("#1be1d0"));
            EXPECT_EQ(second.borderWidth, 0);
            EXPECT_EQ(second.bgColors[0], QColor("#1be1d0"));
            EXPECT_EQ(Button(box, 0)->width(), 120);
            box->done(0);
        },
        [] { return ShowTwo(); });
    Answer(
        [](CMsgBox* box) {
            EXPECT_EQ(Button(box, 0)->GetBtnStyle().borderWidth, 0);
            box->done(0);
        },
        [] { return CMsgBox::ShowMsg(nullptr, 0, "c", "t", "x", {"OK"}); });
}

TEST(SweepdeckMsgBox, CheckBoxStateTravelsInBitSixteen)
{
    const int checked = Answer(
        [](CMsgBox* box) {
            Tick(box);
            Click(box, 1);
        },
        [] { return ShowChecked(new CCheckBox("Don't show this message again")); });
    EXPECT_EQ(checked, 0x10001);
    EXPECT_TRUE(CMsgBox::IsChecked(checked));
    EXPECT_EQ(CMsgBox::ButtonIndex(checked), 1);

    const int unchecked = Answer([](CMsgBox* box) { Click(box, 0); },
                                 [] { return ShowChecked(new CCheckBox("Don't show this message again")); });
    EXPECT_EQ(unchecked, 0);
    EXPECT_FALSE(CMsgBox::IsChecked(unchecked));

    // A half-ticked box is not a yes.
    const int partial = Answer(
        [](CMsgBox* box) {
            box->findChild<CCheckBox*>("jexMsgCheckBox")->setCheckState(Qt::PartiallyChecked);
            Click(box, 0);
        },
        [] { return ShowChecked(new CCheckBox("again")); });
    EXPECT_EQ(partial, 0);

    EXPECT_EQ(Answer([](CMsgBox* box) { Click(box, 1); }, [] { return ShowChecked(nullptr); }), 1);
}

TEST(SweepdeckMsgBox, TheCallersCheckBoxGoesWithTheBox)
{
    QPointer<CCheckBox> check = new CCheckBox("again");
    Answer([](CMsgBox* box) { Click(box, 0); }, [&] { return ShowChecked(check); });
    EXPECT_TRUE(check.isNull());
}

TEST(SweepdeckMsgBox, ClosingWithoutAButtonAnswersClosedAndIgnoresTheCheckBox)
{
    const auto titleClose = [](CMsgBox* box) {
        Tick(box);
        auto* close = box->findChild<QPushButton*>("CFrameTitle_CloseBtn");
        ASSERT_NE(close, nullptr);
        QTest::mouseClick(close, Qt::LeftButton);
    };
    const auto escape = [](CMsgBox* box) {
        Tick(box);
        QTest::keyClick(box, Qt::Key_Escape);
    };
    const auto windowSystem = [](CMsgBox* box) {
        Tick(box);
        box->close();
    };
    for (const auto& act : {std::function<void(CMsgBox*)>(titleClose), std::function<void(CMsgBox*)>(escape),
                            std::function<void(CMsgBox*)>(windowSystem)}) {
        const int result = Answer(act, [] { return ShowChecked(new CCheckBox("again")); });
        EXPECT_EQ(result, CMsgBox::kClosed);
        EXPECT_FALSE(CMsgBox::IsChecked(result));
    }
}

TEST(SweepdeckMsgBox, IsModalToTheCallersWindowAndSitsAboveTheCallersCorner)
{
    QWidget window;
    window.setGeometry(100, 120, 500, 400);
    auto* inner = new QWidget(&window);
    inner->setGeometry(40, 50, 100, 100);
    window.show();

    QPoint position;
    QWidget* parent = nullptr;
    Answer(
        [&](CMsgBox* box) {
            position = box->pos();
            parent = box->parentWidget();
            EXPECT_TRUE(box->isModal());
            box->done(0);
        },
        [&] { return ShowTwo(inner); });
    EXPECT_EQ(parent, &window);
    EXPECT_EQ(position, inner->mapToGlobal(QPoint(70, -10)));
}

// Where the desktop composites nothing, a translucent pixel shows black: the box is its body alone,
// without its shadow, standing to its corners on the colour of the panels it opens over.
TEST(SweepdeckMsgBox, WithoutCompositionTheBoxIsItsBodyOnThePanelsColour)
{
    platform::AnnounceComposition(false);
    const QColor panel("#20242f");
    Answer(
        [&](CMsgBox* box) {
            EXPECT_FALSE(box->testAttribute(Qt::WA_TranslucentBackground));
            EXPECT_EQ(box->graphicsEffect(), nullptr);
            EXPECT_EQ(box->width(), 640);
            const QImage image = box->grab().toImage();
            const QRect edge = image.rect();
            for (const QPoint corner : {edge.topLeft(), edge.topRight(), edge.bottomLeft(), edge.bottomRight()})
                EXPECT_EQ(image.pixelColor(corner).name(QColor::HexArgb), panel.name(QColor::HexArgb))
                    << corner.x() << "," << corner.y();
            // The body begins at the edge: its colour a few pixels in, where the shadow was.
            EXPECT_EQ(image.pixelColor(3, edge.height() / 2).name(), QStringLiteral("#272d3b"));
            box->done(0);
        },
        [&] { return ShowTwo(); });
    platform::AnnounceComposition(true);
}

TEST(SweepdeckMsgBox, AWindowDestroyedUnderTheBoxAnswersClosed)
{
    auto* window = new QWidget;
    window->show();
    const int result = Answer([window](CMsgBox*) { delete window; }, [window] { return ShowTwo(window); });
    EXPECT_EQ(result, CMsgBox::kClosed);
}

TEST(SweepdeckMsgBox, EmptyTextsAndUnknownIconsAreHidden)
{
    CMsgBox box(nullptr);
    auto* title = box.findChild<QLabel*>("jexMesTitleLable");
    auto* content = box.findChild<QLabel*>("jexMesConteLable");
    ASSERT_TRUE(title && content);

    box.SetText("caption", QString(), "content");
    EXPECT_TRUE(title->isHidden());
    EXPECT_FALSE(content->isHidden());
    EXPECT_EQ(content->contentsMargins().top(), 5);

    box.SetText("caption", "title", QString());
    EXPECT_FALSE(title->isHidden());
    EXPECT_TRUE(content->isHidden());
    EXPECT_EQ(content->contentsMargins().top(), 0);

    EXPECT_EQ(box.findChild<QLabel*>("CFrameTitle_textTitle")->text(), "caption");

    // The icon label is the box's only label without a name.
    QLabel* icon = nullptr;
    for (QLabel* label : box.findChildren<QLabel*>())
        if (label->objectName().isEmpty())
            icon = label;
    ASSERT_NE(icon, nullptr);
    box.SetIcon(3);
    EXPECT_TRUE(icon->isHidden());
    box.SetIcon(CMsgBox::IconAlert);
    EXPECT_FALSE(icon->isHidden());
}

TEST(SweepdeckFrameTitle, DraggingMovesTheWindowOnlyWhileTheCursorIsOnTheScreen)
{
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    auto* bar = new CFrameTitle(&window);
    window.setGeometry(100, 100, 300, 200);
    window.show();

    const auto send = [bar](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, bar->mapFromGlobal(global), global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    send(QEvent::MouseButtonPress, QPoint(110, 110), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(150, 130), Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(140, 120));
    send(QEvent::MouseMove, screen.bottomRight() + QPoint(50, 50), Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(140, 120));
    send(QEvent::MouseMove, QPoint(160, 160), Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(150, 150));
    send(QEvent::MouseButtonRelease, QPoint(160, 160), Qt::NoButton);
    send(QEvent::MouseMove, QPoint(200, 200), Qt::NoButton);
    EXPECT_EQ(window.pos(), QPoint(150, 150));
}
