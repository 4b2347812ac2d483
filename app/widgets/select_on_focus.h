#pragma once

class QLineEdit;

namespace hz {

// Makes edit select its whole text whenever it takes the focus, by the keyboard or by the mouse, so that what the
// user types replaces the setting rather than being appended to it.
void SelectAllOnFocus(QLineEdit* edit);

} // namespace hz
