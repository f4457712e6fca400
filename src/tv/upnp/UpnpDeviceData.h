#pragma once

#include <QString>

// The fields of a hosted root device, as published in its description.
struct UpnpDeviceData
{
    QString descriptionPath;
    QString uuid;
    QString deviceType;
    QString friendlyName;
    QString manufacturer;
    QString manufacturerUrl;
    QString modelDescription;
    QString modelName;
    QString modelNumber;
    QString modelUrl;
    QString serialNumber;
    QString presentationUrl;
    QString dlnaDoc;
    QString dlnaCap;
    QString aggregationFlags;
    bool showIp = false;
    quint16 httpPort = 0;
    bool portRebind = true;
    int leaseTime = 1800;
    bool byeByeFirst = false;
    bool extraBroadcast = false;
};
