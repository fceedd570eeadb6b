#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <vector>

#include "qt_platform.h"

namespace zorvan::qt {
namespace {

bool Until(const std::function<bool()>& pred, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pred();
}

TEST(QtLoop, WaitKeepsDeliveringTimersAndPostedCalls) {
    QtLoop loop;
    int ticks = 0, posted = 0;
    auto timer = loop.makeTimer([&] { ++ticks; });
    EXPECT_FALSE(timer->enabled());
    timer->setInterval(20);
    timer->setEnabled(true);
    loop.post([&] { ++posted; });
    auto start = loop.nowMs();
    loop.waitMs(150);
    EXPECT_GE(loop.nowMs() - start, 150);
    EXPECT_GE(ticks, 4);
    EXPECT_EQ(posted, 1);
    timer->setEnabled(false);
    int before = ticks;
    loop.waitMs(60);
    EXPECT_EQ(ticks, before);
}

TEST(QtLoop, ATimerMayDestroyItselfInItsTick) {
    QtLoop loop;
    std::unique_ptr<platform::Timer> timer;
    int ticks = 0;
    timer = loop.makeTimer([&] { ++ticks; timer.reset(); });
    timer->setInterval(10);
    timer->setEnabled(true);
    loop.waitMs(60);
    EXPECT_EQ(ticks, 1);
}

struct SocketTest : ::testing::Test {
    QTcpServer server;
    QTcpSocket* peer = nullptr;
    QByteArray fromClient;
    QtSocket socket;
    std::vector<std::uint8_t> received;
    int closes = 0, errors = 0, connects = 0;
    void SetUp() override {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] { fromClient += peer->readAll(); });
        });
        socket.onData = [this](std::span<const std::uint8_t> b) { received.insert(received.end(), b.begin(), b.end()); };
        socket.onClose = [this] { ++closes; };
        socket.onError = [this] { ++errors; };
        socket.onConnected = [this] { ++connects; };
    }
};

TEST_F(SocketTest, ConnectSendReceiveAndThePeerClosing) {
    EXPECT_EQ(socket.state(), platform::Socket::kClosed);
    socket.connect("127.0.0.1", server.serverPort());
    ASSERT_TRUE(Until([&] { return socket.state() == platform::Socket::kConnected && peer; }));
    EXPECT_EQ(connects, 1);
    std::vector<std::uint8_t> packet(272, 0);
    packet[3] = 18;
    socket.send(packet);
    ASSERT_TRUE(Until([&] { return fromClient.size() == 272; }));
    EXPECT_EQ(fromClient[3], 18);
    peer->write(QByteArray(544, '\x06'));
    ASSERT_TRUE(Until([&] { return received.size() == 544; }));
    peer->disconnectFromHost();
    ASSERT_TRUE(Until([&] { return closes == 1; }));
    EXPECT_EQ(socket.state(), platform::Socket::kClosed);
    EXPECT_EQ(errors, 0);
}

TEST_F(SocketTest, GracefulCloseStillDeliversWhatWasWritten) {
    socket.connect("127.0.0.1", server.serverPort());
    ASSERT_TRUE(Until([&] { return socket.state() == platform::Socket::kConnected && peer; }));
    socket.send(std::vector<std::uint8_t>(272 * 50, 0x16));
    socket.close();
    EXPECT_EQ(socket.state(), platform::Socket::kClosed);
    ASSERT_TRUE(Until([&] { return fromClient.size() == 272 * 50; }));
    EXPECT_EQ(closes, 0);  // our own close is no close event
}

TEST_F(SocketTest, ARefusedConnectionReportsAnError) {
    quint16 port = server.serverPort();
    server.close();
    socket.connect("127.0.0.1", port);
    ASSERT_TRUE(Until([&] { return errors == 1; }));
    EXPECT_EQ(socket.state(), platform::Socket::kError);
    socket.close();
    EXPECT_EQ(socket.state(), platform::Socket::kClosed);
}

}  // namespace
}  // namespace zorvan::qt
