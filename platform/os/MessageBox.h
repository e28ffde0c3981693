#pragma once
// A modal message box with one OK button. Headless runs (no display, or the null video backend)
// write the message to stderr instead, so nothing ever waits for a click there.
#include <string>

namespace plat {

void ShowMessageBox(const std::string& text, const std::string& caption);
// The last message shown (tests check what a failure path said).
const std::string& LastMessageBoxText();

}  // namespace plat
