#pragma once

class CommonDialog;
class Form;
class ListBox;

namespace JoinButton {

/// The Join button's work: asks for the output file, joins every listed file
/// into it and says so. A join that takes longer than half a second shows its
/// progress and can be cancelled; the window keeps repainting meanwhile.
void join(Form &window, CommonDialog &dialog, ListBox &list);

} // namespace JoinButton
