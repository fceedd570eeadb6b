#include "renderer.h"

#include "qt_platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace zorvan::qt {
namespace {

constexpr double kTwips = 15.0;

QColor ToQt(ui::Rgb c) { return QColor(c.r, c.g, c.b); }
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Whether the children of a container use pixels (a pixel picture box) or twips (the form, or a
// picture box in twips).
double UnitOf(const ui::Control* container) {
    if (!container) return kTwips;
    auto* box = dynamic_cast<const ui::PictureBox*>(container);
    return (box && box->ScalePixels) ? 1.0 : kTwips;
}

QFont FontFor(const std::string& name, double points, bool bold) {
    QFont f;
    QStringList families;
    if (!name.empty()) families << Q(name);
    families << "SimSun" << "WenQuanYi Micro Hei" << "Noto Sans CJK SC" << "Sans Serif";
    f.setFamilies(families);
    // Points at the 96 dots an inch the layout was made for.
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    f.setBold(bold);
    return f;
}

// Windowed controls (picture boxes, lists, text boxes) lie above the graphical ones (images,
// labels) of the same container; within each layer the model's z-order holds.
bool Windowed(const ui::Control& c) {
    return c.type() == ui::ControlType::PictureBox || c.type() == ui::ControlType::ListBox ||
           c.type() == ui::ControlType::TextBox;
}

void PaintOrder(const ui::Form& f, ui::Control* container, std::vector<ui::Control*>& out) {
    const auto& kids = f.children(container);
    for (int layer = 0; layer < 2; ++layer)
        for (ui::Control* c : kids) {
            if (Windowed(*c) != (layer == 1)) continue;
            out.push_back(c);
            if (c->type() == ui::ControlType::PictureBox) PaintOrder(f, c, out);
        }
}

QRect LabelTextRect(const ui::Label& l, QRect r) {
    if (r.width() > 0 && r.height() > 0) return r;
    // A label without a size shows its text at the text's own size.
    QFontMetrics fm(FontFor(l.FontName, l.FontSize, l.FontBold));
    QRect b = fm.boundingRect(QRect(0, 0, r.width() > 0 ? r.width() : 4000, 4000),
                              r.width() > 0 ? Qt::TextWordWrap : 0, Q(l.Caption));
    return QRect(r.topLeft(), QSize(r.width() > 0 ? r.width() : b.width() + 1, r.height() > 0 ? r.height() : b.height()));
}

void PaintPicture(QPainter& p, PictureCache& pics, const ui::Picture& pic, const QRect& r, bool stretch) {
    const QImage* img = pics.get(pic);
    if (!img) return;
    if (stretch) p.drawImage(r, *img);
    else p.drawImage(r.topLeft(), *img);
}

void PaintControl(QPainter& p, const ui::Form& f, ui::Control& c, PictureCache& pics) {
    QRect r = ControlRect(f, c, pics);
    switch (c.type()) {
    case ui::ControlType::Image: {
        auto& img = static_cast<ui::Image&>(c);
        PaintPicture(p, pics, img.picture, r, img.Stretch);
        break;
    }
    case ui::ControlType::Label: {
        auto& l = static_cast<ui::Label&>(c);
        r = LabelTextRect(l, r);
        if (!l.BackTransparent) p.fillRect(r, ToQt(l.BackColor));
        if (l.Caption.empty()) break;
        p.setFont(FontFor(l.FontName, l.FontSize, l.FontBold));
        p.setPen(ToQt(l.ForeColor));
        int align = l.alignment == ui::Alignment::Right ? Qt::AlignRight
                    : l.alignment == ui::Alignment::Center ? Qt::AlignHCenter : Qt::AlignLeft;
        // Painted text is never interpreted: a caption shows exactly its characters.
        p.drawText(r, align | Qt::AlignTop | Qt::TextWordWrap, Q(l.Caption));
        break;
    }
    case ui::ControlType::PictureBox: {
        auto& b = static_cast<ui::PictureBox&>(c);
        p.fillRect(r, ToQt(b.BackColor));
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
        PaintPicture(p, pics, b.picture, r, false);
        const double unit = b.ScalePixels ? 1.0 : kTwips;
        for (const auto& d : b.painted) {
            QRect dr(r.left() + static_cast<int>(std::lround(d.x / unit)), r.top() + static_cast<int>(std::lround(d.y / unit)),
                     static_cast<int>(std::lround(d.w / unit)), static_cast<int>(std::lround(d.h / unit)));
            PaintPicture(p, pics, d.picture, dr, dr.width() > 0 && dr.height() > 0);
        }
        p.restore();
        break;
    }
    default: break;  // lists and text boxes are widgets
    }
}

int ShiftMask(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

int ButtonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 1;
    }
}

// The key codes the client's handlers expect (letters and digits as their upper-case ASCII).
int KeyCode(int k) {
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Space: return 32;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Home: return 36;
    case Qt::Key_End: return 35;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: return 0;
    }
}

