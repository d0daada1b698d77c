// The link label: which captions look like links, their colours and pointer, and opening.
#include "components/URL.h"

#include "tests/common/Rows.h"
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Whether some pixel of the label's picture is close to colour.
bool Shows(TURL &label, const QColor &colour) {
    const QImage image = label.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::abs(p.red() - colour.red()) + std::abs(p.green() - colour.green()) +
                    std::abs(p.blue() - colour.blue()) <
                40)
                return true;
        }
    return false;
}

struct CaptionRow {
    const char *name;
    QString caption;
    bool link;
};

const CaptionRow CaptionRows[] = {
    {"Web", "http://boardwick.example.org/", true},
    {"WebMixedCase", "hTtP://Example.org", true},
    {"WebSingleSlashIsEnough", "HTTP:/x", true},
    {"SecureWebIsNot", "https://example.org", false},
    {"Mail", "mailto:someone@example.org", true},
    {"MailWithoutColon", "MaIlToX", true},
    {"FileTransfer", "ftp://example.org", true},
    {"FileTransferOneSlash", "ftp:/example", false},
    {"FiveCharacters", "http:", false},
    {"MailtoTooShort", "mailt", false},
    {"Empty", "", false},
    {"LeadingSpace", " http://example.org", false},
    {"PlainWords", "Boardwick", false},
};

class URLCaptionTest : public ::testing::TestWithParam<CaptionRow> {};

TEST_P(URLCaptionTest, LookFollowsCaptionAtPaint) {
    const CaptionRow &row = GetParam();
    TURL label;
    label.SetCaption(row.caption);
    label.resize(240, 20);
    EXPECT_FALSE(label.IsLink()); // decided by painting, not by setting the caption
    label.grab();
    EXPECT_EQ(label.IsLink(), row.link);
    EXPECT_EQ(label.font().underline(), row.link);
    EXPECT_EQ(label.palette().color(QPalette::WindowText),
              row.link ? label.LinkColor() : label.NormalColor());
    EXPECT_EQ(label.cursor().shape(), row.link ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (!row.caption.trimmed().isEmpty()) {
        EXPECT_TRUE(Shows(label, row.link ? QColor(0, 0, 255) : label.NormalColor()));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, URLCaptionTest, ::testing::ValuesIn(CaptionRows),
                         test_rows::RowName);

TEST(URL, AutoSizeFollowsCaption) {
    TURL label;
    label.SetCaption("ftp://a");
    const QSize small = label.size();
    label.SetCaption("http://a.much.longer.example.org/path");
    EXPECT_GT(label.width(), small.width());
    EXPECT_EQ(label.size(), label.sizeHint());
    label.SetAutoSize(false);
    label.resize(30, 13);
    label.SetCaption("http://another.example.org/");
    EXPECT_EQ(label.size(), QSize(30, 13));
}

TEST(URL, CaptionLosingItsAddressLosesTheLinkLook) {
    TURL label;
    label.SetCaption("http://example.org");
    label.grab();
    ASSERT_TRUE(label.IsLink());
    label.SetCaption("example.org");
    label.grab();
    EXPECT_FALSE(label.IsLink());
    EXPECT_FALSE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(Shows(label, QColor(0, 0, 255)));
}

TEST(URL, LaterColourChangeDoesNotMoveNormalColour) {
    TURL label;
    const QColor normal = label.NormalColor();
    QPalette green = label.palette();
    green.setColor(QPalette::WindowText, QColor(0, 160, 0));
    label.setPalette(green);
    label.SetCaption("Boardwick");
    label.grab();
    EXPECT_EQ(label.NormalColor(), normal);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), normal);
}

TEST(URL, LinkColourBeforeFirstPaintIsUsedByIt) {
    TURL label;
    label.SetCaption("http://example.org");
    label.SetLinkColor(QColor(200, 0, 0));
    EXPECT_FALSE(label.IsLink());
    EXPECT_EQ(label.palette().color(QPalette::WindowText), label.NormalColor());
    label.grab();
    EXPECT_TRUE(Shows(label, QColor(200, 0, 0)));
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
  public:
    int Paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return false;
    }
};

TEST(URL, LinkColourOnShownLinkRepaintsAtOnce) {
    TURL label;
    label.SetCaption("http://example.org");
    label.resize(200, 20);
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    ASSERT_TRUE(QTest::qWaitFor([&] { return label.IsLink(); }, 5000));
    PaintCounter counter;
    label.installEventFilter(&counter);
    label.SetLinkColor(QColor(0, 150, 0));
    EXPECT_GE(counter.Paints, 1);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 150, 0));
    EXPECT_TRUE(Shows(label, QColor(0, 150, 0)));
}

struct PressRow {
    const char *name;
    QString caption;
    Qt::MouseButton button;
    QStringList opened;
};

const PressRow PressRows[] = {
    {"LinkOpens", "http://example.org", Qt::LeftButton, {"http://example.org"}},
    {"NonLinkStillOpens", "Boardwick", Qt::LeftButton, {"Boardwick"}},
    {"RightButtonDoesNot", "http://example.org", Qt::RightButton, {}},
    {"MiddleButtonDoesNot", "http://example.org", Qt::MiddleButton, {}},
};

class URLPressTest : public ::testing::TestWithParam<PressRow> {};

TEST_P(URLPressTest, LeftPressOpensCaption) {
    const PressRow &row = GetParam();
    TURL label;
    label.SetCaption(row.caption);
    label.resize(200, 20);
    QStringList opened;
    label.OpenDocument = [&](const QString &caption) { opened << caption; };
    QTest::mousePress(&label, row.button, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(opened, row.opened);
}

INSTANTIATE_TEST_SUITE_P(Rows, URLPressTest, ::testing::ValuesIn(PressRows), test_rows::RowName);

} // namespace
