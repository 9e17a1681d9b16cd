#include "screen.h"

#include "twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

class PrimaryScreen final : public Screen
{
public:
    float Width() override { return pixelsToTwips(geometry().width()); }
    float Height() override { return pixelsToTwips(geometry().height()); }

private:
    static QRect geometry()
    {
        const QScreen *screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry() : QRect();
    }
};

} // namespace

Screen &Screen::native()
{
    static PrimaryScreen screen;
    return screen;
}
