#pragma once
// Process-wide set-up shared by the program and its GUI tests.
#include <filesystem>

class QApplication;

namespace qinghe {

// Fonts: the form asks for 宋体 (SimSun); name the CJK font that stands in for it here,
// so that Qt does not fall back glyph by glyph from a Latin font.
void configure_application(QApplication& app);

// Where the settings files live: the executable's folder, so that a copied folder is a
// portable installation; when that folder is not writable (an installed program), the
// user's configuration folder for the program.
std::filesystem::path settings_folder();

}  // namespace qinghe
