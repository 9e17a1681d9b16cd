#pragma once

#include "seam.h"

#include <QString>

/// Where the program's own files lie: the folder of its executable.
class ProgramFolder : public Seam<ProgramFolder>
{
public:
    virtual ~ProgramFolder() = default;
    virtual QString path() = 0;

    static ProgramFolder &native();
};

namespace App {

/// The program's own folder, in native notation, without a final separator.
QString Path();
/// The application title that captions its message boxes: "Quillmere".
QString Title();
/// Ends the program: the event loop stops and no further handler runs.
void End();

} // namespace App
