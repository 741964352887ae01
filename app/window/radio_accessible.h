#pragma once
// What assistive technology is told about the form's radio buttons.

namespace qinghe {

// Makes every GroupRadioButton created from now on a radio button to accessibility
// clients. Qt's own interface calls a checkable button a radio button only while it is
// auto-exclusive, which the form's radio buttons are not; a screen reader would announce
// four independent check boxes. Installs once per process; later calls do nothing.
void install_radio_accessibility();

}  // namespace qinghe
