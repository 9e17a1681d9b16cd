#pragma once

#include <QStringList>

class Form1;

/// Starts the main window as the program opens: raises its Load event, shows
/// it and lists the files named on the command line. When Load fails, as on a
/// damaged pointer file, the user is told why and the window is never shown:
/// false, and the program ends.
bool startUp(Form1 &form, const QStringList &files);
