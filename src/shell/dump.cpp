#include "shell/dump.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/client.h"

namespace zorvan {
namespace {

using json::Writer;

std::string Redacted(std::string s, const std::vector<std::string>& secrets) {
    for (const std::string& secret : secrets) {
        if (secret.empty()) continue;
        for (std::size_t at = s.find(secret); at != std::string::npos; at = s.find(secret, at + 3))
            s.replace(at, secret.size(), "***");
    }
    return s;
}

std::string HexColour(ui::Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
    return buf;
}

const char* AlignmentName(ui::Alignment a) {
    switch (a) {
        case ui::Alignment::Right: return "right";
        case ui::Alignment::Center: return "center";
        default: return "left";
    }
}

class DumpWriter {
public:
    explicit DumpWriter(const std::vector<std::string>& secrets) : secrets_(secrets) {}
    Writer w;

    void text(std::string_view key, const std::string& s) { w.key(key).value(Redacted(s, secrets_)); }

    void picture(std::string_view key, const ui::Picture& p) {
        w.key(key);
        if (p.gifId != 0) w.value(p.gifId);
        else if (!p.named.empty()) w.value("named:" + Redacted(p.named, secrets_));
        else w.null();
    }

    void form(const ui::Form& f) {
        w.beginObject();
        text("name", f.name());
        text("caption", f.Caption);
        w.key("state").value(f.windowState == ui::WindowState::Minimised ? "minimised" : "normal");
        w.key("visible").value(f.Visible);
        w.key("left").value(f.Left);
        w.key("top").value(f.Top);
        w.key("width").value(f.Width);
        w.key("height").value(f.Height);
        w.key("opacity").value(f.Opacity);
        w.key("topmost").value(f.Topmost);
        w.key("borderless").value(f.Borderless);
        picture("picture", f.picture);
        w.key("back").value(HexColour(f.BackColor));
        w.key("shape").beginArray();
        for (const ui::Rect& r : f.shape) {
            w.beginArray();
            for (int v : {r.left, r.top, r.right, r.bottom}) w.value(v);
            w.endArray();
        }
        w.endArray();
        w.key("focus");
        if (f.focused) controlRef(*f.focused);
        else w.null();
        w.key("controls").beginArray();
        int z = 0;
        for (const ui::Control* c : f.allControls()) control(*c, z++);
        w.endArray();
        w.endObject();
    }

private:
    void controlRef(const ui::Control& c) {
        w.beginObject();
        text("name", c.name());
        if (c.Index() >= 0) w.key("index").value(c.Index());
        w.endObject();
    }

    void control(const ui::Control& c, int z) {
        w.beginObject();
        text("name", c.name());
        if (c.Index() >= 0) w.key("index").value(c.Index());
        w.key("type").value(ui::TypeName(c.type()));
        w.key("container");
        if (c.container()) controlRef(*c.container());
        else w.null();
        w.key("left").value(c.Left);
        w.key("top").value(c.Top);
        w.key("width").value(c.Width);
        w.key("height").value(c.Height);
        w.key("visible").value(c.Visible);
        w.key("enabled").value(c.Enabled);
        w.key("z").value(z);
        text("tooltip", c.ToolTipText);
        switch (c.type()) {
            case ui::ControlType::Image: {
                auto& i = static_cast<const ui::Image&>(c);
                picture("picture", i.picture);
                w.key("stretch").value(i.Stretch);
                break;
            }
            case ui::ControlType::Label: {
                auto& l = static_cast<const ui::Label&>(c);
                text("caption", l.Caption);
                w.key("fore").value(HexColour(l.ForeColor));
                w.key("back").value(HexColour(l.BackColor));
                w.key("backTransparent").value(l.BackTransparent);
                w.key("fontSize").value(l.FontSize);
                w.key("bold").value(l.FontBold);
                text("fontName", l.FontName);
                w.key("align").value(AlignmentName(l.alignment));
                w.key("wordWrap").value(l.WordWrap);
                break;
            }
            case ui::ControlType::ListBox: {
                auto& l = static_cast<const ui::ListBox&>(c);
                w.key("items").beginArray();
                for (const std::string& item : l.items) w.value(Redacted(item, secrets_));
                w.endArray();
                w.key("listIndex").value(l.ListIndex);
                w.key("topIndex").value(l.TopIndex);
                w.key("fore").value(HexColour(l.ForeColor));
                w.key("back").value(HexColour(l.BackColor));
                w.key("fontSize").value(l.FontSize);
                break;
            }
            case ui::ControlType::TextBox: {
                auto& t = static_cast<const ui::TextBox&>(c);
                text("text", t.Text);
                w.key("selStart").value(t.SelStart);
                w.key("maxLength").value(t.MaxLength);
                w.key("locked").value(t.Locked);
                w.key("fore").value(HexColour(t.ForeColor));
                w.key("back").value(HexColour(t.BackColor));
                w.key("fontSize").value(t.FontSize);
                break;
            }
            case ui::ControlType::PictureBox: {
                auto& p = static_cast<const ui::PictureBox&>(c);
                picture("picture", p.picture);
                w.key("scalePixels").value(p.ScalePixels);
                w.key("back").value(HexColour(p.BackColor));
                w.key("painted").beginArray();
                for (const auto& painted : p.painted) {
                    w.beginObject();
                    picture("picture", painted.picture);
                    w.key("x").value(painted.x);
                    w.key("y").value(painted.y);
                    w.key("w").value(painted.w);
                    w.key("h").value(painted.h);
                    w.endObject();
                }
                w.endArray();
                break;
            }
        }
        w.endObject();
    }