// The character of a key press for KeyPress (0: none).
int KeyAscii(const QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab: return 9;
    default: break;
    }
    QString t = e->text();
    if (t.size() == 1 && t[0].unicode() >= 32 && t[0].unicode() < 127) return t[0].unicode();
    return 0;
}

QString PlainTip(const std::string& s) { return "<qt>" + Q(s).toHtmlEscaped() + "</qt>"; }

}  // namespace

// ---------------------------------------------------------------------------------------------

const QImage* PictureCache::get(const ui::Picture& p) {
    auto decode = [](std::span<const std::uint8_t> b) -> std::optional<QImage> {
        if (b.empty()) return std::nullopt;
        QImage img = QImage::fromData(QByteArray::fromRawData(reinterpret_cast<const char*>(b.data()),
                                                              static_cast<qsizetype>(b.size())), "GIF");
        if (img.isNull()) return std::nullopt;
        return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    if (p.gifId > 0) {
        auto it = byId_.find(p.gifId);
        if (it == byId_.end()) it = byId_.emplace(p.gifId, decode(resources_.gif(p.gifId))).first;
        return it->second ? &*it->second : nullptr;
    }
    if (!p.named.empty()) {
        auto it = byName_.find(p.named);
        if (it == byName_.end()) it = byName_.emplace(p.named, decode(resources_.named(p.named))).first;
        return it->second ? &*it->second : nullptr;
    }
    return nullptr;
}

QRect ControlRect(const ui::Form& form, const ui::Control& c, PictureCache& pictures) {
    const double unit = UnitOf(c.container());
    QPoint origin(0, 0);
    if (c.container()) origin = ControlRect(form, *c.container(), pictures).topLeft();
    int x = origin.x() + static_cast<int>(std::lround(c.Left / unit));
    int y = origin.y() + static_cast<int>(std::lround(c.Top / unit));
    int w = static_cast<int>(std::lround(c.Width / unit)), h = static_cast<int>(std::lround(c.Height / unit));
    if (c.type() == ui::ControlType::Image) {
        auto& img = static_cast<const ui::Image&>(c);
        if (!img.Stretch)
            if (const QImage* pic = pictures.get(img.picture)) { w = pic->width(); h = pic->height(); }
    }
    return QRect(x, y, std::max(0, w), std::max(0, h));
}

bool EffectivelyVisible(const ui::Control& c) {
    for (const ui::Control* p = &c; p; p = p->container())
        if (!p->Visible) return false;
    return true;
}

void PaintForm(QPainter& p, const ui::Form& form, PictureCache& pictures, const QRect& clip) {
    p.save();
    p.setClipRect(clip);
    p.fillRect(clip, ToQt(form.BackColor));
    if (const QImage* bg = pictures.get(form.picture)) p.drawImage(QPoint(0, 0), *bg);
    std::vector<ui::Control*> order;
    PaintOrder(form, nullptr, order);
    for (ui::Control* c : order) {
        if (!EffectivelyVisible(*c)) continue;
        // A control shows only inside its container.
        bool clipped = c->container() != nullptr;
        if (clipped) {
            p.save();
            p.setClipRect(ControlRect(form, *c->container(), pictures), Qt::IntersectClip);
        }
        PaintControl(p, form, *c, pictures);
        if (clipped) p.restore();
    }
    p.restore();
}

// ---------------------------------------------------------------------------------------------

// What a control looked like at the last sync.
struct FormWindow::Look {
    QRect rect;
    bool visible = false;
    std::size_t z = 0;
    ui::Picture picture;
    std::string caption;
    ui::Rgb fore, back;
    bool transparent = true, bold = false, stretch = false;
    double fontSize = 0;
    int align = 0;
    std::size_t paintedCount = 0;
    std::vector<ui::Picture> painted;
    std::vector<double> paintedRects;
    bool operator==(const Look&) const = default;
};

// A real widget standing for a list box or a text box.
struct FormWindow::Bound {
    QWidget* widget = nullptr;
    std::vector<std::string> items;
    int listIndex = -2, topIndex = -2;
    std::string text;
    bool updating = false;
};

FormWindow::FormWindow(ui::Form& form, PictureCache& pictures, Deliver deliver)
    : QWidget(nullptr), form_(form), pictures_(pictures), deliver_(std::move(deliver)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

FormWindow::~FormWindow() = default;

void FormWindow::send(const std::function<void()>& fn) {
    if (deliver_) deliver_(fn);
}

bool FormWindow::alive(const ui::Control* c) const {
    return c && std::find(order_.begin(), order_.end(), c) != order_.end();
}

void FormWindow::sync() {
    syncWindow();
    syncControls();
}

void FormWindow::syncWindow() {
    ui::Form& f = form_;
    auto& a = applied_;
    if (f.Caption != a.caption) {
        a.caption = f.Caption;
        setWindowTitle(Q(f.Caption));
    }
    bool flagsChanged = f.Topmost != a.topmost || f.Borderless != a.borderless || !a.shown;
    if (flagsChanged) {
        Qt::WindowFlags flags = Qt::Window;
        if (f.Borderless) flags |= Qt::FramelessWindowHint;
        if (f.Topmost) flags |= Qt::WindowStaysOnTopHint;
        bool wasVisible = isVisible();
        setWindowFlags(flags);  // hides the window; shown again below
        a.topmost = f.Topmost;
        a.borderless = f.Borderless;
        a.shown = true;
        if (wasVisible) a.visible = false;
    }
    int l = static_cast<int>(std::lround(f.Left / kTwips)), t = static_cast<int>(std::lround(f.Top / kTwips));
    int w = static_cast<int>(std::lround(f.Width / kTwips)), h = static_cast<int>(std::lround(f.Height / kTwips));
    if (w != a.width || h != a.height) {
        a.width = w;
        a.height = h;
        if (w > 0 && h > 0) resize(w, h);
        update();
    }
    if (l != a.left || t != a.top) {
        a.left = l;
        a.top = t;
        move(l, t);
    }
    if (f.Opacity != a.opacity) {
        a.opacity = f.Opacity;
        setWindowOpacity(std::clamp(f.Opacity, 0, 255) / 255.0);
    }
    bool shapeSame = a.shapeSet && a.shape.size() == f.shape.size() &&
                     std::equal(a.shape.begin(), a.shape.end(), f.shape.begin(), [](const ui::Rect& x, const ui::Rect& y) {
                         return x.left == y.left && x.top == y.top && x.right == y.right && x.bottom == y.bottom;
                     });
    if (!shapeSame) {
        a.shape = f.shape;
        a.shapeSet = true;
        if (f.shape.empty()) {
            clearMask();
        } else {
            QRegion region;
            for (const auto& r : f.shape) region += QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
            setMask(region);
        }
    }
    if (f.Visible != a.visible || f.windowState != a.state) {
        bool wasHidden = !a.visible;
        a.visible = f.Visible;
        a.state = f.windowState;
        if (!f.Visible) {
            hide();
        } else if (f.windowState == ui::WindowState::Minimised) {
            // Without a window manager nothing iconifies a window: it is then taken off the screen,
            // which is what iconifying does.
            if (deliver_ && WindowManagerPresent()) showMinimized();
            else hide();
        } else {
            showNormal();
            if (!wasHidden || deliver_) { raise(); activateWindow(); }
        }
    }
    if (f.raiseRequested) {
        f.raiseRequested = false;
        if (isVisible()) { raise(); activateWindow(); }
    }
    if (f.moveRequested) {
        f.moveRequested = false;
        bool system = windowHandle() && windowHandle()->startSystemMove();
        if (!system) startManualMove(QCursor::pos());
    }
}

void FormWindow::startManualMove(QPoint globalPos) {
    manualMove_ = true;
    moveGrab_ = globalPos - frameGeometry().topLeft();
    pressed_ = nullptr;
    grabMouse();
}

FormWindow::Bound& FormWindow::bind(ui::Control& c) {
    auto& slot = bound_[&c];
    if (slot) return *slot;
    slot = std::make_unique<Bound>();
    Bound* b = slot.get();
    ui::Control* ctl = &c;
    if (c.type() == ui::ControlType::TextBox) {
        auto* e = new QLineEdit(this);
        e->setFrame(false);
        e->installEventFilter(this);
        e->setProperty("zorvanControl", QVariant::fromValue<void*>(ctl));
        QObject::connect(e, &QLineEdit::textEdited, this, [this, b, ctl, e](const QString& s) {
            if (b->updating || !alive(ctl)) return;
            auto& tb = static_cast<ui::TextBox&>(*ctl);
            tb.Text = s.toStdString();
            tb.SelStart = e->cursorPosition();
            b->text = tb.Text;
            send([ctl] { if (ctl->events.Change) ctl->events.Change(*ctl); });
        });
        b->widget = e;
    } else {
        auto* list = new QListWidget(this);
        list->setFrameShape(QFrame::NoFrame);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setFocusPolicy(Qt::ClickFocus);
        list->installEventFilter(this);
        list->setProperty("zorvanControl", QVariant::fromValue<void*>(ctl));
        QObject::connect(list, &QListWidget::currentRowChanged, this, [this, b, ctl](int row) {
            if (b->updating || !alive(ctl)) return;
            static_cast<ui::ListBox&>(*ctl).ListIndex = row;
            b->listIndex = row;
        });
        QObject::connect(list, &QListWidget::itemClicked, this, [this, ctl](QListWidgetItem*) {
            if (alive(ctl)) send([ctl] { if (ctl->events.Click) ctl->events.Click(*ctl); });
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, this, [this, ctl](QListWidgetItem*) {
            if (alive(ctl)) send([ctl] { if (ctl->events.DblClick) ctl->events.DblClick(*ctl); });
        });
        b->widget = list;
    }
    return *b;
}

void FormWindow::syncWidget(ui::Control& c, Bound& b, const QRect& r, bool visible) {
    QWidget* w = b.widget;
    if (w->geometry() != r) w->setGeometry(r);
    w->setEnabled(c.Enabled);
    w->setToolTip(c.ToolTipText.empty() ? QString() : PlainTip(c.ToolTipText));
    b.updating = true;
    if (c.type() == ui::ControlType::TextBox) {
        auto& tb = static_cast<ui::TextBox&>(c);
        auto* e = static_cast<QLineEdit*>(w);
        if (tb.Text != b.text || e->text().toStdString() != tb.Text) {
            e->setText(Q(tb.Text));
            e->setCursorPosition(std::clamp(tb.SelStart, 0, static_cast<int>(e->text().size())));
            b.text = tb.Text;
        }
        e->setMaxLength(tb.MaxLength > 0 ? tb.MaxLength : 32767);
        e->setReadOnly(tb.Locked);
        QFont font = FontFor("", tb.FontSize, false);
        if (e->font() != font) e->setFont(font);
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, ToQt(tb.BackColor));
        pal.setColor(QPalette::Text, ToQt(tb.ForeColor));
        e->setPalette(pal);
    } else {
        auto& lb = static_cast<ui::ListBox&>(c);
        auto* list = static_cast<QListWidget*>(w);
        if (lb.items != b.items) {
            list->clear();
            for (const auto& s : lb.items) list->addItem(Q(s));  // item texts are plain text
            b.items = lb.items;
            b.listIndex = -2;
            b.topIndex = -2;
        }
        if (lb.ListIndex != b.listIndex) {
            list->setCurrentRow(lb.ListIndex);
            b.listIndex = lb.ListIndex;
        }
        if (lb.TopIndex != b.topIndex) {
            if (lb.TopIndex >= 0 && lb.TopIndex < list->count())
                list->scrollToItem(list->item(lb.TopIndex), QAbstractItemView::PositionAtTop);
            b.topIndex = lb.TopIndex;
        }
        QFont font = FontFor("", lb.FontSize, false);
        if (list->font() != font) list->setFont(font);
        QPalette pal = list->palette();
        pal.setColor(QPalette::Base, ToQt(lb.BackColor));
        pal.setColor(QPalette::Text, ToQt(lb.ForeColor));
        list->setPalette(pal);
    }
    b.updating = false;
    if (w->isHidden() == visible) w->setVisible(visible);
}

void FormWindow::syncControls() {
    ui::Form& f = form_;
    std::vector<ui::Control*> order;
    PaintOrder(f, nullptr, order);
    QRegion dirty;
    std::map<const ui::Control*, Look> looks;
    for (std::size_t z = 0; z < order.size(); ++z) {
        ui::Control& c = *order[z];
        Look k;
        k.rect = ControlRect(f, c, pictures_);
        k.visible = EffectivelyVisible(c);
        if (c.type() == ui::ControlType::ListBox || c.type() == ui::ControlType::TextBox) {
            Bound& b = bind(c);
            syncWidget(c, b, k.rect, k.visible);
            b.widget->raise();  // raised in paint order: the last one ends on top
            continue;
        }
        k.z = z;
        if (c.type() == ui::ControlType::Image) {
            auto& img = static_cast<ui::Image&>(c);
            k.picture = img.picture;
            k.stretch = img.Stretch;
        } else if (c.type() == ui::ControlType::Label) {
            auto& l = static_cast<ui::Label&>(c);
            k.rect = LabelTextRect(l, k.rect);
            k.caption = l.Caption;
            k.fore = l.ForeColor;
            k.back = l.BackColor;
            k.transparent = l.BackTransparent;
            k.bold = l.FontBold;
            k.fontSize = l.FontSize;
            k.align = static_cast<int>(l.alignment);
        } else if (c.type() == ui::ControlType::PictureBox) {
            auto& b = static_cast<ui::PictureBox&>(c);
            k.picture = b.picture;
            k.back = b.BackColor;
            k.paintedCount = b.painted.size();
            for (const auto& d : b.painted) {
                k.painted.push_back(d.picture);
                k.paintedRects.insert(k.paintedRects.end(), {d.x, d.y, d.w, d.h});
            }
        }
        auto it = looks_.find(&c);
        if (it == looks_.end()) {
            if (k.visible) dirty += k.rect;
        } else if (!(it->second == k)) {
            if (it->second.visible) dirty += it->second.rect;
            if (k.visible) dirty += k.rect;
        }
        looks.emplace(&c, std::move(k));
    }
    // Controls that left the form.
    for (auto& [ctl, k] : looks_)
        if (!looks.count(ctl) && k.visible) dirty += k.rect;
    for (auto it = bound_.begin(); it != bound_.end();) {
        if (std::find(order.begin(), order.end(), it->first) == order.end()) {
            it->second->widget->hide();
            it->second->widget->deleteLater();
            it = bound_.erase(it);
        } else {
            ++it;
        }
    }
    looks_ = std::move(looks);
    order_ = std::move(order);
    if (pressed_ && !alive(pressed_)) pressed_ = nullptr;
    if (!dirty.isEmpty()) update(dirty);

    // Focus asked for by the model.
    if (f.focused != applied_.focused) {
        applied_.focused = f.focused;
        if (f.focused && alive(f.focused)) {
            auto b = bound_.find(f.focused);
            if (b != bound_.end()) b->second->widget->setFocus(Qt::OtherFocusReason);
            else setFocus(Qt::OtherFocusReason);
        }
    }
}

void FormWindow::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    PaintForm(p, form_, pictures_, e->rect());
}

ui::Control* FormWindow::hit(QPoint pt) {
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        ui::Control* c = *it;
        if (c->type() == ui::ControlType::ListBox || c->type() == ui::ControlType::TextBox) continue;
        auto look = looks_.find(c);
        if (look == looks_.end() || !look->second.visible || !look->second.rect.contains(pt)) continue;
        // Inside its container only.
        bool inside = true;
        for (ui::Control* p = c->container(); p; p = p->container()) {
            auto pl = looks_.find(p);
            if (pl == looks_.end() || !pl->second.rect.contains(pt)) { inside = false; break; }
        }
        if (!inside) continue;
        // A disabled control lets its container have the mouse.
        ui::Control* target = c;
        while (target && !target->Enabled) target = target->container();
        return target;
    }
    return nullptr;
}

