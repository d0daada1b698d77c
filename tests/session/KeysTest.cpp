// This copy's key as kept on disk, what is derived from keys, and the known opponents file.
#include "app/session/KnownPeers.h"
#include "net/Identity.h"

#include <QFile>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString Key(char c) {
    return QString(64, QLatin1Char(c));
}

mode_t ModeOf(const QString &file) {
    struct stat info {};
    ::stat(QFile::encodeName(file).constData(), &info);
    return info.st_mode & 0777;
}

TEST(Identity, MadeOnceKeptPrivateAndProvedByItsCertificate) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("keys/identity.pem"));
    QString problem;
    const TIdentity made = LoadIdentity(file, problem);
    ASSERT_TRUE(made.Valid()) << problem.toStdString();
    EXPECT_TRUE(problem.isEmpty());
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(LoadIdentity(file, problem).Fingerprint, made.Fingerprint);
    EXPECT_EQ(CertificateFingerprint(QSslCertificate(made.CertificatePem).toDer()),
              made.Fingerprint);
}

TEST(Identity, ADamagedKeyIsSaidSetAsideAndReplaced) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("identity.pem"));
    QString problem;
    const TIdentity first = LoadIdentity(file, problem);
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(first.KeyPem.left(60)); // cut short, without its certificate
    damaged.close();
    const TIdentity second = LoadIdentity(file, problem);
    EXPECT_TRUE(second.Valid());
    EXPECT_NE(second.Fingerprint, first.Fingerprint);
    EXPECT_TRUE(problem.contains(QLatin1String("could not be read")));
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".damaged")));
}

TEST(KnownPeers, ADamagedFileKeepsItsGoodLines) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("known"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QStringLiteral("%1 2026-01-01T00:00:00Z 2026-01-02T00:00:00Z friend\n"
                             "%2 garbage\n\xff\xfe\n%3 2026-01-01T00:00:00Z 2026-01-01T00:00:00Z\n")
                  .arg(Key('a'), Key('b'), Key('c'))
                  .toUtf8());
    out.close();
    TKnownPeers known(file);
    ASSERT_EQ(known.Entries().size(), 1u);
    EXPECT_EQ(known.OtherKeyOf(QStringLiteral("friend"), Key('d')), Key('a'));
    EXPECT_TRUE(
        known.Seen(Key('d'), QStringLiteral("a name\nwith\tblanks"), QDateTime::currentDateTime()));
    EXPECT_EQ(TKnownPeers(file).Entries().back().Name, QStringLiteral("a_name_with_blanks"));
}

TEST(KnownPeers, TheLongestUnseenGoFirst) {
    TKnownPeers known;
    const QDateTime start = QDateTime::currentDateTimeUtc();
    for (std::size_t i = 0; i <= TKnownPeers::MaxEntries; ++i)
        known.Seen(QStringLiteral("%1").arg(i, 64, 16, QLatin1Char('0')), QStringLiteral("p"),
                   start.addSecs(static_cast<qint64>(i)));
    EXPECT_EQ(known.Entries().size(), TKnownPeers::MaxEntries);
    EXPECT_FALSE(known.Knows(QStringLiteral("%1").arg(0, 64, 16, QLatin1Char('0'))));
}

} // namespace
