#include "app/GameAutosave.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const std::string GameOne = "[Event \"Boardwick game\"]\n\n1. e4 e5 *\n";
const std::string GameTwo = "[Event \"Boardwick game\"]\n\n1. d4 d5 *\n";
const QDate Day(2026, 12, 8);

QByteArray Contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class GameAutosaveTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }
    QTemporaryDir temp;
};

TEST_F(GameAutosaveTest, GamesOfADayGoToOneFileInOrder) {
    TGameAutosave autosave(temp.filePath(QStringLiteral("games")));
    EXPECT_EQ(autosave.DayFile(Day), temp.filePath(QStringLiteral("games/2026-12-08.pgn")));
    ASSERT_TRUE(autosave.Append(GameOne, Day)) << autosave.LastError().toStdString();
    ASSERT_TRUE(autosave.Append(GameTwo, Day)) << autosave.LastError().toStdString();
    ASSERT_TRUE(autosave.Append(GameTwo, Day.addDays(1)));
    EXPECT_EQ(Contents(autosave.DayFile(Day)), QByteArray::fromStdString(GameOne + "\n" + GameTwo));
    EXPECT_EQ(Contents(autosave.DayFile(Day.addDays(1))), QByteArray::fromStdString(GameTwo));
    // Nothing but the day files and the lock is left behind (no temporary copies).
    const QStringList files = QDir(autosave.Folder()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(files,
              (QStringList{QStringLiteral("2026-12-08.pgn"), QStringLiteral("2026-12-09.pgn")}));
}

TEST_F(GameAutosaveTest, AppendingKeepsTheOldGamesAndAddsTheNewOneAfterOneEmptyLine) {
    // clang-format off
    const std::string rows[][2] = { // the old file, the separator it needs
        {GameOne + "\n" + GameOne, "\n"}, {"1. e4 *", "\n\n"}, {GameOne + "\n", ""}, {"\n", "\n"},
    };
    // clang-format on
    TGameAutosave autosave(temp.path());
    for (const auto &[old, separator] : rows) {
        QFile file(autosave.DayFile(Day));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(old.data()));
        file.close();
        ASSERT_TRUE(autosave.Append(GameTwo, Day)) << autosave.LastError().toStdString();
        EXPECT_EQ(Contents(autosave.DayFile(Day)),
                  QByteArray::fromStdString(old + separator + GameTwo));
    }
}

TEST_F(GameAutosaveTest, FailureIsReportedAndKeepsWhatWasThere) {
    // A day file that cannot be read as a file must not be replaced.
    TGameAutosave autosave(temp.path());
    ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("2026-12-08.pgn/keep")));
    EXPECT_FALSE(autosave.Append(GameOne, Day));
    EXPECT_FALSE(autosave.LastError().isEmpty());
    EXPECT_TRUE(QDir(temp.filePath(QStringLiteral("2026-12-08.pgn/keep"))).exists());

    // A folder that cannot be made.
    QFile blocker(temp.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TGameAutosave blocked(temp.filePath(QStringLiteral("plain/games")));
    EXPECT_FALSE(blocked.Append(GameOne, Day));
    EXPECT_TRUE(blocked.LastError().contains(QStringLiteral("plain/games")));
}

} // namespace

// The program's title is its application name; the games' folder must not follow it.
TEST(GameAutosaveFolder, IsBoardwickGamesWhateverTheTitle) {
    const QString before = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("Boardwick ver 1.00"));
    const QString folder = TGameAutosave::DefaultFolder();
    QCoreApplication::setApplicationName(before);
    EXPECT_EQ(folder, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          QStringLiteral("/Boardwick/games"));
}
