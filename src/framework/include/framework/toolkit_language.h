// The toolkit's own texts in Japanese, as every text of the program is, whatever the language
// of the system: the context menu of an edit, the buttons of its standard dialogs.
#pragma once

// Installs Qt's Japanese translation into the application, once for each application object.
// It is looked for in the program's own folder ("translations" beside it, where a Windows
// installation puts it) and then where Qt keeps its translations. False when none is found.
bool UseJapaneseToolkitTexts();