ui::MouseEvent FormWindow::mouse(const QMouseEvent* e, ui::Control* target) const {
    ui::MouseEvent m;
    m.button = ButtonCode(e->button() != Qt::NoButton ? e->button()
                          : (e->buttons() & Qt::RightButton) ? Qt::RightButton
                          : (e->buttons() & Qt::MiddleButton) ? Qt::MiddleButton : Qt::LeftButton);
    if (e->type() == QEvent::MouseMove && e->buttons() == Qt::NoButton) m.button = 0;
    m.shift = ShiftMask(e->modifiers());
    QPoint pos = e->position().toPoint();
    if (target) {
        auto it = looks_.find(target);
        QPoint origin = it != looks_.end() ? it->second.rect.topLeft() : QPoint();
        double unit = UnitOf(target->container());
        m.x = (pos.x() - origin.x()) * unit;
        m.y = (pos.y() - origin.y()) * unit;
    } else {
        m.x = pos.x() * kTwips;
        m.y = pos.y() * kTwips;
    }
    return m;
}

void FormWindow::mousePressEvent(QMouseEvent* e) {
    if (manualMove_) return;
    ui::Control* c = hit(e->position().toPoint());
    pressed_ = c;
    pressedDouble_ = false;
    auto m = mouse(e, c);
    if (c && c->type() == ui::ControlType::PictureBox && form_.focused != c) {
        form_.focused = c;
        applied_.focused = c;
        setFocus(Qt::MouseFocusReason);
    }
    if (c) send([c, m] { if (c->events.MouseDown) c->events.MouseDown(*c, m); });
    else send([this, m] { if (form_.events.MouseDown) form_.events.MouseDown(m); });
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (manualMove_) return;
    ui::Control* c = hit(e->position().toPoint());
    if (c && c->events.DblClick) {
        pressed_ = c;
        pressedDouble_ = true;
        send([c] { if (c->events.DblClick) c->events.DblClick(*c); });
        return;
    }
    mousePressEvent(e);
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (manualMove_) {
        manualMove_ = false;
        releaseMouse();
        return;
    }
    ui::Control* c = alive(pressed_) ? pressed_ : nullptr;
    bool dbl = pressedDouble_;
    pressed_ = nullptr;
    auto m = mouse(e, c);
    bool over = c && hit(e->position().toPoint()) == c;
    if (c) {
        send([c, m] { if (c->events.MouseUp) c->events.MouseUp(*c, m); });
        if (over && !dbl && alive(c)) send([c] { if (c->events.Click) c->events.Click(*c); });
    } else {
        send([this, m] { if (form_.events.MouseUp) form_.events.MouseUp(m); });
    }
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
    if (manualMove_) {
        move(e->globalPosition().toPoint() - moveGrab_);
        return;
    }
    // While a button is held the pressed control keeps the mouse.
    ui::Control* c = (e->buttons() != Qt::NoButton && alive(pressed_)) ? pressed_ : hit(e->position().toPoint());
    auto m = mouse(e, c);
    if (c) send([c, m] { if (c->events.MouseMove) c->events.MouseMove(*c, m); });
    else send([this, m] { if (form_.events.MouseMove) form_.events.MouseMove(m); });
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
    int code = KeyCode(e->key()), shift = ShiftMask(e->modifiers());
    int ascii = KeyAscii(e);
    ui::Control* c = alive(form_.focused) ? form_.focused : nullptr;
    send([this, c, code, shift, ascii] {
        if (c && c->events.KeyDown) c->events.KeyDown(*c, code, shift);
        else if (form_.events.KeyDown) form_.events.KeyDown(code, shift);
        int a = ascii;
        if (c && a && c->events.KeyPress) c->events.KeyPress(*c, a);
    });
}

