#pragma once
// Process-wide set-up shared by the program and its GUI tests.
class QApplication;

namespace qinghe {

// Fonts: the form asks for 宋体 (SimSun); name the CJK font that stands in for it here,
// so that Qt does not fall back glyph by glyph from a Latin font. Also the name, version,
// desktop entry and icon by which the desktop knows the program's windows; the icon
// follows once the first frame is painted.
void configure_application(QApplication& app);

}  // namespace qinghe
