#include "ListFillWorker.h"

namespace vantor::app {

void ListFillWorker::Fill(quint64 ticket, HandOver handOver, bool fillWhenEmpty) {
    auto result = std::make_shared<FillResult>();
    result->ticket = ticket;
    result->hasRows = fillWhenEmpty || !handOver.entries.empty();
    if (result->hasRows) {
        const auto total = static_cast<qint64>(handOver.entries.size());
        ListTable table;
        table.SetColumns(kGameListColumns);
        table.ReplaceRows(GameRowsFromEntries(handOver.entries));
        handOver.entries.clear();
        handOver.entries.shrink_to_fit();
        Q_EMIT Progress(ticket, total * 6 / 10, total);
        if (handOver.sortByName) table.Sort(kNameColumn, true);
        Q_EMIT Progress(ticket, total, total);
        result->rows = table.TakeRows();
    }
    result->handOver = std::move(handOver);
    Q_EMIT Filled(result);
}

ListFillThread::ListFillThread(QObject* parent) : QObject(parent), worker_(new ListFillWorker) {
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(this, &ListFillThread::RequestFill, worker_, &ListFillWorker::Fill, Qt::QueuedConnection);
    connect(worker_, &ListFillWorker::Progress, this, &ListFillThread::Progress, Qt::QueuedConnection);
    connect(
        worker_, &ListFillWorker::Filled, this,
        [this](FillResultPtr result) {
            --pending_;
            Q_EMIT Filled(std::move(result));
        },
        Qt::QueuedConnection);
    thread_.setObjectName(QStringLiteral("list fill"));
    thread_.start();
}

ListFillThread::~ListFillThread() {
    thread_.quit();
    thread_.wait();
}

quint64 ListFillThread::Request(HandOver handOver, bool fillWhenEmpty) {
    quint64 ticket = nextTicket_++;
    ++pending_;
    Q_EMIT RequestFill(ticket, std::move(handOver), fillWhenEmpty);
    return ticket;
}

}  // namespace vantor::app
