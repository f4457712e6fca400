#pragma once

#include "library/LibraryLocation.h"

#include <QString>
#include <QStringList>

// Fills the library table with `rows` generated videos (seeded, so every run
// gets the same library), in one transaction. Titles are two words and a
// number; every 20,000th row also carries rareWord().
namespace LibraryGenerator {

void generate(const LibraryLocation &library, int rows);
// A new library in `base` (its folders and database) with `rows` generated
// videos; says so on stdout, as it takes a while.
LibraryLocation createLibrary(const QString &base, int rows);
QString rareWord();

} // namespace LibraryGenerator
