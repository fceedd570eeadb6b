// classIniFile: small INI access over a file in the GBK code page (the record file, the
// quick-phrase file). Sections and keys compare without regard to ASCII case, as the profile
// functions the files were made for do.
#pragma once
#include <string>
#include <vector>

namespace zorvan {

class classIniFile {
public:
    std::string INIFileName;  // full path of the file

    // Writes one value; the file and the section are created when missing. Line breaks in the
    // value are written as spaces, so a value never breaks the file's layout.
    bool WriteIniKey(const std::string& section, const std::string& key, const std::string& value);
    // The value without surrounding spaces and characters of code 0, at most 1023 characters;
    // empty when the file, the section or the key is missing.
    std::string GetIniKey(const std::string& section, const std::string& key) const;
    void DelIniKey(const std::string& section, const std::string& key);
    void DelIniSec(const std::string& section);

    // Every key of one section read at once (values as GetIniKey gives them), for readers of many keys.
    std::vector<std::pair<std::string, std::string>> GetIniSection(const std::string& section) const;
    // Several writes to one section with a single rewrite of the file.
    bool WriteIniKeys(const std::string& section, const std::vector<std::pair<std::string, std::string>>& keys);
};

// A decimal integer as the record file stores counts and colours; false for anything else
// (empty, trailing text, out of the range given).
bool ParseIniNumber(const std::string& text, long long lo, long long hi, long long& out);

}  // namespace zorvan
