#pragma once
// Values as fields of CSV rows.
#include <string>
#include <string_view>

namespace vantor {

// Values as fields of CSV rows joined by one delimiter: in double quotes, their own doubled, when
// they hold the delimiter (any of its characters but blanks, so ", " quotes values with a comma,
// not every value with a space), a double quote or a line break; else as they are.
class CsvFields {
  public:
    explicit CsvFields(std::string_view delimiter);
    void Append(std::string& row, std::string_view value) const;

  private:
    std::string quoteTriggers_;
};

}  // namespace vantor
