// The lobby's window: the player's name, the table, the client's state, a button that sends the
// client back to the table after it left, and the message log.
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdlib>
#include <map>
#include <string>

#include <unistd.h>

#include "lobby.h"
#include "window.h"

namespace zorvan::lobby {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString StatusText(const std::string& status) {
    static const std::map<std::string, const char*> kText = {
        {"not started", "未启动"},    {"starting", "正在启动"},       {"connecting", "正在连接"},
        {"at the table", "已入座"},   {"playing", "游戏中"},          {"left the table", "已离开牌桌"},
        {"client ended", "客户端已退出"},
    };
    auto it = kText.find(status);
    return it == kText.end() ? Q(status) : QString::fromUtf8(it->second);
}

class LobbyWindow : public QWidget {
public:
    explicit LobbyWindow(Lobby& l) : lobby_(l) {
        setWindowTitle(Q(l.options().caption));
        auto* grid = new QGridLayout(this);
        grid->addWidget(new QLabel(QString::fromUtf8("玩家：")), 0, 0);
        grid->addWidget(new QLabel(Q(l.account())), 0, 1);
        grid->addWidget(new QLabel(QString::fromUtf8("牌桌：")), 1, 0);
        grid->addWidget(new QLabel(Q(l.table())), 1, 1);
        grid->addWidget(new QLabel(QString::fromUtf8("状态：")), 2, 0);
        status_ = new QLabel;
        status_->setTextFormat(Qt::PlainText);
        grid->addWidget(status_, 2, 1);
        again_ = new QPushButton(QString::fromUtf8("回到牌桌"));
        grid->addWidget(again_, 3, 0, 1, 2);
        log_ = new QPlainTextEdit;
        log_->setReadOnly(true);
        log_->setMaximumBlockCount(2000);
        log_->setMinimumSize(520, 180);
        grid->addWidget(log_, 4, 0, 1, 2);
        QObject::connect(again_, &QPushButton::clicked, [this] { lobby_.sendToTable(); });
        refresh();
    }
    void refresh() {
        status_->setText(StatusText(lobby_.status()));
        again_->setEnabled(lobby_.leftTable() || !lobby_.clientRunning());
    }
    void addLog(const std::string& line) { log_->appendPlainText(Q(line)); }

protected:
    void closeEvent(QCloseEvent* e) override {
        e->accept();
        QApplication::quit();
    }

private:
    Lobby& lobby_;
    QLabel* status_;
    QPushButton* again_;
    QPlainTextEdit* log_;
};

}  // namespace

bool WindowAvailable() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* s = std::getenv(v); s && *s) return true;
    return false;
}

int RunWindow(Lobby& l, int signalFd, int argc, char** argv) {
    QApplication app(argc, argv);
    LobbyWindow w(l);
    l.onLog = [&w](const std::string& line) { w.addLog(line); };
    l.onChange = [&w] { w.refresh(); };
    l.onSysCommand = [&w](long command) {
        if (command == 61728) {
            w.showNormal();
            w.raise();
            w.activateWindow();
        } else if (command == 61472) {
            w.showMinimized();
        }
    };

    QSocketNotifier messages(l.listener().fd(), QSocketNotifier::Read);
    QObject::connect(&messages, &QSocketNotifier::activated, [&l] { l.serve(); });

    int exitCode = 0;
    QSocketNotifier sigNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&sigNotifier, &QSocketNotifier::activated, [&] {
        unsigned char sig;
        while (::read(signalFd, &sig, 1) == 1) {
            if (sig == SIGCHLD) l.reap();
            else QApplication::quit();
        }
    });

    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buf[512];
        ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input.setEnabled(false);  // no more commands; the window stays
            return;
        }
        pending.append(buf, static_cast<std::size_t>(n));
        for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (!l.command(line)) QApplication::quit();
        }
    });

    QTimer reaper;
    QObject::connect(&reaper, &QTimer::timeout, [&l] { l.reap(); });
    reaper.start(500);

    w.show();
    exitCode = app.exec();
    l.onLog = nullptr;
    l.onChange = nullptr;
    l.onSysCommand = nullptr;
    return exitCode;
}

}  // namespace zorvan::lobby
