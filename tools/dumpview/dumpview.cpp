// zorvan-dump-view: renders a screen dump (zorvan-dump-<n>.json) to PNG files with the program's own
// pictures and the real window's renderer, offscreen, so that a bug report's dump can be looked at.
//
//   zorvan-dump-view DUMP.json [-o OUT.png] [--form NAME | --all]
//
// Without --form or --all the main window is rendered (or the first form when there is none).
// With --all every form is rendered, each to OUT-<form>.png. A minimised form is drawn as it
// would show when restored.
#include <QApplication>
#include <QImage>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "renderer.h"
#include "shell/dump.h"
#include "zorvan/assets.h"

namespace {

class AssetResources : public zorvan::platform::Resources {
public:
    std::span<const std::uint8_t> gif(int id) const override {
        const auto* b = zorvan::assets::gif(id);
        return b ? std::span<const std::uint8_t>(b->data, b->size) : std::span<const std::uint8_t>();
    }
    std::span<const std::uint8_t> named(const std::string& name) const override {
        const auto* b = zorvan::assets::named(name);
        return b ? std::span<const std::uint8_t>(b->data, b->size) : std::span<const std::uint8_t>();
    }
};

int Usage() {
    std::fprintf(stderr, "usage: zorvan-dump-view DUMP.json [-o OUT.png] [--form NAME | --all]\n");
    return 2;
}

std::string WithoutExtension(const std::string& path) {
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
}

// Form names come from the dump: keep only safe characters in file names.
std::string SafeName(const std::string& s) {
    std::string out;
    for (unsigned char ch : s) out += std::isalnum(ch) || ch == '-' || ch == '_' ? static_cast<char>(ch) : '_';
    return out.empty() ? "form" : out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string input, output, formName;
    bool all = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "-o" || a == "--output") && i + 1 < argc) output = argv[++i];
        else if (a == "--form" && i + 1 < argc) formName = argv[++i];
        else if (a == "--all") all = true;
        else if (a == "-h" || a == "--help") return Usage();
        else if (!a.empty() && a[0] == '-') return Usage();
        else if (input.empty()) input = a;
        else return Usage();
    }
    if (input.empty() || (all && !formName.empty())) return Usage();
    if (output.empty()) output = WithoutExtension(input) + ".png";

    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zorvan-dump-view: cannot read %s\n", input.c_str());
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();

    zorvan::DumpedScreen screen;
    try {
        screen = zorvan::ScreenFromDump(text.str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorvan-dump-view: %s: %s\n", input.c_str(), e.what());
        return 1;
    }

    // No display needed: render offscreen unless the caller chose a platform.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    AssetResources resources;

    std::vector<zorvan::DumpedForm*> chosen;
    for (auto& f : screen.forms) {
        if (all || (formName.empty() ? f->name() == "MainForm" : f->name() == formName)) chosen.push_back(f.get());
    }
    if (chosen.empty() && formName.empty() && !screen.forms.empty()) chosen.push_back(screen.forms.front().get());
    if (chosen.empty()) {
        std::fprintf(stderr, "zorvan-dump-view: no form %s in %s\n", formName.empty() ? "at all" : formName.c_str(),
                     input.c_str());
        return 1;
    }

    int failures = 0;
    for (zorvan::DumpedForm* f : chosen) {
        f->windowState = zorvan::ui::WindowState::Normal;
        f->Visible = true;
        QImage image = zorvan::qt::RenderFormToImage(*f, resources);
        std::string path = all ? WithoutExtension(output) + "-" + SafeName(f->name()) + ".png" : output;
        if (image.isNull() || !image.save(QString::fromStdString(path), "PNG")) {
            std::fprintf(stderr, "zorvan-dump-view: cannot render %s to %s\n", f->name().c_str(), path.c_str());
            ++failures;
        } else {
            std::printf("%s\n", path.c_str());
        }
    }
    return failures == 0 ? 0 : 1;
}
