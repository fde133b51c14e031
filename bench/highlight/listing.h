#pragma once

#include <QString>
#include <QStringList>

// Debugger-style disassembly listings and keyword lists of any size, the
// same for the same seed.
QString GenerateListing(int lines, unsigned seed = 1);
// count entries: the shipped kind of words first, then made-up mnemonics.
QStringList GenerateEntries(int count, unsigned seed = 1);
