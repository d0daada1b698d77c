// The failure text rule and the real modal boxes.
#include "app/Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/common/Rows.h"
#include <functional>

namespace {

struct TextRow {
    const char *name;
    QString message;
    QString shown;
};

const TextRow TextRows[] = {
    {"EndsInDigit", "Asynchronous socket error 10053", "Asynchronous socket error 10053."},
    {"EndsInQuote", "on API 'connect'", "on API 'connect'"},
    {"EndsInLetter", "'abc' is not a valid integer value", "'abc' is not a valid integer value."},
    {"EndsInFullStop", "Done.", "Done."},
    {"EndsInSlash", "a/", "a/."}, // '/' is the first code above '.'
    {"EndsInMinus", "a-", "a-"},  // '-' is just below '.'
    {"EndsInBang", "Stop!", "Stop!"},
    {"EndsInNonAscii", QString::fromUtf8("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9.")},
    {"Empty", "", ""},
};

class FailureTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(FailureTextTest, FullStopOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(FailureText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, FailureTextTest, ::testing::ValuesIn(TextRows), test_rows::RowName);

// Runs check on the modal box of type Box once it is open; check must close it.
template <class Box> void WhenModalOpens(std::function<void(Box *)> check) {
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        QWidget *widget = QApplication::activeModalWidget();
        if (!widget)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto *box = qobject_cast<Box *>(widget)) {
            check(box);
        } else {
            ADD_FAILURE() << "unexpected modal window";
            widget->close();
        }
    });
    timer->start(5);
}

struct BoxRow {
    const char *name;
    std::function<bool(TDialogs &)> show; // true: the answer counted as Yes / OK
    QString caption;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton press;
    bool answer;
};

const QString Markup = QStringLiteral("<b>peer</b> text");

const BoxRow BoxRows[] = {
    {"Notice",
     [](TDialogs &d) {
         d.Notice(Markup);
         return true;
     },
     "Boardwick ver 1.00", QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok, true},
    {"ConfirmYes", [](TDialogs &d) { return d.Confirm(Markup); }, "Confirm", QMessageBox::Question,
     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, true},
    {"ConfirmNo", [](TDialogs &d) { return d.Confirm(Markup); }, "Confirm", QMessageBox::Question,
     QMessageBox::Yes | QMessageBox::No, QMessageBox::No, false},
    {"Refusal",
     [](TDialogs &d) {
         d.Refusal(Markup);
         return true;
     },
     "Error", QMessageBox::Critical, QMessageBox::Yes, QMessageBox::Yes, true},
    {"ErrorBox",
     [](TDialogs &d) {
         d.ErrorBox(Markup);
         return true;
     },
     "Boardwick ver 1.00", QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, true},
};

class RealBoxTest : public ::testing::TestWithParam<BoxRow> {};

TEST_P(RealBoxTest, CaptionIconButtonsAndPlainText) {
    const BoxRow &row = GetParam();
    const QString savedName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("Boardwick ver 1.00"));
    TQtDialogs dialogs;
    bool seen = false;
    WhenModalOpens<QMessageBox>([&](QMessageBox *box) {
        seen = true;
        EXPECT_EQ(box->windowTitle(), row.caption);
        EXPECT_EQ(box->icon(), row.icon);
        EXPECT_EQ(box->standardButtons(), row.buttons);
        EXPECT_EQ(box->text(), Markup);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->button(row.press)->click();
    });
    EXPECT_EQ(row.show(dialogs), row.answer);
    EXPECT_TRUE(seen);
    QCoreApplication::setApplicationName(savedName);
}

INSTANTIATE_TEST_SUITE_P(Rows, RealBoxTest, ::testing::ValuesIn(BoxRows), test_rows::RowName);

TEST(RealInputBox, OkReturnsTypedTextCutToMaxLength) {
    TQtDialogs dialogs;
    WhenModalOpens<QInputDialog>([](QInputDialog *box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Time Setting"));
        EXPECT_EQ(box->labelText(), QStringLiteral("Insert time"));
        auto *edit = box->findChild<QLineEdit *>();
        if (!edit) {
            ADD_FAILURE() << "no text field";
            box->reject();
            return;
        }
        EXPECT_EQ(edit->text(), QStringLiteral("45"));
        edit->setText(QStringLiteral("123456")); // typing obeys the limit; setText does too
        box->accept();
    });
    QString text = QStringLiteral("45");
    EXPECT_TRUE(
        dialogs.InputQuery(QStringLiteral("Time Setting"), QStringLiteral("Insert time"), text, 4));
    EXPECT_EQ(text, QStringLiteral("1234"));
}

TEST(RealInputBox, CancelKeepsText) {
    TQtDialogs dialogs;
    WhenModalOpens<QInputDialog>([](QInputDialog *box) {
        box->findChild<QLineEdit *>()->setText(QStringLiteral("typed"));
        box->reject();
    });
    QString text = QStringLiteral("before");
    EXPECT_FALSE(dialogs.InputQuery(QStringLiteral("c"), QStringLiteral("p"), text));
    EXPECT_EQ(text, QStringLiteral("before"));
}

} // namespace