    const std::vector<std::string>& secrets_;
};

// ---- reading a dump back ----

ui::Rgb ParseColour(const json::Value& o, std::string_view key, ui::Rgb fallback) {
    std::string s = o.string(key);
    if (s.size() != 7 || s[0] != '#') return fallback;
    unsigned r, g, b;
    if (std::sscanf(s.c_str() + 1, "%2x%2x%2x", &r, &g, &b) != 3) return fallback;
    return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}

ui::Picture ParsePicture(const json::Value& o, std::string_view key) {
    const json::Value* v = o.find(key);
    if (!v) return {};
    if (v->isNumber()) return ui::Picture::Gif(static_cast<int>(v->num));
    if (v->isString() && v->str.rfind("named:", 0) == 0) return ui::Picture::Named(v->str.substr(6));
    return {};
}

int IntOf(const json::Value& o, std::string_view key, int fallback) {
    double v = o.number(key, fallback);
    if (!(v >= -2147483648.0 && v <= 2147483647.0)) return fallback;
    return static_cast<int>(v);
}

template <class T>
T& AddControl(DumpedForm& f, std::map<std::string, ui::ControlArray<T>>& arrays, const std::string& name,
              int index, ui::Control* container) {
    if (index < 0) {
        auto owned = std::make_unique<T>();
        T& ref = *owned;
        f.singles.push_back(std::move(owned));
        f.add(ref, name, container);
        return ref;
    }
    auto& arr = arrays[name];
    if (arr.exists(index)) throw json::ParseError("dump: control " + name + "(" + std::to_string(index) + ") twice");
    return f.addArrayElement(arr, name, index, container);
}

void ReadControl(DumpedForm& f, const json::Value& o) {
    if (!o.isObject()) throw json::ParseError("dump: a control is not an object");
    std::string name = o.string("name");
    int index = o.has("index") ? IntOf(o, "index", -1) : -1;
    ui::Control* container = nullptr;
    if (const json::Value* ref = o.find("container"); ref && ref->isObject()) {
        int ci = ref->has("index") ? IntOf(*ref, "index", -1) : -1;
        container = f.find(ref->string("name"), ci);
        // A container must come before its children and be a picture box; otherwise place on the form.
        if (container && container->type() != ui::ControlType::PictureBox) container = nullptr;
    }
    std::string type = o.string("type");
    ui::Control* c;
    if (type == "image") {
        auto& i = AddControl(f, f.images, name, index, container);
        i.picture = ParsePicture(o, "picture");
        i.Stretch = o.boolean("stretch");
        c = &i;
    } else if (type == "label") {
        auto& l = AddControl(f, f.labels, name, index, container);
        l.Caption = o.string("caption");
        l.ForeColor = ParseColour(o, "fore", ui::kBlack);
        l.BackColor = ParseColour(o, "back", ui::kWhite);
        l.BackTransparent = o.boolean("backTransparent", true);
        l.FontSize = o.number("fontSize", 9);
        l.FontBold = o.boolean("bold");
        l.FontName = o.string("fontName", l.FontName);
        std::string align = o.string("align");
        l.alignment = align == "right" ? ui::Alignment::Right
                      : align == "center" ? ui::Alignment::Center : ui::Alignment::Left;
        l.WordWrap = o.boolean("wordWrap");
        c = &l;
    } else if (type == "list") {
        auto& l = AddControl(f, f.lists, name, index, container);
        if (const json::Value* items = o.find("items"); items && items->isArray())
            for (const json::Value& item : items->arr)
                if (item.isString()) l.AddItem(item.str);
        l.ListIndex = IntOf(o, "listIndex", -1);
        l.TopIndex = IntOf(o, "topIndex", 0);
        l.ForeColor = ParseColour(o, "fore", ui::kBlack);
        l.BackColor = ParseColour(o, "back", ui::kWhite);
        l.FontSize = o.number("fontSize", 9);
        c = &l;
    } else if (type == "text") {
        auto& t = AddControl(f, f.texts, name, index, container);
        t.Text = o.string("text");
        t.SelStart = IntOf(o, "selStart", 0);
        t.MaxLength = IntOf(o, "maxLength", 0);
        t.Locked = o.boolean("locked");
        t.ForeColor = ParseColour(o, "fore", ui::kBlack);
        t.BackColor = ParseColour(o, "back", ui::kWhite);
        t.FontSize = o.number("fontSize", 9);
        c = &t;
    } else if (type == "picture") {
        auto& p = AddControl(f, f.pictures, name, index, container);
        p.picture = ParsePicture(o, "picture");
        p.ScalePixels = o.boolean("scalePixels", true);
        p.BackColor = ParseColour(o, "back", ui::kBlack);
        if (const json::Value* painted = o.find("painted"); painted && painted->isArray())
            for (const json::Value& pp : painted->arr)
                if (pp.isObject())
                    p.painted.push_back({ParsePicture(pp, "picture"), pp.number("x"), pp.number("y"),
                                         pp.number("w"), pp.number("h")});
        c = &p;
    } else {
        return;  // a control type this build does not know
    }
    c->Left = o.number("left");
    c->Top = o.number("top");
    c->Width = o.number("width");
    c->Height = o.number("height");
    c->Visible = o.boolean("visible", true);
    c->Enabled = o.boolean("enabled", true);
    c->ToolTipText = o.string("tooltip");
}

std::unique_ptr<DumpedForm> ReadForm(const json::Value& o) {
    if (!o.isObject()) throw json::ParseError("dump: a form is not an object");
    auto f = std::make_unique<DumpedForm>(o.string("name"));
    f->Caption = o.string("caption");
    f->windowState = o.string("state") == "minimised" ? ui::WindowState::Minimised : ui::WindowState::Normal;
    f->Visible = o.boolean("visible");
    f->Left = IntOf(o, "left", 0);
    f->Top = IntOf(o, "top", 0);
    f->Width = IntOf(o, "width", 0);
    f->Height = IntOf(o, "height", 0);
    f->Opacity = IntOf(o, "opacity", 255);
    f->Topmost = o.boolean("topmost");
    f->Borderless = o.boolean("borderless", true);
    f->picture = ParsePicture(o, "picture");
    f->BackColor = ParseColour(o, "back", ui::kBlack);
    if (const json::Value* shape = o.find("shape"); shape && shape->isArray())
        for (const json::Value& r : shape->arr)
            if (r.isArray() && r.arr.size() == 4 && r.arr[0].isNumber() && r.arr[1].isNumber() &&
                r.arr[2].isNumber() && r.arr[3].isNumber())
                f->shape.push_back({static_cast<int>(r.arr[0].num), static_cast<int>(r.arr[1].num),
                                    static_cast<int>(r.arr[2].num), static_cast<int>(r.arr[3].num)});
    if (const json::Value* controls = o.find("controls"); controls && controls->isArray())
        for (const json::Value& c : controls->arr) ReadControl(*f, c);
    if (const json::Value* focus = o.find("focus"); focus && focus->isObject())
        f->focused = f->find(focus->string("name"), focus->has("index") ? IntOf(*focus, "index", -1) : -1);
    return f;
}

}  // namespace

std::string FormsDumpJson(const std::vector<ui::Form*>& forms, std::int64_t timeMs,
                          const std::vector<std::string>& secrets) {
    DumpWriter d(secrets);
    d.w.beginObject();
    d.w.key("time").value(static_cast<double>(timeMs));
    d.w.key("forms").beginArray();
    for (const ui::Form* f : forms)
        if (f) d.form(*f);
    d.w.endArray();
    d.w.endObject();
    return d.w.str();
}

std::string ScreenDumpJson(Client& c) {
    return FormsDumpJson(c.forms, c.os.loop.nowMs(), {c.login.g_LoginKey, c.login.g_ProxyPassword});
}

std::string ScreenDumpPath(Client& c, long n) {
    std::string dir = c.os.system.getEnv("ZORVAN_DUMP_DIR");
    if (dir.empty()) dir = c.os.system.programDir();
    return (std::filesystem::path(dir) / ("zorvan-dump-" + std::to_string(n) + ".json")).string();
}

void WriteScreenDump(Client& c, long n) {
    namespace fs = std::filesystem;
    const fs::path target = ScreenDumpPath(c, n);
    static unsigned serial = 0;
    fs::path temp = target;
    temp += ".tmp" + std::to_string(++serial);
    std::string why;
    try {
        std::string doc = ScreenDumpJson(c);
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(doc.data(), static_cast<std::streamsize>(doc.size()));
            out.close();
            if (!out) why = "cannot write " + temp.string();
        }
        if (why.empty()) {
            std::error_code ec;
            fs::rename(temp, target, ec);
            if (ec) why = "cannot rename to " + target.string() + ": " + ec.message();
        }
    } catch (const std::exception& e) {
        why = e.what();
    }
    if (!why.empty()) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        c.os.system.trace("dump " + std::to_string(n) + " failed: " + why);
    } else if (c.os.system.tracing()) {
        c.os.system.trace("dump " + std::to_string(n) + " written to " + target.string());
    }
}

DumpedScreen ScreenFromDump(const std::string& jsonText) {
    json::Value doc = json::Parse(jsonText);
    if (!doc.isObject()) throw json::ParseError("dump: the document is not an object");
    DumpedScreen s;
    s.timeMs = static_cast<std::int64_t>(doc.number("time"));
    const json::Value* forms = doc.find("forms");
    if (!forms || !forms->isArray()) throw json::ParseError("dump: no forms");
    for (const json::Value& f : forms->arr) s.forms.push_back(ReadForm(f));
    return s;
}

}  // namespace zorvan
