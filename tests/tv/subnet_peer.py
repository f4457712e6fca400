#!/usr/bin/python3
# A client on another network than the server's: inside the test's network
# namespace a second one is made, joined to it by a veth pair (server side
# 127.0.1.1/32, client side 127.0.2.1/32, a route each way). From the far
# side an M-SEARCH must be answered with the near address, and the device
# description, the DIDL-Lite and every address in them must name it too;
# GUPnP's control point then finds and browses the server from there.
import os
import re
import socket
import subprocess
import sys
import time
import urllib.request

SERVER = "127.0.1.1"
CLIENT = "127.0.2.1"
SERVICE = "urn:schemas-upnp-org:service:ContentDirectory:1"


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def sh(command):
    subprocess.run(["sh", "-ec", command], check=True)


def write_sysctl(names, value):
    for name in names:
        with open("/proc/sys/net/ipv4/conf/%s/%s" % name, "w") as file:
            file.write(value)


def open_link(far_pid):
    # Without the whole 127.0.0.0/8 on loopback here, the far address is
    # reached over the link instead of locally.
    sh("ip addr del 127.0.0.1/8 dev lo; ip addr add 127.0.0.1/32 dev lo")
    sh(f"ip link add zva type veth peer name zvb netns {far_pid}")
    sh(f"ip addr add {SERVER}/32 dev zva; ip link set zva up; "
       f"ip route add {CLIENT}/32 dev zva src {SERVER}")
    for iface in ("all", "default", "zva", "lo"):
        write_sysctl([(iface, "route_localnet")], "1")
        write_sysctl([(iface, "rp_filter")], "0")


def far_side_setup():
    sh("ip link set lo up; ip addr del 127.0.0.1/8 dev lo; ip addr add 127.0.0.1/32 dev lo")
    sh(f"ip addr add {CLIENT}/32 dev zvb; ip link set zvb up; "
       f"ip route add {SERVER}/32 dev zvb src {CLIENT}; ip route add 239.0.0.0/8 dev zvb")
    for iface in ("all", "default", "zvb", "lo"):
        write_sysctl([(iface, "route_localnet")], "1")
        write_sysctl([(iface, "rp_filter")], "0")


def search():
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM, socket.IPPROTO_UDP)
    sock.bind((CLIENT, 0))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(CLIENT))
    sock.settimeout(5)
    request = ("M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nMAN: \"ssdp:discover\"\r\n"
               "MX: 1\r\nST: upnp:rootdevice\r\n\r\n").encode()
    for _ in range(20):
        sock.sendto(request, ("239.255.255.250", 1900))
        try:
            answer = sock.recv(4096).decode()
        except socket.timeout:
            continue
        match = re.search(r"(?im)^location:\s*(\S+)", answer)
        if match:
            return match.group(1)
    fail("no answer to the M-SEARCH from the far side")


def browse(control_url, filter_text="*"):
    body = ("<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">"
            "<s:Body><u:Browse xmlns:u=\"" + SERVICE + "\"><ObjectID>0</ObjectID>"
            "<BrowseFlag>BrowseDirectChildren</BrowseFlag><Filter>" + filter_text + "</Filter>"
            "<StartingIndex>0</StartingIndex><RequestedCount>0</RequestedCount>"
            "<SortCriteria></SortCriteria></u:Browse></s:Body></s:Envelope>").encode()
    request = urllib.request.Request(control_url, body, {
        "Content-Type": "text/xml; charset=\"utf-8\"",
        "SOAPAction": "\"" + SERVICE + "#Browse\""})
    return urllib.request.urlopen(request, timeout=120).read().decode()


def far_side_client():
    far_side_setup()
    location = search()
    if not location.startswith(f"http://{SERVER}:"):
        fail("the search was answered with " + location)
    print("ok search answered with", location)
    description = urllib.request.urlopen(location, timeout=30).read().decode()
    if "127.0.0.1" in description:
        fail("the description names 127.0.0.1")
    base = location[:location.index("/", len("http://"))]
    control = re.search(r"<serviceType>" + re.escape(SERVICE) +
                        r"</serviceType>.*?<controlURL>([^<]+)</controlURL>", description, re.S)
    if not control:
        fail("no content directory in the description")
    envelope = browse(base + control.group(1))
    urls = re.findall(r"http://[0-9.]+:\d+", envelope)
    if not urls or any(not url.startswith(f"http://{SERVER}:") for url in urls):
        fail("addresses in the DIDL-Lite: " + ", ".join(sorted(set(urls))))
    print("ok", len(urls), "addresses in the DIDL-Lite, all", SERVER)
    check_filter(base + control.group(1), envelope)
    gupnp_browse()


