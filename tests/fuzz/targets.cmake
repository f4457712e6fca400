# The fuzz targets and the program sources each one needs (below src/).
set(ZELTA_FUZZ_TARGETS descriptor updatefeed suggestions soap ssdp httprange httpheaders encoder
  channellist subtitles)
list(APPEND ZELTA_FUZZ_TARGETS rendererdescription lastchange)
set(ZELTA_FUZZ_SOURCES_descriptor downloads/CorvanaItem.cpp core/XmlNesting.cpp media/MediaFiles.cpp)
set(ZELTA_FUZZ_SOURCES_updatefeed downloads/UpdateFeed.cpp)
set(ZELTA_FUZZ_SOURCES_suggestions web/Suggestions.cpp core/XmlNesting.cpp)
set(ZELTA_FUZZ_SOURCES_soap tv/upnp/UpnpSoap.cpp tv/upnp/UpnpFileMediaServerDelegate.cpp)
set(ZELTA_FUZZ_SOURCES_ssdp tv/upnp/SsdpPacket.cpp)
set(ZELTA_FUZZ_SOURCES_httprange downloads/ContentRange.cpp
  tv/upnp/UpnpFileMediaServerDelegate.cpp)
set(ZELTA_FUZZ_SOURCES_httpheaders tv/upnp/UpnpEventNotifier.cpp tv/upnp/UpnpEventDelivery.cpp
  tv/upnp/UpnpClientSignature.cpp tv/upnp/UpnpSoap.cpp core/JobThread.cpp core/TaskTracker.cpp)
set(ZELTA_FUZZ_SOURCES_encoder media/EncoderOutput.cpp media/MediaInfo.cpp)
set(ZELTA_FUZZ_SOURCES_channellist gui/mainwindow/ChannelList.cpp core/XmlNesting.cpp
  web/WebAddress.cpp core/SiteConfig.cpp)
set(ZELTA_FUZZ_SOURCES_subtitles media/SubtitleCue.cpp media/SubtitleParser.cpp
  media/SubtitleWriter.cpp media/SourceFile.cpp)
set(ZELTA_FUZZ_SOURCES_rendererdescription tv/renderer/RendererDescription.cpp)
set(ZELTA_FUZZ_SOURCES_lastchange tv/renderer/LastChange.cpp tv/renderer/RendererSoap.cpp
  tv/upnp/UpnpSoap.cpp)
