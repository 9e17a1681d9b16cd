#pragma once

class CommonDialog;
class Form;
class ListBox;

namespace JoinButton {

/// The Join button's work: asks for the output file, joins every listed file
/// into it and says so, or says what failed and selects the entry it names.
/// The join runs on a thread of its own: the window keeps repainting but
/// takes no input until the join has ended. One that takes longer than half
/// a second shows its progress and can be cancelled. Does nothing while a
/// join runs.
void join(Form &window, CommonDialog &dialog, ListBox &list);

/// Asks the join under way to stop, telling nothing when it has: for a window
/// that closes. The join ends within a fraction of a second, its output as it
/// was, and join() returns. False when no join runs.
bool stop();

} // namespace JoinButton