def didl_of(envelope):
    import xml.etree.ElementTree as ElementTree
    result = ElementTree.fromstring(envelope).find(".//Result").text
    return result, ElementTree.fromstring(result)  # strict: raises on any fault


def check_filter(control_url, whole_envelope):
    whole, _ = didl_of(whole_envelope)
    narrow, root = didl_of(browse(control_url, "dc:title,res"))
    if len(narrow) >= len(whole):
        fail(f"a narrow filter is not smaller ({len(narrow)} against {len(whole)} bytes)")
    ns = {"d": "urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/",
          "dc": "http://purl.org/dc/elements/1.1/",
          "upnp": "urn:schemas-upnp-org:metadata-1-0/upnp/"}
    items = root.findall("d:item", ns)
    if not items:
        fail("no item under a narrow filter")
    for item in items:
        for required in ("dc:title", "upnp:class", "d:res"):
            if item.find(required, ns) is None:
                fail("a narrow filter dropped " + required)
        for optional in ("dc:date", "upnp:albumArtURI"):
            if item.find(optional, ns) is not None:
                fail("a narrow filter kept " + optional)
        for res in item.findall("d:res", ns):
            if "protocolInfo" not in res.attrib or "size" in res.attrib:
                fail("res attributes under a narrow filter: %s" % res.attrib)
    print(f"ok a narrow filter gives {len(narrow)} bytes against {len(whole)}")


def gupnp_browse():
    try:
        import gi
        gi.require_version("GUPnP", "1.6")
        from gi.repository import GLib, GUPnP
    except (ImportError, ValueError) as error:
        fail("GUPnP is not installed: %s" % error)
    context = GUPnP.Context.new("zvb", 0)
    point = GUPnP.ControlPoint.new(context, SERVICE)
    found = []
    loop = GLib.MainLoop()

    def available(_point, proxy):
        found.append(proxy)
        loop.quit()

    point.connect("service-proxy-available", available)
    point.set_active(True)
    GLib.timeout_add_seconds(30, loop.quit)
    loop.run()
    if not found:
        fail("GUPnP's control point found no content directory from the far side")
    control = found[0].get_control_url()
    if not control.startswith(f"http://{SERVER}:"):
        fail("GUPnP was given " + control)
    envelope = browse(control)
    if "<NumberReturned>1</NumberReturned>" not in envelope:
        fail("GUPnP's browse: " + envelope[:300])
    print("ok GUPnP browsed", control)


def make_library():
    library = os.path.join(os.environ["HOME"], "My Library")
    os.makedirs(library, exist_ok=True)
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "testsrc=size=160x120:rate=10:duration=2", "-pix_fmt", "yuv420p",
                    os.path.join(library, "Far.mp4")], check=True)
    with open(os.path.join(library, "Far.en.srt"), "w") as file:
        file.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "far":
        far_side_client()
        return
    make_library()
    far = subprocess.Popen(["unshare", "-n", "sleep", "600"])
    server = None
    try:
        time.sleep(0.5)  # the far namespace exists once unshare has run
        for _ in range(100):
            if os.readlink(f"/proc/{far.pid}/ns/net") != os.readlink("/proc/self/ns/net"):
                break
            time.sleep(0.1)
        open_link(far.pid)
        cli = os.path.join(os.environ["ZELTA_BUILD_DIR"], "src", "cli", "zelta-cli")
        server = subprocess.Popen([cli, "tv", "serve", "--name", "Far TV"], stdout=subprocess.PIPE)
        server.stdout.readline()
        result = subprocess.run(["nsenter", "-t", str(far.pid), "-n", sys.executable,
                                 os.path.abspath(__file__), "far"])
        if result.returncode != 0:
            sys.exit(1)
    finally:
        if server:
            server.terminate()
            server.wait(20)
        far.kill()
        far.wait()
    print("PASS")


main()