void FormWindow::keyReleaseEvent(QKeyEvent* e) {
    int code = KeyCode(e->key()), shift = ShiftMask(e->modifiers());
    ui::Control* c = alive(form_.focused) ? form_.focused : nullptr;
    if (c) send([c, code, shift] { if (c->events.KeyUp) c->events.KeyUp(*c, code, shift); });
}

bool FormWindow::eventFilter(QObject* watched, QEvent* e) {
    auto* ctl = static_cast<ui::Control*>(watched->property("zorvanControl").value<void*>());
    if (!ctl || !alive(ctl)) return QWidget::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        int code = KeyCode(k->key()), shift = ShiftMask(k->modifiers()), ascii = KeyAscii(k);
        int after = ascii;
        send([ctl, code, shift, ascii, &after] {
            if (ctl->events.KeyDown) ctl->events.KeyDown(*ctl, code, shift);
            if (ascii && ctl->events.KeyPress) ctl->events.KeyPress(*ctl, after);
        });
        // A handler that cleared the character swallows it.
        if (ascii && after == 0) return true;
        if (ascii && after != ascii) {
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) edit->insert(QString(QChar(after)));
            return true;
        }
        return false;
    }
    case QEvent::FocusIn:
        form_.focused = ctl;
        applied_.focused = ctl;
        send([ctl] { if (ctl->events.GotFocus) ctl->events.GotFocus(*ctl); });
        return false;
    case QEvent::FocusOut:
        send([ctl] { if (ctl->events.LostFocus) ctl->events.LostFocus(*ctl); });
        return false;
    default: return QWidget::eventFilter(watched, e);
    }
}

