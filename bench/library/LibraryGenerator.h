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
// An empty file for every row's video, so that the program's check of the
// library at start keeps the rows (it removes those whose video is gone).
bool createVideoFiles(const LibraryLocation &library);

} // namespace LibraryGenerator
