// The zorvan program: the client core on the Qt/Linux platform.
#include <QApplication>

#include <string>
#include <vector>

#include "core/client.h"
#include "core/startup.h"
#include "qt_platform.h"
#include "renderer.h"

int main(int argc, char** argv) {
    // The lobby's command line, taken before the toolkit looks at the arguments.
    std::vector<std::string> args(argv, argv + argc);
    std::vector<char*> argvCopy;
    for (auto& a : args) argvCopy.push_back(a.data());

    QApplication app(argc, argv);
    QApplication::setApplicationName("zorvan");
    QApplication::setQuitOnLastWindowClosed(false);

    zorvan::qt::QtPlatform platform(static_cast<int>(argvCopy.size()), argvCopy.data());
    zorvan::Client client(platform.os);
    // Every event into the core runs guarded, and the windows follow the model right after it.
    zorvan::qt::Renderer renderer(client.forms, platform.resources, [&client](const std::function<void()>& fn) {
        zorvan::qt::Delivery::run([&] { zorvan::RunGuarded(client, fn); });
    });
    zorvan::qt::Delivery::setAfterEvent([&renderer] { renderer.sync(); });

    // The main window's load event: start-up (it ends the program itself when it must).
    zorvan::qt::Delivery::run([&client] { zorvan::StartUp(client); });
    renderer.sync();
    return QApplication::exec();
}
