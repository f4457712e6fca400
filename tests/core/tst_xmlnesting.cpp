// The nesting check that guards the tree parsers: the limit counts element
// levels (not siblings, not text), elements from entity expansion count,
// and a document is judged on its depth alone.
#include "core/XmlNesting.h"

#include <QTest>

namespace {

QByteArray nested(int levels, const QByteArray &inner = {})
{
    return QByteArray("<a>").repeated(levels) + inner + QByteArray("</a>").repeated(levels);
}

} // namespace

class TestXmlNesting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void depthAgainstLimit_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("within");
        QTest::newRow("at the limit") << nested(8) << true;
        QTest::newRow("one level over") << nested(9) << false;
        QTest::newRow("siblings and text")
            << "<a>" + QByteArray("<b>t</b><c/>").repeated(5000) + "</a>" << true;
        QTest::newRow("empty elements") << nested(7, "<e/>") << true;
        QTest::newRow("empty element one over") << nested(8, "<e/>") << false;
        QTest::newRow("deep and never closed") << QByteArray("<a>").repeated(100000) << false;
        QTest::newRow("deep after a malformed start") << "<a></b>" + nested(100) << true;
        QTest::newRow("entity expands to depth")
            << "<!DOCTYPE a [<!ENTITY d \"" + nested(4) + "\">]><a><a><a><a><a>&d;</a></a></a></a></a>"
            << false;
        QTest::newRow("not XML") << QByteArray("\xff\xfe<<<") << true;
        QTest::newRow("empty") << QByteArray() << true;
    }
    void depthAgainstLimit()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, within);
        QCOMPARE(XmlNesting::within(xml, 8), within);
    }
};

QTEST_GUILESS_MAIN(TestXmlNesting)
#include "tst_xmlnesting.moc"
