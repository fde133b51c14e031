#pragma once

#include <QString>

// A debugger listing as a cracker meets it: function code with 8-, 16- and
// 32-bit registers, string and SEH code, and calls of common Windows API
// functions in the debugger's forms (CALL <JMP.&MODULE.Name>, CALL DWORD
// PTR DS:[<&MODULE.Name>], the import thunks' JMP, a pointer loaded into ESI
// and called), with the debugger's argument comments.  The same for the
// same seed.
QString GenerateApiListing(int lines, unsigned seed = 1);
