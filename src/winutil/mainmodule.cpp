#include "mainmodule.h"

#include <QDateTime>
#include <QFileInfo>

namespace Main {

std::int16_t FileExists(const QString &path) noexcept
{
    try {
        if (path.isEmpty())
            return False;
        const QFileInfo info(path);
        // Whatever stands at the path counts once the system can tell its date.
        return info.exists() && info.lastModified().isValid() ? True : False;
    } catch (...) {
        return False;
    }
}

} // namespace Main
