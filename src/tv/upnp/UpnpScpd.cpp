#include "tv/upnp/UpnpScpd.h"

#include <QStringList>

namespace UpnpScpd {

namespace {

struct Argument
{
    const char *name;
    bool in;
    const char *variable;
};

struct Action
{
    const char *name;
    QList<Argument> arguments;
};

struct Variable
{
    const char *name;
    const char *type;
    bool evented;
    QStringList allowed = {};
};

QString document(const QList<Action> &actions, const QList<Variable> &variables)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                                 "<scpd xmlns=\"urn:schemas-upnp-org:service-1-0\">"
                                 "<specVersion><major>1</major><minor>0</minor></specVersion>"
                                 "<actionList>");
    for (const Action &action : actions) {
        xml +=
            QStringLiteral("<action><name>%1</name><argumentList>").arg(QLatin1String(action.name));
        for (const Argument &argument : action.arguments) {
            xml += QStringLiteral("<argument><name>%1</name><direction>%2</direction>"
                                  "<relatedStateVariable>%3</relatedStateVariable></argument>")
                       .arg(QLatin1String(argument.name),
                            argument.in ? QStringLiteral("in") : QStringLiteral("out"),
                            QLatin1String(argument.variable));
        }
        xml += QStringLiteral("</argumentList></action>");
    }
    xml += QStringLiteral("</actionList><serviceStateTable>");
    for (const Variable &variable : variables) {
        xml += QStringLiteral("<stateVariable sendEvents=\"%1\"><name>%2</name>"
                              "<dataType>%3</dataType>")
                   .arg(variable.evented ? QStringLiteral("yes") : QStringLiteral("no"),
                        QLatin1String(variable.name), QLatin1String(variable.type));
        if (!variable.allowed.isEmpty()) {
            xml += QStringLiteral("<allowedValueList>");
            for (const QString &value : variable.allowed)
                xml += QStringLiteral("<allowedValue>%1</allowedValue>").arg(value);
            xml += QStringLiteral("</allowedValueList>");
        }
        xml += QStringLiteral("</stateVariable>");
    }
    xml += QStringLiteral("</serviceStateTable></scpd>\r\n");
    return xml;
}

} // namespace

QString contentDirectory(bool bookmarks)
{
    const QList<Argument> browseOut = {{"Result", false, "A_ARG_TYPE_Result"},
                                       {"NumberReturned", false, "A_ARG_TYPE_Count"},
                                       {"TotalMatches", false, "A_ARG_TYPE_Count"},
                                       {"UpdateID", false, "A_ARG_TYPE_UpdateID"}};
    QList<Argument> browse = {{"ObjectID", true, "A_ARG_TYPE_ObjectID"},
                              {"BrowseFlag", true, "A_ARG_TYPE_BrowseFlag"},
                              {"Filter", true, "A_ARG_TYPE_Filter"},
                              {"StartingIndex", true, "A_ARG_TYPE_Index"},
                              {"RequestedCount", true, "A_ARG_TYPE_Count"},
                              {"SortCriteria", true, "A_ARG_TYPE_SortCriteria"}};
    QList<Argument> search = {{"ContainerID", true, "A_ARG_TYPE_ObjectID"},
                              {"SearchCriteria", true, "A_ARG_TYPE_SearchCriteria"},
                              {"Filter", true, "A_ARG_TYPE_Filter"},
                              {"StartingIndex", true, "A_ARG_TYPE_Index"},
                              {"RequestedCount", true, "A_ARG_TYPE_Count"},
                              {"SortCriteria", true, "A_ARG_TYPE_SortCriteria"}};
    browse += browseOut;
    search += browseOut;
    QList<Action> actions = {
        {"GetSearchCapabilities", {{"SearchCaps", false, "SearchCapabilities"}}},
        {"GetSortCapabilities", {{"SortCaps", false, "SortCapabilities"}}},
        {"GetSystemUpdateID", {{"Id", false, "SystemUpdateID"}}},
        {"Browse", browse},
        {"Search", search}};
    QList<Variable> variables = {
        {"SearchCapabilities", "string", false},
        {"SortCapabilities", "string", false},
        {"SystemUpdateID", "ui4", true},
        {"ContainerUpdateIDs", "string", true},
        {"A_ARG_TYPE_ObjectID", "string", false},
        {"A_ARG_TYPE_Result", "string", false},
        {"A_ARG_TYPE_SearchCriteria", "string", false},
        {"A_ARG_TYPE_BrowseFlag",
         "string",
         false,
         {QStringLiteral("BrowseMetadata"), QStringLiteral("BrowseDirectChildren")}},
        {"A_ARG_TYPE_Filter", "string", false},
        {"A_ARG_TYPE_SortCriteria", "string", false},
        {"A_ARG_TYPE_Index", "ui4", false},
        {"A_ARG_TYPE_Count", "ui4", false},
        {"A_ARG_TYPE_UpdateID", "ui4", false}};
    if (bookmarks) {
        actions.append({"X_SetBookmark",
                        {{"CategoryType", true, "A_ARG_TYPE_CategoryType"},
                         {"RID", true, "A_ARG_TYPE_RID"},
                         {"ObjectID", true, "A_ARG_TYPE_ObjectID"},
                         {"PosSecond", true, "A_ARG_TYPE_PosSec"}}});
        variables.append({"A_ARG_TYPE_CategoryType", "ui4", false});
        variables.append({"A_ARG_TYPE_RID", "ui4", false});
        variables.append({"A_ARG_TYPE_PosSec", "ui4", false});
    }
    return document(actions, variables);
}

