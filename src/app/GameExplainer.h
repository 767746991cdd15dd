#pragma once
// "Why is it in my list?" and "Why not?": the "-find:" text as a tree with the truth of each term
// on one game, as vantor-cli explain prints it, read on a worker and shown in a text window.
#include <QObject>
#include <optional>
#include <string>

#include "BackgroundWork.h"

class QWidget;

namespace vantor {
struct Catalog;
struct FamilyOptions;
}  // namespace vantor

namespace vantor::app {

inline constexpr const char* kWhyInListText = "Why is it in my list?";
inline constexpr const char* kWhyNotText = "Why not?";

class GameExplainer : public QObject {
    Q_OBJECT
  public:
    // Reads `catalog`'s master file with a file of its own (the main window may reopen the
    // catalog's meanwhile).
    GameExplainer(const Catalog& catalog, QObject* parent);

    enum class Game { ByRomName, ByRecordKey };
    // Explains the game for `findText` (prepared as "Go!" prepares it) and, when given, one game
    // per family with `family`; the window opens over `owner`, or a message box says what went
    // wrong. A request while another is read takes its place.
    void Explain(QWidget* owner, Game by, const std::string& game, const std::string& findText,
                 const FamilyOptions* family);
    bool Busy() const { return job_.Running(); }

  Q_SIGNALS:
    // The explanation window has been opened; `text` is what it shows.
    void Shown(const std::string& text);

  private:
    const Catalog& catalog_;
    JobHandle job_;
};

}  // namespace vantor::app
