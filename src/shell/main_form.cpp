#include "shell/main_form.h"

#include "core/client.h"

namespace zorvan {

void BuildMainForm(Client& c) {
    MainForm& f = c.main;
    f.Caption = "qelt";
    f.windowState = ui::WindowState::Minimised;
    f.add(f.Pic1, "Pic1");
    f.add(f.Pic2, "Pic2");
    f.Pic2.Visible = false;
    f.Pic1.picture = ui::Picture::Named("Pic1");
    f.Pic2.picture = ui::Picture::Named("Pic2");

    f.add(f.imgDilan, "imgDilan", &f.Pic1);
    f.add(f.imgDinglan, "imgDinglan", &f.Pic1);
    f.imgDilan.picture = ui::Picture::Named("imgDilan");
    f.imgDinglan.picture = ui::Picture::Named("imgDinglan");

    for (int i = 0; i < 2; ++i) f.addArrayElement(f.Sysmsg, "Sysmsg", i, &f.Pic1);
    f.add(f.Time_Img, "Time_Img", &f.Pic1);
    f.Time_Img.picture = ui::Picture::Named("Time_Img");
    f.Time_Img.Visible = false;
    f.add(f.Number, "Number", &f.Pic1);
    f.Number.Visible = false;
    f.add(f.Location, "Location", &f.Pic1);
    f.Location.FontSize = 12;
    f.Location.ForeColor = ui::Rgb{255, 255, 0};  // yellow: the plate under the room name is dark brown
    f.addArrayElement(f.AnNiu, "AnNiu", 0, &f.Pic1);
    f.add(f.Chat, "Chat", &f.Pic1);
    f.Chat.MaxLength = 100;
    f.Chat.FontSize = 15.75;
    BuildShellControls(c);
    BuildTableControls(c);
    // The room name is drawn on its plate imgLocation, which the table controls add later.
    f.Location.ZOrder(0);
    SizeDesignPictures(c);
}

}  // namespace zorvan
