// The "Generation of a help file" dialog and the progress window of the generation.
#pragma once

namespace tarvo::tools {

// Asks for the files, the help file's name and the title, then generates; false when
// cancelled or failed (the failure has been shown).
bool HelpGenerationCommand();

}  // namespace tarvo::tools
