#include "centerformmodule.h"

#include "form.h"
#include "screen.h"

namespace CenterFormModule {

// Left before Top, each from its own reading of the sizes: the window moves
// twice, as it always has.
void CenterForm(Form &window)
{
    const float width = window.Width();
    window.setLeft(static_cast<float>((Screen::current().Width() - width) / 2.0));
    const float height = window.Height();
    window.setTop(static_cast<float>((Screen::current().Height() - height) / 2.0));
}

} // namespace CenterFormModule
