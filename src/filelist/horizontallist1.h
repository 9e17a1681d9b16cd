#pragma once

class Form;
class ListBox;

namespace HorizontalList1 {

/// Tells the list how far it scrolls sideways: the width of its widest entry,
/// measured in the list's font on the window's device context, plus the
/// width of a vertical scroll bar. The window keeps the list's font afterwards.
void SetHorizontalExtent(Form &window, ListBox &list);

} // namespace HorizontalList1
