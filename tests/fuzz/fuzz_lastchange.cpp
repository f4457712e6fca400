// LastChange events: a document taken in gives at most the allowed number of
// variables, each with a name; the propertyset reader finds what the parser
// then reads.
#include "FuzzSupport.h"
#include "tv/renderer/LastChange.h"
#include "tv/renderer/RendererSoap.h"

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = FuzzSupport::input(data, size);
    QHash<QString, QString> variables;
    if (LastChange::parse(input, &variables)) {
        FUZZ_CHECK(qsizetype(size) <= LastChange::MaxSize);
        FUZZ_CHECK(variables.size() <= LastChange::MaxVariables);
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            FUZZ_CHECK(!it.key().isEmpty() && it.value().size() <= 4096);
    }
    QByteArray inner;
    if (LastChange::valueOfPropertySet(input, &inner)) {
        QHash<QString, QString> nested;
        (void)LastChange::parse(inner, &nested);
    }
    // The same bytes as a SOAP answer of a renderer.
    const RendererSoap::Reply reply =
        RendererSoap::parseReply(input, QStringLiteral("GetPositionInfo"));
    FUZZ_CHECK(!reply.ok || reply.errorCode == 0);
    FUZZ_CHECK(reply.ok || reply.arguments.isEmpty());
    return 0;
}
