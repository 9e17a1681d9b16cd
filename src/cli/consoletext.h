#pragma once

#include <QString>

#include <cstdio>

/**
 * Writes @p text to @p stream (stdout or stderr). On Windows, a console is given the text itself
 * (WriteConsoleW), so that every character shows as it is, whatever the console's code page;
 * elsewhere, and wherever the stream is redirected to a file or a pipe, it gets UTF-8.
 */
void writeText(std::FILE *stream, const QString &text);
