#pragma once

#include <QString>

#include <algorithm>

// The system's reasons read otherwise on Windows (and under Wine): there a message is compared
// up to its last reason, and must still end in one period, not two.
inline bool sameMessage(const QString &actual, const QString &expected)
{
#ifdef Q_OS_WIN
    const qsizetype cut = std::max(expected.lastIndexOf(u": "), expected.lastIndexOf(u":\n")) + 2;
    return actual.left(cut) == expected.left(cut) && actual.endsWith(u'.') && !actual.endsWith(u"..");
#else
    return actual == expected;
#endif
}
