#pragma once

#include <QtGlobal>

/** What tells one file from every other, whatever its names: its device and its number there. */
struct FileIdentity
{
    quint64 device = 0;
    quint64 file = 0;

    bool isValid() const { return device != 0 || file != 0; }
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};
