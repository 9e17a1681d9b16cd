#pragma once

#include "seam.h"

class QUrl;

/// Opens a document or an address with the program the desktop associates
/// with it, as the shell does on Windows.
class DesktopOpener : public Seam<DesktopOpener>
{
public:
    virtual ~DesktopOpener() = default;
    /// False when nothing could open it.
    virtual bool open(const QUrl &url) = 0;

    static DesktopOpener &native();
};
