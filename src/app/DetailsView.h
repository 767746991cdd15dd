#pragma once
// "View Details": the record of one game, found by its ROM name from the top of the master file,
// read on a worker and shown in a text window titled with the game's name.
#include <QObject>
#include <string>

#include "BackgroundWork.h"

class QWidget;

namespace vantor {
struct Catalog;
}

namespace vantor::app {

class DetailsView : public QObject {
    Q_OBJECT
  public:
    // Reads `catalog`'s master file (with a file of its own: the main window may close and reopen
    // the catalog's meanwhile).
    DetailsView(QWidget* owner, const Catalog& catalog);

    // Starts reading; the window opens (modal over the owner) when the text is ready, unless the
    // owner has been closed by then. A request while another is read takes its place.
    void Show(const std::string& name, const std::string& romName, bool hideRomNames);
    bool Busy() const { return job_.Running(); }

  Q_SIGNALS:
    // The text window has been opened; `text` is what it shows.
    void Opened(const std::string& text);

  private:
    QWidget* owner_;
    const Catalog& catalog_;
    JobHandle job_;
};

}  // namespace vantor::app
