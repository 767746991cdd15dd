#pragma once
// The CSV list's two dialogs: the columns to gather with the delimiter and the header option,
// then "CSV Preview", where the columns are put in order by dragging their headers.
#include <QDialog>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "output/CsvColumns.h"
#include "output/ListOptions.h"

class QCheckBox;
class QLineEdit;

namespace vantor::app {

class SortableListView;

// What the user chose in the CSV dialogs. The output window keeps the last confirmed choice, so
// the save after a preview (or the next save) starts from it.
struct CsvChoice {
    std::vector<const CsvColumn*> ticked;
    std::vector<const CsvColumn*> order;  // the columns written, in output order
    std::string delimiter = ";";
    bool header = true;
};

// The column's tick box is named for vantor-cli's name of the column: "column:rom-name".
QString CsvColumnBoxName(const CsvColumn& column);

inline constexpr const char* kNoCsvColumnChosen =
    "Please select at least one of the criteria to gather.\r\nA list without columns would be empty.";

// "CSV Preview": one column per chosen column, its key shown under its heading; the header
// sections can be dragged into another order.
class CsvHeaderDialog : public QDialog {
    Q_OBJECT
  public:
    CsvHeaderDialog(std::vector<const CsvColumn*> columns, int inputType, QWidget* parent = nullptr);

    SortableListView* List() const { return list_; }
    // The columns in the order their headers stand now.
    std::vector<const CsvColumn*> OrderedColumns() const;

  private:
    std::vector<const CsvColumn*> columns_;
    SortableListView* list_;
};

// The column dialog: 24 tick boxes (those the master file's type cannot fill are disabled, but
// "Toggle all" ticks them too), the delimiter and "Include column headers". OK runs "CSV Preview"
// for the order.
class CsvColumnsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CsvColumnsDialog(int inputType, const CsvChoice& initial = {}, QWidget* parent = nullptr);

    // What the writer gets (the columns, the delimiter, the header option) and what was chosen;
    // valid after OK.
    const ListOptions& Options() const { return options_; }
    const CsvChoice& Choice() const { return choice_; }
    const std::vector<const CsvColumn*>& OrderedColumns() const { return ordered_; }
    QCheckBox* Box(std::string_view cliName) const;

  protected:
    void accept() override;

  private:
    void ToggleAll();

    int inputType_;
    std::vector<const CsvColumn*> lastOrder_;
    CsvChoice choice_;
    bool toggleState_ = true;
    std::map<const CsvColumn*, QCheckBox*> boxes_;
    QLineEdit* delimiterEdit_;
    QCheckBox* headerBox_;
    ListOptions options_;
    std::vector<const CsvColumn*> ordered_;
};

}  // namespace vantor::app
