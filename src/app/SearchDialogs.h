#pragma once
// The two small dialogs of the main window's searches: the description search ("ROM Search")
// and the search history ("H").
#include <QDialog>
#include <string>

#include "search/SearchHistory.h"

class QLineEdit;

namespace vantor::app {

class SortableListView;

// "Search": one edit box; OK stores its text, Cancel keeps the text it opened with.
class RomSearchDialog : public QDialog {
    Q_OBJECT
  public:
    explicit RomSearchDialog(const std::string& text, QWidget* parent = nullptr);
    const std::string& Text() const { return text_; }

  protected:
    void accept() override;

  private:
    std::string text_;
    QLineEdit* edit_;
};

// "Search History": the 25 entries, newest first; a double click on a row chooses it.
class SearchHistoryDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SearchHistoryDialog(const SearchHistory::Entries& entries, QWidget* parent = nullptr);

    const SearchHistory::Entries& Entries() const { return entries_; }
    bool Chosen() const { return chosen_; }
    const std::string& ChosenText() const { return chosenText_; }
    SortableListView* List() const { return list_; }
    // What a double click does: takes the selected row, if any, and closes.
    void ChooseSelected();

  private:
    SearchHistory::Entries entries_;
    SortableListView* list_;
    bool chosen_ = false;
    std::string chosenText_;
};

}  // namespace vantor::app
