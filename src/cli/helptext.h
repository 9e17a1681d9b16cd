#pragma once

#include <QString>

/** What --help shows: the usage, the reading rules with an example, and what applies on this system. */
QString helpText();
