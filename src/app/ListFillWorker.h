#pragma once
// Turns hand-over texts into sorted rows on a thread of its own, so that a window stays
// responsive while tens of thousands of rows are built. Requests are served one at a time in the
// order made, and their results come back to the window's thread in that order.
#include <QObject>
#include <QThread>
#include <memory>
#include <vector>

#include "AppState.h"
#include "listmodel/ListTable.h"

namespace vantor::app {

struct FillResult {
    quint64 ticket = 0;
    HandOver handOver;  // the entries themselves are consumed
    bool hasRows = false;
    std::vector<ListTable::Row> rows;  // sorted by Name, ascending, when the hand-over asks
};
using FillResultPtr = std::shared_ptr<FillResult>;

class ListFillWorker : public QObject {
    Q_OBJECT
  public Q_SLOTS:
    // `fillWhenEmpty`: an empty batch still produces (zero) rows instead of "nothing to fill".
    void Fill(quint64 ticket, vantor::app::HandOver handOver, bool fillWhenEmpty);
  Q_SIGNALS:
    void Progress(quint64 ticket, qint64 done, qint64 total);
    void Filled(vantor::app::FillResultPtr result);
};

// The worker and its thread, owned by one window.
class ListFillThread : public QObject {
    Q_OBJECT
  public:
    explicit ListFillThread(QObject* parent);
    ~ListFillThread() override;

    // Queues a request; returns its ticket.
    quint64 Request(HandOver handOver, bool fillWhenEmpty);
    // Requests made and not yet answered.
    int Pending() const { return pending_; }

  Q_SIGNALS:
    void Progress(quint64 ticket, qint64 done, qint64 total);
    void Filled(vantor::app::FillResultPtr result);
    void RequestFill(quint64 ticket, vantor::app::HandOver handOver, bool fillWhenEmpty);

  private:
    QThread thread_;
    ListFillWorker* worker_;
    quint64 nextTicket_ = 1;
    int pending_ = 0;
};

}  // namespace vantor::app

Q_DECLARE_METATYPE(vantor::app::FillResultPtr)
