// The encrypted link over real sockets: a raw peer that breaks the handshake.
#include "tests/session/SessionFixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using namespace session_test;

TEST(TlsWindows, GarbageInsteadOfAHandshakeEndsTheConnectionWithAMessage) {
    QTemporaryDir keys;
    TWindow window(1024, 0, [&](TMainFormSeams &seams) { seams.KeyFolder = keys.path(); });
    TRawPeer raw(window);
    raw.Send("Morvanti-CTR-Features Tls\nMorvanti-CTR-StartTls\n");
    ASSERT_TRUE(raw.Expect("Morvanti-CTR-TlsReady"));
    raw.Send("this is no TLS record\n");
    EXPECT_TRUE(WaitUntil([&] { return !window.Connected(); }));
    EXPECT_EQ(window.Messages().filter(QStringLiteral("encrypted link failed")).size(), 1);
}

} // namespace
