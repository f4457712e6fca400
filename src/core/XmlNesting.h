#pragma once

#include <QByteArray>

// The nesting of an XML document, measured without building a tree. Documents
// from the network are checked with it before they reach QDomDocument, which
// takes quadratic time and unbounded stack on deeply nested elements.
class XmlNesting
{
public:
    // Whether no element of `xml` lies deeper than `maxDepth` levels (the
    // root element is level 1). Only the depth is judged: a malformed
    // document is left to the parser that follows.
    static bool within(const QByteArray &xml, int maxDepth = DocumentDepth);

    // Deeper than any document the program reads.
    static constexpr int DocumentDepth = 64;

private:
    XmlNesting() = delete;
};
