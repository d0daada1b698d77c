#include "app/GameAutosave.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

namespace {

constexpr int LockWaitMs = 1000;

// A file descriptor closed when it goes out of scope.
class TFd {
  public:
    explicit TFd(int fd) : fd_(fd) {}
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    ~TFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }

  private:
    int fd_;
};

} // namespace

TGameAutosave::TGameAutosave(QString folder) : folder_(std::move(folder)) {}

// The application name is the window title ("Boardwick ver 1.00"), so the program's data folder
// is named here rather than taken from it.
QString TGameAutosave::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Boardwick/games");
}

QString TGameAutosave::DayFile(QDate day) const {
    return QDir(folder_).filePath(day.toString(QStringLiteral("yyyy-MM-dd")) +
                                  QStringLiteral(".pgn"));
}

bool TGameAutosave::Fail(const QString &reason) {
    lastError_ = reason;
    return false;
}

bool TGameAutosave::Append(const std::string &pgn, QDate day) {
    lastError_.clear();
    if (folder_.isEmpty() || !QDir().mkpath(folder_))
        return Fail(QStringLiteral("Cannot create the folder %1").arg(folder_));
    // The separator depends on how the file ends, so look and write must not interleave with
    // another copy doing the same.
    QLockFile lock(QDir(folder_).filePath(QStringLiteral(".autosave.lock")));
    if (!lock.tryLock(LockWaitMs))
        return Fail(QStringLiteral("The folder %1 is locked by another copy").arg(folder_));

    const QString path = DayFile(day);
    const auto failure = [&](int error) {
        return Fail(QStringLiteral("Cannot write %1: %2").arg(path, qt_error_string(error)));
    };
    const TFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0)
        return failure(errno);
    if (!S_ISREG(info.st_mode))
        return failure(EISDIR);

    // Only the old file's last two bytes are read: keeping a game costs the same however many
    // games the day already has.
    char tail[2] = {};
    const off_t oldSize = info.st_size;
    const off_t tailSize = std::min<off_t>(oldSize, 2);
    if (::pread(fd.Get(), tail, tailSize, oldSize - tailSize) != tailSize)
        return failure(errno);
    // Games are separated by one empty line, whatever the old file ended with.
    std::string text;
    if (tailSize > 0 && tail[tailSize - 1] != '\n')
        text = "\n\n";
    else if (tailSize > 0 && (tailSize < 2 || tail[0] != '\n'))
        text = "\n";
    text += pgn;

    // The whole game in one write, flushed before it counts as kept; a failed or short write is
    // cut back off, so no half game stays behind.
    const auto size = static_cast<ssize_t>(text.size());
    ssize_t written;
    do
        written = ::write(fd.Get(), text.data(), text.size());
    while (written < 0 && errno == EINTR);
    QString reason;
    if (written < 0)
        reason = qt_error_string(errno);
    else if (written != size)
        reason = QStringLiteral("the disk took only part of the game");
    else if (::fsync(fd.Get()) != 0)
        reason = qt_error_string(errno);
    if (reason.isEmpty())
        return true;
    if (::ftruncate(fd.Get(), oldSize) != 0 || ::fsync(fd.Get()) != 0)
        reason += QStringLiteral(" (and the part written could not be taken back)");
    return Fail(QStringLiteral("Cannot write %1: %2").arg(path, reason));
}
