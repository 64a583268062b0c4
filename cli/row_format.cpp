#include "cli/row_format.h"

#include "common/gbk.h"

namespace miyoutong::cli {

std::string TsvField(const std::string& gbk) {
    std::string out;
    for (const char c : GbkToUtf8(gbk)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string CsvField(const std::string& gbk) {
    const std::string text = GbkToUtf8(gbk);
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::string JoinLine(const std::vector<std::string>& fields, char separator) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += separator;
        }
        line += fields[i];
    }
    return line + "\n";
}

}  // namespace miyoutong::cli
