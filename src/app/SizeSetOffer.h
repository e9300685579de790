// Windows' size sets offered in the user-defined size box: a list that opens on the
// Down key, on the box's arrow or as a set's name is typed, each set shown with the
// sizes it stands for. Choosing one puts its name in the box, which still takes any
// typed text.
#pragma once

class QLineEdit;

void offerSizeSets(QLineEdit &box);

// Opens the list of every set under the box, whatever it holds.
void showSizeSets(QLineEdit &box);
