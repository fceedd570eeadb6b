// The screen-state dump (zorvan-dump-<n>.json) asked for by window message 32769: every form the
// client has created and every control on it, as the control model holds them, so that a bug report
// or a test of the real binary can read the screen.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/dump_json.h"
#include "ui/controls.h"

namespace zorvan {
struct Client;

// The dump as a JSON document (UTF-8). The login key and the proxy password never appear in it:
// any text that holds them carries "***" instead.
std::string ScreenDumpJson(Client& c);
// The JSON of the given forms at the given time (what ScreenDumpJson writes for the client's forms).
// Texts that contain one of `secrets` (non-empty ones) are written with "***" in its place.
std::string FormsDumpJson(const std::vector<ui::Form*>& forms, std::int64_t timeMs,
                          const std::vector<std::string>& secrets = {});
// The file the dump with sequence number n goes to: $ZORVAN_DUMP_DIR, else the program folder.
std::string ScreenDumpPath(Client& c, long n);
// Writes the dump atomically (a temporary file in the same folder, then renamed). A failure is
// traced and otherwise ignored: a dump must never disturb the table.
void WriteScreenDump(Client& c, long n);

// A form rebuilt from a dump (for the viewer): it owns its controls, which keep the dumped names,
// indexes, containers and z-order.
class DumpedForm : public ui::Form {
public:
    using ui::Form::Form;
    std::vector<std::unique_ptr<ui::Control>> singles;
    std::map<std::string, ui::ControlArray<ui::Image>> images;
    std::map<std::string, ui::ControlArray<ui::Label>> labels;
    std::map<std::string, ui::ControlArray<ui::ListBox>> lists;
    std::map<std::string, ui::ControlArray<ui::TextBox>> texts;
    std::map<std::string, ui::ControlArray<ui::PictureBox>> pictures;
};

struct DumpedScreen {
    std::int64_t timeMs = 0;
    std::vector<std::unique_ptr<DumpedForm>> forms;
};

// Rebuilds the forms of a dump; throws json::ParseError on a document that is not a dump.
// Unknown members are ignored, so older viewers read newer dumps.
DumpedScreen ScreenFromDump(const std::string& jsonText);

}  // namespace zorvan