bool FormWindow::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(e);
        ui::Control* c = hit(h->pos());
        if (c && !c->ToolTipText.empty()) QToolTip::showText(h->globalPos(), PlainTip(c->ToolTipText), this);
        else QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void FormWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) {
        auto now = isMinimized() ? ui::WindowState::Minimised : ui::WindowState::Normal;
        // Only a change the window system made is news to the core.
        if (now != form_.windowState && applied_.state == form_.windowState && isVisible()) {
            form_.windowState = now;
            applied_.state = now;
            ++form_.revision;
            send([this] { if (form_.events.Resize) form_.events.Resize(); });
        }
    } else if (e->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) send([this] { if (form_.events.Activate) form_.events.Activate(); });
        else send([this] { if (form_.events.Deactivate) form_.events.Deactivate(); });
    }
}

void FormWindow::closeEvent(QCloseEvent* e) {
    // The core decides what closing does.
    e->ignore();
    if (!deliver_) return;
    if (form_.events.Unload) send([this] { form_.events.Unload(); });
    else send([this] { form_.Hide(); });
}

void FormWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (!deliver_ || !isVisible()) return;
    // The window moved (dragged by the user): the model follows, so that windows placed relative to
    // it land in the right spot.
    QPoint p = frameGeometry().topLeft();
    applied_.left = p.x();
    applied_.top = p.y();
    form_.Left = p.x() * 15;
    form_.Top = p.y() * 15;
}

