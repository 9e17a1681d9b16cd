#pragma once

#include <QString>

#include <optional>

/**
 * The code page of what cmd writes into a file by redirection ("dir /b > LIST"): the console's
 * output code page, which chcp sets, or, for a program without a console, the system's OEM code
 * page, which a new console starts with. 0 where there is none (Linux).
 */
unsigned consoleCodePage();

/** @p bytes read as text in consoleCodePage(), or nothing where they are no such text. */
std::optional<QString> consoleCodePageText(QByteArrayView bytes);
