#!/usr/bin/python3
# A real desktop UPnP control point as the peer: GUPnP finds `zelta-cli tv
# serve` over SSDP (inside the test's network namespace), and GUPnP-AV's
# DIDL-Lite parser reads the first Browse answer of a folder of videos. Every
# video must come with its date, duration, frame size and thumbnail.
import os
import subprocess
import sys
import time
import urllib.request
import warnings

import gi

# The interface-name constructor is the one that works on every GUPnP 1.6.
warnings.simplefilter("ignore", DeprecationWarning)

gi.require_version("GUPnP", "1.6")
gi.require_version("GUPnPAV", "1.0")
from gi.repository import GLib, GUPnP, GUPnPAV  # noqa: E402

SERVICE = "urn:schemas-upnp-org:service:ContentDirectory:1"


# How long the server waits for its probes before it answers a Browse with
# what it knows (MediaModel's probe budget).
PROBE_BUDGET_S = 5.0


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def make_library():
    library = os.path.join(os.environ["HOME"], "My Library")
    os.makedirs(library, exist_ok=True)
    for name, seconds in (("short.mp4", 3), ("long.mp4", 12)):
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        f"testsrc=size=320x240:rate=25:duration={seconds}", "-f", "lavfi", "-i",
                        f"sine=duration={seconds}", "-pix_fmt", "yuv420p",
                        os.path.join(library, name)], check=True)
    return library


def find_control_url():
    context = GUPnP.Context.new("lo", 0)
    control_point = GUPnP.ControlPoint.new(context, SERVICE)
    found = []
    loop = GLib.MainLoop()

    def available(_point, proxy):
        found.append(proxy.get_control_url())
        loop.quit()

    control_point.connect("service-proxy-available", available)
    control_point.set_active(True)
    GLib.timeout_add_seconds(20, loop.quit)
    loop.run()
    if not found:
        fail("the control point found no content directory")
    return found[0]


def browse(control_url):
    body = ("<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">"
            "<s:Body><u:Browse xmlns:u=\"" + SERVICE + "\"><ObjectID>0</ObjectID>"
            "<BrowseFlag>BrowseDirectChildren</BrowseFlag><Filter>*</Filter>"
            "<StartingIndex>0</StartingIndex><RequestedCount>0</RequestedCount>"
            "<SortCriteria></SortCriteria></u:Browse></s:Body></s:Envelope>").encode()
    request = urllib.request.Request(control_url, body, {
        "Content-Type": "text/xml; charset=\"utf-8\"",
        "SOAPAction": "\"" + SERVICE + "#Browse\""})
    envelope = urllib.request.urlopen(request, timeout=120).read().decode()
    start = envelope.index("<Result>") + len("<Result>")
    end = envelope.index("</Result>")
    return (envelope[start:end].replace("&lt;", "<").replace("&gt;", ">")
            .replace("&quot;", "\"").replace("&amp;", "&"))


def problem(didl):
    """What is wrong with a listing, None when nothing is."""
    items = []
    parser = GUPnPAV.DIDLLiteParser()
    parser.connect("item-available", lambda _parser, item: items.append(item))
    try:
        parser.parse_didl(didl)
    except GLib.Error as error:
        return "the DIDL-Lite parser refused the answer: " + error.message
    if sorted(item.get_title() for item in items) != ["long", "short"]:
        return "unexpected items"
    for item in items:
        title = item.get_title()
        date = item.get_date() or ""
        if len(date) < 10 or date[4] != "-" or date[7] != "-":
            return f"{title}: date {date!r}"
        if not item.get_album_art():
            return f"{title}: no album art"
        video = thumbnail = None
        for resource in item.get_resources():
            info = resource.get_protocol_info()
            if info.get_mime_type() == "video/mp4":
                video = resource
            elif info.get_dlna_profile() == "JPEG_TN":
                thumbnail = resource
        if video is None or thumbnail is None:
            return f"{title}: video or thumbnail resource missing"
        if video.get_duration() <= 0:
            return f"{title}: no duration in the listing"
        if (video.get_width(), video.get_height()) != (320, 240):
            return f"{title}: resolution {video.get_width()}x{video.get_height()}"
        if video.get_protocol_info().get_dlna_conversion() != GUPnPAV.DLNAConversion.NONE:
            return f"{title}: a file sent as it is is announced as converted"
        print(f"ok {title}: {video.get_duration()} s, {date}")
    return None


def main():
    make_library()
    cli = os.path.join(os.environ["ZELTA_BUILD_DIR"], "src", "cli", "zelta-cli")
    server = subprocess.Popen([cli, "tv", "serve", "--name", "Peer TV"], stdout=subprocess.PIPE)
    try:
        server.stdout.readline()
        control_url = find_control_url()
        started = time.monotonic()
        listing = browse(control_url)
        wrong = problem(listing)
        # The first listing holds every probe's result, unless the machine
        # was so busy that the server's probe budget ran out first: then
        # what was missing comes with a later answer.
        if wrong and time.monotonic() - started >= PROBE_BUDGET_S - 0.5:
            print("the first answer took the whole probe budget:", wrong)
            deadline = time.monotonic() + 120
            while wrong and time.monotonic() < deadline:
                time.sleep(0.5)
                wrong = problem(browse(control_url))
        if wrong:
            fail(wrong)
    finally:
        server.terminate()
        server.wait(20)
    print("PASS")


main()
