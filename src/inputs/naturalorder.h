#pragma once

#include <QString>

/// Whether @p a comes before @p b as people read names: runs of digits by
/// their value, so "part2" comes before "part10", the rest without regard to
/// letter case. Names equal but for letter case or leading zeros still get an
/// order, so that a sort gives the same result on every machine.
bool naturalLess(const QString &a, const QString &b);
