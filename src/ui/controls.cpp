#include "ui/controls.h"

#include <algorithm>

namespace zorvan::ui {

const char* TypeName(ControlType t) {
    switch (t) {
        case ControlType::Image: return "image";
        case ControlType::Label: return "label";
        case ControlType::ListBox: return "list";
        case ControlType::TextBox: return "text";
        case ControlType::PictureBox: return "picture";
    }
    return "control";
}

void Control::ZOrder(int position) {
    if (!form_) return;
    if (position == 0) form_->bringToFront(*this);
    else form_->sendToBack(*this);
}

void Control::SetFocus() {
    if (!form_) return;
    form_->focused = this;
    ++form_->revision;
}

void Control::copyFrom(const Control& o) {
    Left = o.Left; Top = o.Top; Width = o.Width; Height = o.Height;
    Visible = o.Visible; Enabled = o.Enabled; ToolTipText = o.ToolTipText;
}

void Image::copyFrom(const Control& o) {
    Control::copyFrom(o);
    if (auto p = dynamic_cast<const Image*>(&o)) { picture = p->picture; Stretch = p->Stretch; }
}

void Label::copyFrom(const Control& o) {
    Control::copyFrom(o);
    if (auto p = dynamic_cast<const Label*>(&o)) {
        Caption = p->Caption; ForeColor = p->ForeColor; BackColor = p->BackColor;
        BackTransparent = p->BackTransparent; FontSize = p->FontSize; FontBold = p->FontBold;
        FontName = p->FontName; alignment = p->alignment; WordWrap = p->WordWrap;
    }
}

void ListBox::copyFrom(const Control& o) {
    Control::copyFrom(o);
    if (auto p = dynamic_cast<const ListBox*>(&o)) {
        ForeColor = p->ForeColor; BackColor = p->BackColor; FontSize = p->FontSize;
    }
}

void TextBox::copyFrom(const Control& o) {
    Control::copyFrom(o);
    if (auto p = dynamic_cast<const TextBox*>(&o)) {
        ForeColor = p->ForeColor; BackColor = p->BackColor; FontSize = p->FontSize;
        MaxLength = p->MaxLength; Locked = p->Locked;
    }
}

void PictureBox::copyFrom(const Control& o) {
    Control::copyFrom(o);
    if (auto p = dynamic_cast<const PictureBox*>(&o)) {
        picture = p->picture; ScalePixels = p->ScalePixels; BackColor = p->BackColor;
    }
}

std::vector<Control*>& Form::childList(Control* container) { return children_[container]; }

void Form::add(Control& c, std::string name, Control* container) {
    c.form_ = this;
    c.name_ = std::move(name);
    c.container_ = container;
    childList(container).push_back(&c);  // a new control comes in front
    ++revision;
}

const std::vector<Control*>& Form::children(Control* container) const {
    static const std::vector<Control*> kNone;
    auto it = children_.find(container);
    return it == children_.end() ? kNone : it->second;
}

std::vector<Control*> Form::allControls() const {
    std::vector<Control*> out;
    std::function<void(Control*)> walk = [&](Control* parent) {
        for (Control* c : children(parent)) {
            out.push_back(c);
            if (c->type() == ControlType::PictureBox) walk(c);
        }
    };
    walk(nullptr);
    return out;
}

Control* Form::find(const std::string& name, int index) const {
    for (Control* c : allControls())
        if (c->name() == name && c->Index() == index) return c;
    return nullptr;
}

void Form::bringToFront(Control& c) {
    auto& list = childList(c.container_);
    auto it = std::find(list.begin(), list.end(), &c);
    if (it == list.end()) return;
    list.erase(it);
    list.push_back(&c);
    ++revision;
}

void Form::sendToBack(Control& c) {
    auto& list = childList(c.container_);
    auto it = std::find(list.begin(), list.end(), &c);
    if (it == list.end()) return;
    list.erase(it);
    list.insert(list.begin(), &c);
    ++revision;
}

void Form::remove(Control& c) {
    auto& list = childList(c.container_);
    list.erase(std::remove(list.begin(), list.end(), &c), list.end());
    children_.erase(&c);
    if (focused == &c) focused = nullptr;
    ++revision;
}

}  // namespace zorvan::ui
