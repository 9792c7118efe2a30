// The start-up self-load check: the saver file named on the command line must
// load as a module, or the user is told so (the show starts either way).
#pragma once
#include <string>

// The program path at the start of a command line: the quoted text, or, unquoted,
// up to the first ".scr" that ends a word (paths with blanks are common for
// savers), else up to the first blank. Empty when there is none.
std::string selfLoadModulePath(const char* commandLine);

// Windows: checks GetCommandLineA(); "Could not the loadlibrary" when the saver
// file exists but does not load.
void checkSelfLoad();
// The check without its message box: false only when the named file was found
// and could not be loaded.
bool selfLoadSucceeds(const char* commandLine);
