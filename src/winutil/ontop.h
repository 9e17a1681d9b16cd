#pragma once

class Form;

namespace OnTop {

/// Puts the window above every window that is not topmost, keeping its place
/// and size, and activates it. What the window system answers is not looked at.
void SetOnTop(Form &window);

} // namespace OnTop