QString connectionManager()
{
    return document(
        {{"GetProtocolInfo",
          {{"Source", false, "SourceProtocolInfo"}, {"Sink", false, "SinkProtocolInfo"}}},
         {"GetCurrentConnectionIDs", {{"ConnectionIDs", false, "CurrentConnectionIDs"}}},
         {"GetCurrentConnectionInfo",
          {{"ConnectionID", true, "A_ARG_TYPE_ConnectionID"},
           {"RcsID", false, "A_ARG_TYPE_RcsID"},
           {"AVTransportID", false, "A_ARG_TYPE_AVTransportID"},
           {"ProtocolInfo", false, "A_ARG_TYPE_ProtocolInfo"},
           {"PeerConnectionManager", false, "A_ARG_TYPE_ConnectionManager"},
           {"PeerConnectionID", false, "A_ARG_TYPE_ConnectionID"},
           {"Direction", false, "A_ARG_TYPE_Direction"},
           {"Status", false, "A_ARG_TYPE_ConnectionStatus"}}}},
        {{"SourceProtocolInfo", "string", true},
         {"SinkProtocolInfo", "string", true},
         {"CurrentConnectionIDs", "string", true},
         {"A_ARG_TYPE_ConnectionStatus",
          "string",
          false,
          {QStringLiteral("OK"), QStringLiteral("ContentFormatMismatch"),
           QStringLiteral("InsufficientBandwidth"), QStringLiteral("UnreliableChannel"),
           QStringLiteral("Unknown")}},
         {"A_ARG_TYPE_ConnectionManager", "string", false},
         {"A_ARG_TYPE_Direction",
          "string",
          false,
          {QStringLiteral("Input"), QStringLiteral("Output")}},
         {"A_ARG_TYPE_ProtocolInfo", "string", false},
         {"A_ARG_TYPE_ConnectionID", "i4", false},
         {"A_ARG_TYPE_AVTransportID", "i4", false},
         {"A_ARG_TYPE_RcsID", "i4", false}});
}

QString mediaReceiverRegistrar()
{
    return document(
        {{"IsAuthorized",
          {{"DeviceID", true, "A_ARG_TYPE_DeviceID"}, {"Result", false, "A_ARG_TYPE_Result"}}},
         {"RegisterDevice",
          {{"RegistrationReqMsg", true, "A_ARG_TYPE_RegistrationReqMsg"},
           {"RegistrationRespMsg", false, "A_ARG_TYPE_RegistrationRespMsg"}}},
         {"IsValidated",
          {{"DeviceID", true, "A_ARG_TYPE_DeviceID"}, {"Result", false, "A_ARG_TYPE_Result"}}}},
        {{"A_ARG_TYPE_DeviceID", "string", false},
         {"A_ARG_TYPE_Result", "int", false},
         {"A_ARG_TYPE_RegistrationReqMsg", "bin.base64", false},
         {"A_ARG_TYPE_RegistrationRespMsg", "bin.base64", false},
         {"AuthorizationGrantedUpdateID", "ui4", true},
         {"AuthorizationDeniedUpdateID", "ui4", true},
         {"ValidationSucceededUpdateID", "ui4", true},
         {"ValidationRevokedUpdateID", "ui4", true}});
}

} // namespace UpnpScpd
