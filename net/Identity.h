#pragma once
// This installation's key pair and self-signed certificate, and what is derived from keys: the
// fingerprint that names a peer and the safety code two players can compare by voice.
#include <QByteArray>
#include <QString>

struct TIdentity {
    QByteArray KeyPem, CertificatePem;
    QString Fingerprint; // lower-case hex SHA-256 of the public key (DER SubjectPublicKeyInfo)
    bool Valid() const { return !Fingerprint.isEmpty(); }
};

// A new P-256 key and a certificate for it, signed by itself; invalid only when OpenSSL fails.
TIdentity MakeIdentity();
// The key pair kept in file (key and certificate in PEM, readable by the user only), made there
// when the file is missing. A damaged or unreadable pair is set aside as file + ".damaged" and
// replaced; problem then says so, for the player to be told. Invalid when no key could be had.
TIdentity LoadIdentity(const QString &file, QString &problem);
// The fingerprint of the public key in a DER certificate; empty when it is no certificate.
QString CertificateFingerprint(const QByteArray &der);
// Sixteen digits in four groups, the same whichever fingerprint is given first.
QString SafetyCode(const QString &fingerprint, const QString &otherFingerprint);
