#pragma once
// The toolkit's own texts (dialog buttons, the line edits' menus) in Traditional Chinese, like the rest
// of the window.

// Loads the toolkit's Traditional Chinese translation when it is installed; false when it is not
// (the texts then stay in English).
bool InstallToolkitTranslation();
