#pragma once
// The rules of "One game per family": which rules decide and in which order (ticked rules, top
// first; the ROM name decides last in any case), and the order of the regions.
#include <QDialog>

#include "search/FamilyChoice.h"

class QLineEdit;
class QListWidget;

namespace vantor::app {

inline constexpr const char* kFamilyRulesTitle = "One game per family";

class FamilyRulesDialog : public QDialog {
    Q_OBJECT
  public:
    FamilyRulesDialog(const FamilyOptions& options, QWidget* parent = nullptr);

    // What OK took (the options the dialog opened with until then).
    const FamilyOptions& Options() const { return options_; }
    QListWidget* RuleList() const { return rules_; }
    // Moves the current rule up (-1) or down (+1).
    void MoveCurrentRule(int by);
    void RestoreDefaults();

  protected:
    void accept() override;

  private:
    void Fill(const FamilyOptions& options);

    FamilyOptions options_;
    QListWidget* rules_;
    QLineEdit* regions_;
};

// The options stored in the settings; a list that does not read gives way to its default.
FamilyOptions StoredFamilyOptions(const std::string& rules, const std::string& regions);

}  // namespace vantor::app
