#pragma once

#include <QString>

// The style sheets of resources/style, read once each.
class StyleSheet
{
public:
    // The text of ":/style/<name>.qss" (empty when there is none).
    static QString load(const QString &name);

private:
    StyleSheet() = delete;
};
