#pragma once

#include "listbox.h"

#include <QStringList>

/// The texts of a list's entries, in their order.
inline QStringList entriesOf(const ListBox &list)
{
    QStringList texts;
    for (int i = 0; i < list.ListCount(); ++i)
        texts << list.List(i);
    return texts;
}
