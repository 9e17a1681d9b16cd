#include "entryorder.h"

#include "naturalorder.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

QList<int> identity(qsizetype count)
{
    QList<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

} // namespace

namespace EntryOrder {

QList<int> byName(const QStringList &entries)
{
    QList<int> order = identity(entries.size());
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return naturalLess(entries.at(a), entries.at(b)); });
    return order;
}

QList<int> byDateModified(const QStringList &entries)
{
    // Each file is asked once, not at every comparison.
    QList<qint64> times;
    times.reserve(entries.size());
    for (const QString &entry : entries) {
        const QFileInfo file(entry);
        times.append(file.exists() ? file.lastModified().toMSecsSinceEpoch() : std::numeric_limits<qint64>::max());
    }
    QList<int> order = identity(entries.size());
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return times.at(a) < times.at(b); });
    return order;
}

QList<int> reversed(qsizetype count)
{
    QList<int> order = identity(count);
    std::reverse(order.begin(), order.end());
    return order;
}

} // namespace EntryOrder
