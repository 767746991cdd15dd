#include "CsvFields.h"

#include "TextUtil.h"

namespace vantor {

CsvFields::CsvFields(std::string_view delimiter) : quoteTriggers_("\"\r\n") {
    std::string characters;
    for (char c : delimiter) {
        if (!IsWhiteSpace(c)) characters += c;
    }
    quoteTriggers_ += characters.empty() ? std::string(delimiter) : characters;
}

void CsvFields::Append(std::string& row, std::string_view value) const {
    if (value.find_first_of(quoteTriggers_) == std::string_view::npos) {
        row += value;
        return;
    }
    row += '"';
    for (char c : value) {
        if (c == '"') row += '"';
        row += c;
    }
    row += '"';
}

}  // namespace vantor
