// The About box: its window and places, "Ok", the link, and the hidden time setting.
#include "app/Unit1.h"
#include "components/URL.h"
#include "tests/common/ScriptedDialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <optional>

namespace {

const QString Title = QStringLiteral("Boardwick ver 1.00");
const QString AskTime = QStringLiteral("Input|Time Setting|Insert time");

class AboutBox : public ::testing::Test {
  protected:
    AboutBox() : SavedName(QCoreApplication::applicationName()) {
        QCoreApplication::setApplicationName(Title);
        Form.GameInProgress = [this] { return GameRuns; };
        Form.SetTimePerSide = [this](int minutes) { TimePerSide = minutes; };
    }
    ~AboutBox() override { QCoreApplication::setApplicationName(SavedName); }

    QString SavedName;
    ScriptedDialogs Dialogs;
    TForm1 Form{nullptr, &Dialogs};
    bool GameRuns = false;
    int TimePerSide = 45;
};

TEST_F(AboutBox, WindowAndPlaces) {
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("About !"));
    EXPECT_EQ(Form.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(Form.windowFlags() &
                 (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(Form.pos(), QPoint(152, 84)); // the frame's corner, as the main window is placed
    EXPECT_EQ(Form.size(), QSize(328, 310));
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_FALSE(Form.isVisible()); // created hidden

    const struct {
        QWidget *widget;
        QRect place; // empty size: the widget sizes itself to its text
    } places[] = {
        {Form.Label5, {128, 72, 0, 0}},     {Form.Image1, {192, 24, 105, 105}},
        {Form.URL1, {16, 124, 0, 0}},       {Form.RichEdit1, {8, 184, 313, 89}},
        {Form.Button1, {120, 280, 73, 25}},
    };
    for (const auto &p : places) {
        const std::string name = p.widget->objectName().toStdString();
        if (p.place.isEmpty()) {
            EXPECT_EQ(p.widget->pos(), p.place.topLeft()) << name;
            EXPECT_EQ(p.widget->size(), p.widget->sizeHint()) << name; // whole text visible
        } else {
            EXPECT_EQ(p.widget->geometry(), p.place) << name;
        }
    }

    EXPECT_EQ(Form.Label5->text(), QStringLiteral("ver. 1.01"));
    EXPECT_EQ(Form.Button1->text(), QStringLiteral("Ok"));
    EXPECT_TRUE(Form.RichEdit1->isReadOnly());
    EXPECT_EQ(Form.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(Form.RichEdit1->toPlainText().trimmed().isEmpty());
}

// The information text wraps at words; the box never scrolls sideways.
TEST_F(AboutBox, InformationTextWrapsWithoutSidewaysScrolling) {
    Form.RichEdit1->append(QStringLiteral(
        "A last paragraph much longer than the text box is wide, so that it wraps."));
    Form.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Form.RichEdit1->horizontalScrollBar()->isVisible());
    EXPECT_EQ(Form.RichEdit1->horizontalScrollBar()->maximum(), 0);
    EXPECT_LE(Form.RichEdit1->document()->size().width(), Form.RichEdit1->viewport()->width());
    EXPECT_GT(Form.RichEdit1->document()->lastBlock().layout()->lineCount(), 1);
}

TEST_F(AboutBox, ArtworkIsLoaded) {
    ASSERT_FALSE(Form.ProductName->pixmap().isNull());
    ASSERT_FALSE(Form.Image1->pixmap().isNull());
    EXPECT_EQ(Form.Image1->pixmap().size(), QSize(100, 100));
    EXPECT_TRUE(QRect(8, 0, 141, 109).contains(Form.ProductName->geometry()));
    // The version text stays clickable over the artwork.
    Form.show();
    EXPECT_EQ(Form.childAt(QPoint(140, 78)), Form.Label5);
}

TEST_F(AboutBox, LinkIsTheProjectAddressAndOpensIt) {
    QStringList opened;
    Form.URL1->OpenDocument = [&](const QString &caption) { opened << caption; };
    Form.show();
    Form.URL1->grab();
    EXPECT_TRUE(Form.URL1->IsLink());
    QTest::mouseClick(Form.URL1, Qt::LeftButton, Qt::NoModifier, QPoint(4, 6));
    EXPECT_EQ(opened, QStringList{TForm1::WebAddress()});
}

TEST_F(AboutBox, OkClosesAndFocusStartsOnIt) {
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    EXPECT_EQ(QApplication::focusWidget(), Form.Button1);
    QTest::keyClick(Form.Button1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Form.RichEdit1);
    QTest::mouseClick(Form.Button1, Qt::LeftButton);
    EXPECT_FALSE(Form.isVisible());
    EXPECT_TRUE(Dialogs.Shown.empty());
}

struct TimeRow {
    const char *name;
    bool gameRuns;
    std::optional<QString> typed; // none: Cancel
    int time;
    QStringList boxes;
};

QString Invalid(const QString &text) {
    return "ErrorBox|" + Title + "|'" + text + "' is not a valid integer value.";
}

const TimeRow TimeRows[] = {
    {"ThreeBecomesFive", false, "3", 5, {AskTime}},
    {"ZeroBecomesFive", false, "0", 5, {AskTime}},
    {"NegativeBecomesFive", false, "-7", 5, {AskTime}},
    {"MinimumBecomesFive", false, "-2147483648", 5, {AskTime}},
    {"FiveStays", false, "5", 5, {AskTime}},
    {"HundredTwentyStays", false, "120", 120, {AskTime}},
    {"HugeBecomes999", false, "2147483647", 999, {AskTime}},
    {"HexDollar", false, "$10", 16, {AskTime}},
    {"LeadingSpaces", false, "  30", 30, {AskTime}},
    {"WordKeepsTime", false, "abc", 45, {AskTime, Invalid("abc")}},
    {"EmptyKeepsTime", false, "", 45, {AskTime, Invalid("")}},
    {"TrailingSpaceKeepsTime", false, "30 ", 45, {AskTime, Invalid("30 ")}},
    {"OverflowKeepsTime", false, "2147483648", 45, {AskTime, Invalid("2147483648")}},
    {"CancelKeepsTime", false, std::nullopt, 45, {AskTime}},
    {"DuringGameNothing", true, std::nullopt, 45, {}},
};

class AboutTimeSetting : public AboutBox, public ::testing::WithParamInterface<TimeRow> {};

TEST_P(AboutTimeSetting, DoubleClickOnVersion) {
    const TimeRow &row = GetParam();
    GameRuns = row.gameRuns;
    if (!row.gameRuns)
        Dialogs.Answer(row.typed.has_value(), row.typed.value_or(QStringLiteral("7")));
    QTest::mouseDClick(Form.Label5, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(TimePerSide, row.time);
    EXPECT_EQ(Dialogs.Log(), row.boxes);
}

INSTANTIATE_TEST_SUITE_P(Rows, AboutTimeSetting, ::testing::ValuesIn(TimeRows), test_rows::RowName);

TEST_F(AboutBox, OnlyLeftDoubleClickAsks) {
    QTest::mouseDClick(Form.Label5, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseDClick(Form.Button1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(Dialogs.Shown.empty());
    EXPECT_EQ(TimePerSide, 45);
}

} // namespace
