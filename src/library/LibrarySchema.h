#pragma once

#include <QLatin1StringView>

// CREATE statements of the library database, shared by the opener and the
// metadata builder.
namespace LibrarySchema {

inline constexpr QLatin1StringView createLibrary(
    "CREATE TABLE library (id INTEGER PRIMARY KEY, thumbnailPath VARCHAR, title VARCHAR, "
    "sizeInBytes INTEGER, creationDate INTEGER, mediaLengthInSecs INTEGER, description VARCHAR, "
    "videoPath VARCHAR, guid VARCHAR, coverPath VARCHAR, dvdTitle VARCHAR, categories VARCHAR, "
    "stars VARCHAR, duration VARCHAR,downloaded INTEGER)");
// Where playback of a video stopped (milliseconds, 0 when it never started or
// was watched to the end) and how often it was watched to the end. Added to
// older files by a migration; a new file gets them the same way.
inline constexpr QLatin1StringView
    addPlayPosition("ALTER TABLE library ADD COLUMN playPosition INTEGER NOT NULL DEFAULT 0");
inline constexpr QLatin1StringView
    addWatchedCount("ALTER TABLE library ADD COLUMN watchedCount INTEGER NOT NULL DEFAULT 0");
inline constexpr QLatin1StringView createDownloads(
    "CREATE TABLE downloads (corvanaUrl VARCHAR, mediaUrl VARCHAR, downloadPath VARCHAR )");
// What a download needs without its descriptor: the item's fields and why it
// last stopped. Added to older files (and to a new file) by a migration.
inline constexpr const char *downloadItemColumns[] = {
    "guid VARCHAR DEFAULT ''",       "title VARCHAR DEFAULT ''",
    "mediaTitle VARCHAR DEFAULT ''", "mediaSize INTEGER DEFAULT 0",
    "fileType VARCHAR DEFAULT ''",   "thumbnailUrl VARCHAR DEFAULT ''",
    "coverUrl VARCHAR DEFAULT ''",   "categories VARCHAR DEFAULT ''",
    "stars VARCHAR DEFAULT ''",      "description VARCHAR DEFAULT ''",
    "duration VARCHAR DEFAULT ''",   "rating VARCHAR DEFAULT ''",
    "pubDate INTEGER DEFAULT 0",     "state INTEGER DEFAULT 0",
    "failureKind INTEGER DEFAULT 0", "failureText VARCHAR DEFAULT ''"};
inline constexpr QLatin1StringView
    createCategories("CREATE TABLE categories (id INTEGER PRIMARY KEY, category VARCHAR)");
inline constexpr QLatin1StringView
    createModels("CREATE TABLE models (id INTEGER PRIMARY KEY, name VARCHAR)");
inline constexpr QLatin1StringView
    createDvdTitles("CREATE TABLE dvd_titles (id INTEGER PRIMARY KEY, title VARCHAR)");
inline constexpr QLatin1StringView createCategoriesXModels(
    "CREATE TABLE categoriesxmodels (category_id INTEGER, model_id INTEGER)");
inline constexpr QLatin1StringView createCategoriesXTitles(
    "CREATE TABLE categoriesxtitles (category_id INTEGER, title_id INTEGER)");
inline constexpr QLatin1StringView
    createTitlesXModels("CREATE TABLE titlesxmodels (title_id INTEGER, model_id INTEGER)");

} // namespace LibrarySchema
