// Renders forms of the control model with Qt Widgets: images and labels painted in z-order on one
// canvas per form, text boxes and list boxes as real widgets bound to the model both ways, every form
// its own top-level window. Input becomes the model's events. Units: a form and its direct controls
// are in twips (15 a pixel), controls inside a pixel picture box (Pic1) in pixels.
#pragma once
#include <QImage>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "ui/controls.h"

class QLineEdit;
class QListWidget;

namespace zorvan::qt {

// Decoded pictures by GIF id or design-time name, decoded from memory once.
class PictureCache {
public:
    explicit PictureCache(platform::Resources& r) : resources_(r) {}
    // nullptr when there is no such picture or it does not decode.
    const QImage* get(const ui::Picture& p);

private:
    platform::Resources& resources_;
    std::map<int, std::optional<QImage>> byId_;
    std::map<std::string, std::optional<QImage>> byName_;
};

// Where a control lies in its form's pixels (an image without Stretch takes its picture's size).
QRect ControlRect(const ui::Form& form, const ui::Control& c, PictureCache& pictures);
// A control and every container up to the form are visible.
bool EffectivelyVisible(const ui::Control& c);

// Runs a model event handler (the real program wraps it so errors take the fatal path and the
// screen is synced afterwards).
using Deliver = std::function<void(const std::function<void()>&)>;

class FormWindow : public QWidget {
public:
    // deliver empty: a view that shows the form and sends no events (screen dumps, tests).
    FormWindow(ui::Form& form, PictureCache& pictures, Deliver deliver);
    ~FormWindow() override;
    ui::Form& form() { return form_; }
    // Brings the window and its widgets in line with the model; repaints only what changed.
    void sync();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct Look;
    struct Bound;
    void syncWindow();
    void syncControls();
    void syncWidget(ui::Control& c, Bound& b, const QRect& r, bool visible);
    Bound& bind(ui::Control& c);
    ui::Control* hit(QPoint p);
    bool alive(const ui::Control* c) const;
    void send(const std::function<void()>& fn);
    ui::MouseEvent mouse(const QMouseEvent* e, ui::Control* target) const;
    void startManualMove(QPoint globalPos);

    ui::Form& form_;
    PictureCache& pictures_;
    Deliver deliver_;
    std::map<const ui::Control*, Look> looks_;
    std::map<const ui::Control*, std::unique_ptr<Bound>> bound_;
    std::vector<ui::Control*> order_;  // paint order at the last sync
    ui::Control* pressed_ = nullptr;
    bool pressedDouble_ = false;
    bool manualMove_ = false;
    QPoint moveGrab_;
    // What was last applied to the window, so that only model changes are pushed to it.
    struct Applied {
        std::string caption;
        int left = -1, top = -1, width = -1, height = -1;
        bool visible = false, topmost = false, borderless = false, shown = false;
        ui::WindowState state = ui::WindowState::Normal;
        int opacity = -1;
        std::vector<ui::Rect> shape;
        bool shapeSet = false;
        const ui::Control* focused = nullptr;
        std::uint64_t revision = ~0ull;
    } applied_;
};

// Paints a form's canvas (not its widgets) into p, limited to clip.
void PaintForm(QPainter& p, const ui::Form& form, PictureCache& pictures, const QRect& clip);
// The form as it shows, widgets included, at its own size.
QImage RenderFormToImage(ui::Form& form, platform::Resources& resources);

// Keeps one window per form of a list (the client's forms) and syncs them all.
class Renderer {
public:
    Renderer(std::vector<ui::Form*>& forms, platform::Resources& resources, Deliver deliver);
    ~Renderer();
    void sync();
    FormWindow* window(const ui::Form& f);

private:
    std::vector<ui::Form*>& forms_;
    PictureCache pictures_;
    Deliver deliver_;
    std::map<const ui::Form*, std::unique_ptr<FormWindow>> windows_;
    bool syncing_ = false;
};

}  // namespace zorvan::qt
