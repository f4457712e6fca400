#pragma once

#include <QByteArray>
#include <QString>

// A document from a site as the log names it: its size and hash, never its
// content (which can be large, and is the site's).
QString loggableDocument(const QByteArray &document);
