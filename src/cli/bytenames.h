#pragma once

#include <QString>

#include <optional>

// Names that come as bytes (arguments on Linux, the lines of a list): a name is passed on as
// text, and bytes that are no UTF-8 would come out as another name.

/** @p bytes as UTF-8 text, or nothing where they are none. */
std::optional<QString> utf8Text(QByteArrayView bytes);

/** @p bytes printable, for a name that is no text: ASCII as it is, every other byte as \xHH. */
QString escapedBytes(QByteArrayView bytes);
