// The main window as painted: the board's coordinate labels stand out from their frame, and
// long chat lines wrap instead of scrolling sideways.
#include "app/Main.h"
#include "board/ChessBrd.h"
#include "tests/common/ScriptedDialogs.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace {

// Relative luminance and contrast ratio as the usual accessibility guidelines define them.
double Luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class MainWindowLook : public ::testing::Test {
  protected:
    MainWindowLook() {
        TMainFormSeams seams;
        seams.ListenPort = 0;
        seams.Dialogs = &Dialogs;
        seams.LocalAddresses = [] { return std::optional<QStringList>(QStringList{"192.0.2.1"}); };
        seams.LocalInterfaces = [] { return QList<TInterfaceAddress>{}; };
        Form = std::make_unique<TMainForm>(std::move(seams));
        Form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    }

    ScriptedDialogs Dialogs;
    std::unique_ptr<TMainForm> Form;
};

// The frame between the outer and the inner frame line, as the window shows it: its fill is
// the commonest colour, every other colour there is label text.
TEST_F(MainWindowLook, CoordinateLabelsReadAtThreeToOneOnTheirFrame) {
    const TChessBrd &board = *Form->ChessBrd1;
    const QImage shown =
        Form->grab(board.geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(296, 296));
    const int border = board.SizeOfBorder(), side = shown.width();
    std::map<QRgb, int> counts;
    for (int y = 1; y < side - 1; ++y) {
        for (int x = 1; x < side - 1; ++x) {
            const bool inFrame =
                x < border - 1 || y < border - 1 || x > side - border || y > side - border;
            if (inFrame)
                ++counts[shown.pixel(x, y)];
        }
    }
    const auto fill =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto &a, const auto &b) { return a.second < b.second; });
    int labelPixels = 0;
    for (const auto &[colour, count] : counts) {
        if (colour == fill->first)
            continue;
        labelPixels += count;
        EXPECT_GE(Contrast(colour, fill->first), 3.0)
            << "label #" << std::hex << colour << " on frame #" << fill->first;
    }
    // 32 labels (8 digits and 8 letters on two sides each), each some strokes wide.
    EXPECT_GT(labelPixels, 32 * 8);
}

TEST_F(MainWindowLook, LongChatLinesWrapAtWordsWithoutSidewaysScrolling) {
    QPlainTextEdit *memo = Form->Memo1;
    const QString words = QStringLiteral("a chat line far longer than the messages window is wide, "
                                         "with many words that must wrap between them");
    const QString unbroken(200, QLatin1Char('x'));
    memo->appendPlainText(words);
    memo->appendPlainText(unbroken);
    QCoreApplication::processEvents();

    EXPECT_FALSE(memo->horizontalScrollBar()->isVisible());
    EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(memo->verticalScrollBar()->isVisible());
    // The lines are kept whole; only their display wraps.
    EXPECT_EQ(memo->toPlainText(), words + QLatin1Char('\n') + unbroken);

    const QTextBlock first = memo->document()->firstBlock();
    ASSERT_GT(first.layout()->lineCount(), 1);
    for (int i = 0; i + 1 < first.layout()->lineCount(); ++i) {
        const QTextLine line = first.layout()->lineAt(i);
        const QChar last = words.at(line.textStart() + line.textLength() - 1);
        EXPECT_TRUE(last.isSpace()) << "line " << i << " ends inside a word";
        EXPECT_LE(line.naturalTextWidth(), memo->viewport()->width());
    }
    // A word wider than the window breaks anywhere rather than overflow.
    EXPECT_GT(first.next().layout()->lineCount(), 1);
}

} // namespace
