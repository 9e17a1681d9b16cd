#pragma once

class Form;

namespace CenterFormModule {

/// Places the window in the middle of the whole screen. A half twip is kept:
/// the window system decides the whole pixel.
void CenterForm(Form &window);

} // namespace CenterFormModule
