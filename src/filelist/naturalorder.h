#pragma once

#include <QString>

/// Whether @p a comes before @p b as people read names: runs of digits by
/// their value, so that "part2" comes before "part10", the rest without
/// regard to letter case. Names equal in that reading still get an order.
bool naturalLess(const QString &a, const QString &b);