QImage RenderFormToImage(ui::Form& form, platform::Resources& resources) {
    PictureCache pictures(resources);
    FormWindow view(form, pictures, {});
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.sync();
    view.resize(std::max(1, form.Width / 15), std::max(1, form.Height / 15));
    return view.grab().toImage();
}

// ---------------------------------------------------------------------------------------------

Renderer::Renderer(std::vector<ui::Form*>& forms, platform::Resources& resources, Deliver deliver)
    : forms_(forms), pictures_(resources), deliver_(std::move(deliver)) {}

Renderer::~Renderer() = default;

FormWindow* Renderer::window(const ui::Form& f) {
    auto it = windows_.find(&f);
    return it == windows_.end() ? nullptr : it->second.get();
}

void Renderer::sync() {
    if (syncing_) return;  // a handler run from inside a sync (a widget signal) syncs afterwards
    syncing_ = true;
    for (ui::Form* f : forms_) {
        auto& w = windows_[f];
        if (!w) w = std::make_unique<FormWindow>(*f, pictures_, deliver_);
        w->sync();
    }
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (std::find(forms_.begin(), forms_.end(), it->first) == forms_.end()) {
            it->second->hide();
            it->second.release()->deleteLater();
            it = windows_.erase(it);
        } else {
            ++it;
        }
    }
    syncing_ = false;
}

}  // namespace zorvan::qt
