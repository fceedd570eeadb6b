// The control model: plain objects with the properties the client reads and writes, in the units
// of their container (twips on a form, pixels inside a pixel picture box such as Pic1).
// A front-end renders them and turns input into the events below; the core never sees a toolkit.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::ui {

class Form;
class Control;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};

// A picture: a GIF resource id, or a named design-time picture; both empty means no picture.
struct Picture {
    int gifId = 0;
    std::string named;
    bool empty() const { return gifId == 0 && named.empty(); }
    static Picture Gif(int id) { return {id, {}}; }
    static Picture Named(std::string n) { return {0, std::move(n)}; }
    friend bool operator==(const Picture&, const Picture&) = default;
};

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

struct MouseEvent {
    int button = 1;  // 1 left, 2 right, 4 middle
    int shift = 0;   // 1 shift, 2 ctrl, 4 alt
    double x = 0, y = 0;  // in the control's container units, relative to the control
};

enum class ControlType { Image, Label, ListBox, TextBox, PictureBox };

const char* TypeName(ControlType t);

// Event handlers; each receives the control, so handlers of a control array read its Index.
struct ControlEvents {
    std::function<void(Control&, const MouseEvent&)> MouseDown, MouseUp, MouseMove;
    std::function<void(Control&)> Click, DblClick, GotFocus, LostFocus, Change;
    std::function<void(Control&, int keyCode, int shift)> KeyDown, KeyUp;
    std::function<void(Control&, int& keyAscii)> KeyPress;
};

class Control {
public:
    explicit Control(ControlType type) : type_(type) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    double Left = 0, Top = 0, Width = 0, Height = 0;
    bool Visible = true, Enabled = true;
    std::string ToolTipText;
    ControlEvents events;

    ControlType type() const { return type_; }
    const std::string& name() const { return name_; }
    int Index() const { return index_; }  // -1 for a single control
    Form* form() const { return form_; }
    Control* container() const { return container_; }

    void Move(double left, double top) { Left = left; Top = top; }
    void Move(double left, double top, double width, double height) {
        Left = left; Top = top; Width = width; Height = height;
    }
    // 0: bring to front of its container; 1: send to back.
    void ZOrder(int position = 0);
    void SetFocus();

    // Copies the visual properties of another control of the same type (control-array Load).
    virtual void copyFrom(const Control& o);

private:
    friend class Form;
    ControlType type_;
    std::string name_;
    int index_ = -1;
    Form* form_ = nullptr;
    Control* container_ = nullptr;
};

class Image : public Control {
public:
    Image() : Control(ControlType::Image) {}
    Picture picture;
    bool Stretch = false;
    void copyFrom(const Control& o) override;
};

enum class Alignment { Left = 0, Right = 1, Center = 2 };

class Label : public Control {
public:
    Label() : Control(ControlType::Label) {}
    std::string Caption;       // plain text, never interpreted
    Rgb ForeColor = kBlack;
    Rgb BackColor = kWhite;
    bool BackTransparent = true;
    double FontSize = 9;
    bool FontBold = false;
    std::string FontName = "宋体";
    Alignment alignment = Alignment::Left;
    bool WordWrap = false;
    void copyFrom(const Control& o) override;
};

class ListBox : public Control {
public:
    ListBox() : Control(ControlType::ListBox) {}
    std::vector<std::string> items;
    int ListIndex = -1;
    int TopIndex = 0;
    Rgb ForeColor = kBlack;
    Rgb BackColor = kWhite;
    double FontSize = 9;
    void AddItem(std::string text) { items.push_back(std::move(text)); }
    void Clear() { items.clear(); ListIndex = -1; TopIndex = 0; }
    int ListCount() const { return static_cast<int>(items.size()); }
    void copyFrom(const Control& o) override;
};

class TextBox : public Control {
public:
    TextBox() : Control(ControlType::TextBox) {}
    std::string Text;
    int SelStart = 0;
    int MaxLength = 0;  // 0 = no limit
    bool Locked = false;
    Rgb ForeColor = kBlack;
    Rgb BackColor = kWhite;
    double FontSize = 9;
    void copyFrom(const Control& o) override;
};

// A picture box is also a container; ScalePixels says whether its children use pixels.
class PictureBox : public Control {
public:
    PictureBox() : Control(ControlType::PictureBox) {}
    Picture picture;
    // Pictures painted into the box at run time (PaintPicture), drawn over its own picture.
    struct Painted { Picture picture; double x, y, w, h; };
    std::vector<Painted> painted;
    bool ScalePixels = true;
    Rgb BackColor = kBlack;
    void copyFrom(const Control& o) override;
};

