#include "records/record.h"

#include <filesystem>
#include <map>

#include "core/client.h"
#include "records/boards.h"
#include "records/ini.h"

namespace zorvan {
namespace {

std::string NameKey(int p) { return "name( " + std::to_string(p) + " )"; }
std::string AvatarKey(int p) { return "PicIndex( " + std::to_string(p) + " )"; }
std::string CountKey(int i) { return "count( " + std::to_string(i) + " )"; }
std::string LineKey(int i, int j) { return CountKey(i) + "( " + std::to_string(j) + " )"; }
std::string ColourKey(int p) { return CountKey(p) + " ForeColor"; }

// A list in a file edited by hand may claim any count: more lines than a sheet can have are not
// believed.
constexpr long long kMaxLines = 2000;

classIniFile RecordIni(const Client& c) {
    classIniFile ini;
    ini.INIFileName = RecordFilePath(c);
    return ini;
}

}  // namespace

std::string RecordFilePath(const Client& c) {
    std::string dir = c.os.system.programDir();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + "info.qn";
}

std::string RoundSection(int n) { return "juNum:" + std::to_string(n); }

void WriteJuInfo(Client& c, int n) {
    auto& s = ScoreBoard(c);
    const auto& na = c.seats.g_NameAvatar;
    std::vector<std::pair<std::string, std::string>> keys;
    for (int p = 0; p < 4; ++p) {
        keys.emplace_back(NameKey(p), s.ID[p].Caption);
        keys.emplace_back(AvatarKey(p), na[static_cast<std::size_t>(p)].second);
    }
    for (int i = 0; i < 8; ++i) {
        const auto& items = s.State[i].items;
        keys.emplace_back(CountKey(i), std::to_string(items.size()));
        for (std::size_t j = 0; j < items.size(); ++j) keys.emplace_back(LineKey(i, static_cast<int>(j)), items[j]);
    }
    for (int p = 0; p < 4; ++p) keys.emplace_back(ColourKey(p), std::to_string(ColourNumber(s.State[p].ForeColor)));
    RecordIni(c).WriteIniKeys(RoundSection(n), keys);
}

void ReadJuInfo(Client& c, int n) {
    if (n == 0) return;
    auto& s = ScoreBoard(c);
    // One read of the section; the first of equal keys counts, as for single reads.
    std::map<std::string, std::string> values;
    for (auto& [k, v] : RecordIni(c).GetIniSection(RoundSection(n))) values.emplace(k, v);
    auto get = [&values](const std::string& key) {
        auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    };
    for (int p = 0; p < 4; ++p) {
        s.ID[p].Caption = get(NameKey(p));
        long long avatar = 0;
        std::string a = get(AvatarKey(p));
        if (!a.empty() && ParseIniNumber(a, 0, 19, avatar)) ShowAvatar(c, s.Tou[p], static_cast<int>(avatar));
    }
    for (int i = 0; i < 8; ++i) {
        long long count = 0;
        if (!ParseIniNumber(get(CountKey(i)), 0, kMaxLines, count)) return;
        auto& items = s.State[i].items;
        items.resize(static_cast<std::size_t>(count), " ");
        for (int j = 0; j < count; ++j) {
            std::string v = get(LineKey(i, j));
            items[static_cast<std::size_t>(j)] = v.empty() ? " " : v;
        }
    }
    for (int p = 0; p < 4; ++p) {
        long long colour = 0;
        if (ParseIniNumber(get(ColourKey(p)), 0, 16777215, colour))
            s.State[p].ForeColor = ColourFromNumber(static_cast<long>(colour));
    }
}

void DeleteRecordFile(Client& c) {
    std::error_code ec;
    std::filesystem::remove(RecordFilePath(c), ec);
}

}  // namespace zorvan
