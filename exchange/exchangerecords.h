// The records that leave and enter the notebook through files: a note and a
// contact with every field as its stored code-page bytes.
#pragma once

#include <cstdint>
#include <string>

namespace korvane {

struct ExchangedNote {
    int64_t id = 0;     // record number; 0 when a file names none
    std::string title;  // code-page bytes
    std::string body;   // code-page bytes, CR LF between lines
    std::string date;   // cre_date, "yyyy-mm-dd hh:mm:ss"; empty when a file names none
    bool operator==(const ExchangedNote&) const = default;
};

struct ExchangedContact {
    int64_t id = 0;
    std::string name;  // title
    std::string tel;
    std::string remark;  // content, with its messenger tags
    std::string date;
    bool operator==(const ExchangedContact&) const = default;
};

}  // namespace korvane