// A control array (cardImage0(0..32)): element 0 usually exists at design time, others are loaded.
template <class T>
class ControlArray {
public:
    T& operator[](int index) {
        auto it = items_.find(index);
        if (it == items_.end()) throw std::out_of_range("control array " + name_ + " has no element " + std::to_string(index));
        return *it->second;
    }
    const T& operator[](int index) const {
        auto it = items_.find(index);
        if (it == items_.end()) throw std::out_of_range("control array " + name_ + " has no element " + std::to_string(index));
        return *it->second;
    }
    bool exists(int index) const { return items_.count(index) != 0; }
    int UBound() const { return items_.empty() ? -1 : items_.rbegin()->first; }
    int LBound() const { return items_.empty() ? 0 : items_.begin()->first; }
    std::size_t size() const { return items_.size(); }
    // Creates element `index` as a copy of the lowest element (hidden, in front), like a run-time Load.
    // Loading an existing element is a no-op.
    T& Load(int index);
    void Unload(int index);
    template <class F> void forEach(F&& f) { for (auto& [i, c] : items_) f(*c); }

private:
    friend class Form;
    std::string name_;
    Form* form_ = nullptr;
    Control* container_ = nullptr;
    std::map<int, std::unique_ptr<T>> items_;
};

enum class WindowState { Normal = 0, Minimised = 1 };

struct Rect { int left, top, right, bottom; };

struct FormEvents {
    std::function<void()> Load, Activate, Deactivate, Resize, Unload;
    std::function<void(int keyCode, int shift)> KeyDown;
    std::function<void(const MouseEvent&)> MouseDown, MouseUp, MouseMove;
};

// A top-level window. Position and size in twips (15 a pixel).
class Form {
public:
    explicit Form(std::string name) : name_(std::move(name)) {}
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    std::string Caption;
    WindowState windowState = WindowState::Normal;
    bool Visible = false;
    int Left = 0, Top = 0, Width = 0, Height = 0;  // twips
    int Opacity = 255;
    bool Topmost = false;
    bool Borderless = true;
    std::vector<Rect> shape;  // window region in pixels; empty = the whole window
    Picture picture;          // background picture
    Rgb BackColor = kBlack;
    FormEvents events;
    Control* focused = nullptr;
    // Window-manager actions the core asked for; the front-end carries them out and clears them.
    bool raiseRequested = false;  // bring the window above the other windows
    bool moveRequested = false;   // let the user move the window with the mouse (system command 61458)
    // Set when the core asked for a change the front-end must act on (focus, z-order).
    std::uint64_t revision = 0;

    const std::string& name() const { return name_; }
    void Show() { Visible = true; }
    void Hide() { Visible = false; }
    void Move(int left, int top) { Left = left; Top = top; }
    void Move(int left, int top, int width, int height) { Left = left; Top = top; Width = width; Height = height; }

    // Registers a control (member of the form's struct) under its name, inside a container or the form.
    void add(Control& c, std::string name, Control* container = nullptr);
    template <class T>
    T& addArrayElement(ControlArray<T>& arr, std::string name, int index, Control* container = nullptr);

    // Children of a container (nullptr: the form itself), back to front.
    const std::vector<Control*>& children(Control* container = nullptr) const;
    // Every control of the form, container first, then its children (drawing order).
    std::vector<Control*> allControls() const;
    Control* find(const std::string& name, int index = -1) const;

    void bringToFront(Control& c);
    void sendToBack(Control& c);
    void remove(Control& c);

private:
    std::vector<Control*>& childList(Control* container);
    std::string name_;
    std::map<Control*, std::vector<Control*>> children_;
};

template <class T>
T& ControlArray<T>::Load(int index) {
    if (auto it = items_.find(index); it != items_.end()) return *it->second;
    if (!form_) throw std::logic_error("control array " + name_ + " is not on a form");
    auto c = std::make_unique<T>();
    T& ref = *c;
    if (!items_.empty()) {
        const T& proto = *items_.begin()->second;
        ref.copyFrom(proto);
        ref.events = proto.events;
        ref.Visible = false;
    }
    items_[index] = std::move(c);
    form_->addArrayElement(*this, name_, index, container_);
    return ref;
}

template <class T>
void ControlArray<T>::Unload(int index) {
    auto it = items_.find(index);
    if (it == items_.end()) return;
    if (form_) form_->remove(*it->second);
    items_.erase(it);
}

template <class T>
T& Form::addArrayElement(ControlArray<T>& arr, std::string name, int index, Control* container) {
    if (!arr.form_) { arr.form_ = this; arr.name_ = name; arr.container_ = container; }
    auto it = arr.items_.find(index);
    if (it == arr.items_.end()) it = arr.items_.emplace(index, std::make_unique<T>()).first;
    T& c = *it->second;
    if (c.form_ == nullptr) {
        add(c, std::move(name), container);
        c.index_ = index;
    }
    return c;
}

}  // namespace zorvan::ui
