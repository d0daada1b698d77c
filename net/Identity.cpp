#include "net/Identity.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

template <auto Free> struct TFreeWith {
    template <class T> void operator()(T *p) const { Free(p); }
};
using TKey = std::unique_ptr<EVP_PKEY, TFreeWith<EVP_PKEY_free>>;
using TCert = std::unique_ptr<X509, TFreeWith<X509_free>>;
using TBio = std::unique_ptr<BIO, TFreeWith<BIO_free>>;

// A certificate outlives any program that made it; its dates carry no meaning here.
constexpr long ValidDays = 36500;
constexpr qint64 MaxFileBytes = 64 * 1024;

QByteArray BioBytes(BIO *bio) {
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return QByteArray(data, static_cast<qsizetype>(size));
}

// Straight from the certificate's encoding: no key object is made, which spares OpenSSL's key
// machinery (and its memory) at start-up.
QString KeyFingerprint(X509 *cert) {
    unsigned char *der = nullptr;
    const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &der);
    if (size <= 0)
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(QByteArrayView(der, size), QCryptographicHash::Sha256);
    OPENSSL_free(der);
    return QString::fromLatin1(hash.toHex());
}

TCert SelfSigned(EVP_PKEY *key) {
    TCert cert(X509_new());
    unsigned char serial[16];
    if (!cert || RAND_bytes(serial, sizeof serial) != 1)
        return nullptr;
    serial[0] &= 0x7f; // a positive serial number
    BIGNUM *number = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool made = number && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get()));
    BN_free(number);
    X509_NAME *name = X509_get_subject_name(cert.get());
    if (!made || X509_set_version(cert.get(), 2) != 1 ||
        !X509_gmtime_adj(X509_getm_notBefore(cert.get()), -86400) ||
        !X509_time_adj_ex(X509_getm_notAfter(cert.get()), ValidDays, 0, nullptr) ||
        X509_set_pubkey(cert.get(), key) != 1 ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char *>("Boardwick"), -1, -1,
                                   0) != 1 ||
        X509_set_issuer_name(cert.get(), name) != 1 ||
        X509_sign(cert.get(), key, EVP_sha256()) <= 0)
        return nullptr;
    return cert;
}

// The PEM block of that label, as it stands in the text.
QByteArray Block(const QByteArray &pem, const char *label) {
    const QByteArray begin = "-----BEGIN " + QByteArray(label) + "-----";
    const QByteArray end = "-----END " + QByteArray(label) + "-----\n";
    const qsizetype from = pem.indexOf(begin), to = pem.indexOf(end, from);
    return from < 0 || to < 0 ? QByteArray() : pem.mid(from, to + end.size() - from);
}

// Reads key and certificate from PEM text; invalid unless the certificate is the key's own.
TIdentity Read(const QByteArray &pem) {
    TBio keyBio(BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size())));
    TBio certBio(BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size())));
    if (!keyBio || !certBio)
        return {};
    TKey key(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
    TCert cert(PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr));
    if (!key || !cert || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_EC ||
        X509_check_private_key(cert.get(), key.get()) != 1)
        return {};
    return {Block(pem, "EC PRIVATE KEY"), Block(pem, "CERTIFICATE"), KeyFingerprint(cert.get())};
}

TIdentity ReadFile(const QString &file) {
    QFile kept(file);
    return kept.open(QIODevice::ReadOnly) ? Read(kept.read(MaxFileBytes)) : TIdentity{};
}

// Written whole under a temporary name, readable by the user only, then put in place unless
// another copy of the program has just put its own there.
bool Keep(const QString &file, const QByteArray &bytes) {
    const QByteArray temporary = QFile::encodeName(file + QStringLiteral(".new%1").arg(::getpid()));
    ::unlink(temporary.constData());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, bytes.constData(), static_cast<std::size_t>(bytes.size())) == bytes.size() &&
        ::fsync(fd) == 0;
    ::close(fd);
    const bool kept =
        written && ::link(temporary.constData(), QFile::encodeName(file).constData()) == 0;
    ::unlink(temporary.constData());
    return kept;
}

} // namespace

TIdentity MakeIdentity() {
    TKey key(EVP_EC_gen("P-256"));
    if (!key)
        return {};
    TCert cert = SelfSigned(key.get());
    if (!cert)
        return {};
    TBio keyOut(BIO_new(BIO_s_mem())), certOut(BIO_new(BIO_s_mem()));
    if (!keyOut || !certOut ||
        PEM_write_bio_PrivateKey_traditional(keyOut.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                             nullptr) != 1 ||
        PEM_write_bio_X509(certOut.get(), cert.get()) != 1)
        return {};
    return {BioBytes(keyOut.get()), BioBytes(certOut.get()), KeyFingerprint(cert.get())};
}

TIdentity LoadIdentity(const QString &file, QString &problem) {
    problem.clear();
    if (QFile::exists(file)) {
        if (TIdentity identity = ReadFile(file); identity.Valid()) {
            // Another user must not read it, whoever loosened it.
            ::chmod(QFile::encodeName(file).constData(), 0600);
            return identity;
        }
        problem = QStringLiteral("Your key in %1 could not be read; it was set aside and a new one "
                                 "made. Opponents who knew you will see a changed key.")
                      .arg(QDir::toNativeSeparators(file));
        QFile::remove(file + QStringLiteral(".damaged"));
        if (!QFile::rename(file, file + QStringLiteral(".damaged")))
            QFile::remove(file);
    }
    TIdentity made = MakeIdentity();
    const bool kept = made.Valid() && QDir().mkpath(QFileInfo(file).absolutePath()) &&
                      Keep(file, made.KeyPem + made.CertificatePem);
    if (!kept) {
        if (TIdentity theirs = ReadFile(file); theirs.Valid())
            return theirs; // another copy of the program made it first
        problem = QStringLiteral("No key could be kept in %1: games are not encrypted.")
                      .arg(QDir::toNativeSeparators(file));
        return {};
    }
    return made;
}

QString CertificateFingerprint(const QByteArray &der) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(der.constData());
    TCert cert(d2i_X509(nullptr, &bytes, static_cast<long>(der.size())));
    if (!cert)
        return {};
    return KeyFingerprint(cert.get());
}

QString SafetyCode(const QString &fingerprint, const QString &otherFingerprint) {
    const bool ordered = fingerprint < otherFingerprint;
    const QString joined = (ordered ? fingerprint : otherFingerprint) + QLatin1Char(':') +
                           (ordered ? otherFingerprint : fingerprint);
    const QByteArray hash = QCryptographicHash::hash(joined.toLatin1(), QCryptographicHash::Sha256);
    quint64 value = 0;
    for (int i = 0; i < 8; ++i)
        value = (value << 8) | static_cast<unsigned char>(hash[i]);
    const QString digits =
        QStringLiteral("%1").arg(value % 10000000000000000ULL, 16, 10, QLatin1Char('0'));
    return QStringLiteral("%1 %2 %3 %4")
        .arg(digits.mid(0, 4), digits.mid(4, 4), digits.mid(8, 4), digits.mid(12, 4));
}
