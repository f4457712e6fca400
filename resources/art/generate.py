#!/usr/bin/env python3
"""Writes the SVG source of every picture of the program into resources/art/svg
and a manifest of what each renders to (resources/art/manifest.txt).

One visual language: flat shapes with soft rounded corners, 2-unit strokes,
the brand blue for actions, ink grey for neutral glyphs, white glyphs on the
selected (blue) sidebar rows. Colours come from src/gui/mainwindow/Palette.h."""
import math
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SVG_DIR = os.path.join(HERE, "svg")


def read_palette():
    text = open(os.path.join(ROOT, "src/gui/mainwindow/Palette.h")).read()
    colours = {}
    for name, value in re.findall(r"constexpr QRgb (\w+) = 0x([0-9a-fA-F]{8});", text):
        colours[name] = "#" + value[2:].lower()
    return colours


P = read_palette()
BLUE, BLUE_D, BLUE_L = P["Brand"], P["BrandDark"], P["BrandLight"]
INK, INK_L, PAPER, LINE = P["Ink"], P["InkLight"], P["Paper"], P["Line"]
ACCENT, DANGER = P["Accent"], P["Danger"]
GREY_T, GREY_B = P["ToolbarTop"], P["ToolbarBottom"]
WHITE = "#ffffff"
DISABLED = "#b4bcc4"
FONT = "font-family:'DejaVu Sans',sans-serif"

MANIFEST = []


def svg(w, h, body, defs=""):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}"><defs>{defs}</defs>{body}</svg>\n')


def vgrad(gid, top, bottom, top_opacity=1, bottom_opacity=1):
    return (f'<linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}" stop-opacity="{top_opacity}"/>'
            f'<stop offset="1" stop-color="{bottom}" stop-opacity="{bottom_opacity}"/></linearGradient>')


def emit(name, w, h, content, scale2=True):
    """`name` is the resource path under resources/ ("images/x.png")."""
    source = name.replace("/", "__").rsplit(".", 1)[0] + ".svg"
    with open(os.path.join(SVG_DIR, source), "w") as f:
        f.write(content)
    MANIFEST.append(f"svg/{source} {name} {w} {h} {'2x' if scale2 else '1x'}")


# ---- glyphs (drawn in a 20x20 box) -------------------------------------------

def glyph_corvana(c):
    return (f'<circle cx="10" cy="10" r="8" fill="none" stroke="{c}" stroke-width="2"/>'
            f'<path d="M8 6.2 L14 10 L8 13.8 Z" fill="{c}"/>')


def glyph_library(c):
    return (f'<rect x="2.5" y="4" width="4" height="13" rx="1" fill="none" stroke="{c}" stroke-width="1.6"/>'
            f'<rect x="8" y="2.5" width="4" height="14.5" rx="1" fill="none" stroke="{c}" stroke-width="1.6"/>'
            f'<path d="M13.2 5.2 l3.6 -1 l3 12.8 l-3.6 1 Z" fill="none" stroke="{c}" stroke-width="1.6" stroke-linejoin="round"/>'
            f'<path d="M2 17.8 H18" stroke="{c}" stroke-width="1.6" stroke-linecap="round"/>')


def glyph_player(c):
    return (f'<rect x="1.8" y="3.5" width="16.4" height="11" rx="2" fill="none" stroke="{c}" stroke-width="1.8"/>'
            f'<path d="M8.2 6.3 L12.8 9 L8.2 11.7 Z" fill="{c}"/>'
            f'<path d="M6 17.5 H14" stroke="{c}" stroke-width="1.8" stroke-linecap="round"/>')


def glyph_download(c):
    return (f'<path d="M10 2.5 V12" stroke="{c}" stroke-width="2" stroke-linecap="round"/>'
            f'<path d="M5.8 8.2 L10 12.4 L14.2 8.2" fill="none" stroke="{c}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>'
            f'<path d="M3 13 V16.5 H17 V13" fill="none" stroke="{c}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>')


def sidebar_icons():
    for name, glyph in (("corvana", glyph_corvana), ("library", glyph_library),
                        ("player", glyph_player), ("download", glyph_download)):
        emit(f"images/sidebar/{name}_icon_normal.png", 20, 20, svg(20, 20, glyph(INK)))
        emit(f"images/sidebar/{name}_icon_selected.png", 20, 20, svg(20, 20, glyph(WHITE)))


def triangles():
    emit("images/triangle_down.png", 9, 9, svg(9, 9, f'<path d="M1 2.5 H8 L4.5 7 Z" fill="{INK_L}"/>'))
    emit("images/triangle_left.png", 9, 9, svg(9, 9, f'<path d="M6.5 1 V8 L2 4.5 Z" fill="{INK_L}"/>'))


def logo():
    defs = vgrad("g", BLUE_L, BLUE)
    body = (f'<rect x="2" y="2" width="60" height="60" rx="14" fill="url(#g)"/>'
            f'<circle cx="32" cy="32" r="20" fill="none" stroke="{WHITE}" stroke-width="5"/>'
            f'<path d="M27 22 L43 32 L27 42 Z" fill="{WHITE}"/>')
    emit("images/corvana_logo.png", 64, 64, svg(64, 64, body, defs))


def progress_frames():
    # Twelve spokes; the bright one walks round, the ones behind it fade.
    for frame in range(1, 13):
        parts = []
        for spoke in range(12):
            age = (frame - 1 - spoke) % 12
            opacity = max(0.15, 1.0 - age * 0.085)
            angle = spoke * 30
            parts.append(f'<rect x="9" y="1.5" width="2" height="5" rx="1" fill="{BLUE}" '
                         f'fill-opacity="{opacity:.2f}" transform="rotate({angle} 10 10)"/>')
        emit(f"images/progress/progress{frame}.png", 20, 20, svg(20, 20, "".join(parts)))
        # The busy animation of the library's status strip (white on black).
        lparts = [p.replace(BLUE, WHITE) for p in parts]
        emit(f"art-frames/exportLoader{frame:02d}.png", 20, 20, svg(20, 20, "".join(lparts)), False)


def messages():
    # The card and its glyph; the title and the text are drawn over the lower
    # half at run time (InfoWidget), from translated strings.
    def card(picture, dark=False):
        w, h = 360, 200
        back = "" if dark else f'<rect x="1" y="1" width="{w-2}" height="{h-2}" rx="16" fill="{PAPER}" stroke="{LINE}" stroke-width="2"/>'
        return svg(w, h, back + picture)

    big = lambda glyph, colour, x=150, y=28, s=3: f'<g transform="translate({x} {y}) scale({s})">{glyph(colour)}</g>'
    emit("images/messages/downloadmanager_message.png", 360, 200, card(big(glyph_download, BLUE)))
    emit("images/messages/library_message.png", 360, 200, card(big(glyph_library, BLUE)))
    emit("images/messages/player_message.png", 360, 200, card(big(glyph_player, BLUE_L), dark=True))


def search_fields():
    body = (f'<rect x="0.75" y="0.75" width="198.5" height="28.5" rx="14.25" fill="{WHITE}" stroke="{LINE}" stroke-width="1.5"/>'
            f'<path d="M14 2.2 H186" stroke="#000" stroke-opacity="0.06" stroke-width="2"/>')
    emit("images/search_new/input_field.png", 200, 30, svg(200, 30, body))

    def button(top, bottom, shift):
        defs = vgrad("g", top, bottom)
        lens = (f'<circle cx="{25 + shift}" cy="{11 + shift}" r="5" fill="none" stroke="{WHITE}" stroke-width="2"/>'
                f'<path d="M{28.6 + shift} {14.6 + shift} L{32 + shift} {18 + shift}" stroke="{WHITE}" stroke-width="2.4" stroke-linecap="round"/>')
        return svg(54, 24, f'<rect x="0" y="0" width="54" height="24" rx="12" fill="url(#g)"/>' + lens, defs)

    emit("images/search_new/button_normal1.png", 54, 24, button(BLUE_L, BLUE, 0))
    emit("images/search_new/button_push1.png", 54, 24, button(BLUE, BLUE_D, 0.5))
    emit("images/library/clear_text.png", 16, 16, svg(16, 16,
         f'<circle cx="8" cy="8" r="7" fill="{INK_L}"/>'
         f'<path d="M5.2 5.2 L10.8 10.8 M10.8 5.2 L5.2 10.8" stroke="{WHITE}" stroke-width="1.8" stroke-linecap="round"/>'))




def small_icons():
    """16x16 action icons of the burner wizard."""
    s = lambda body: svg(16, 16, body)
    stroke = lambda d, c=INK, w=2: f'<path d="{d}" fill="none" stroke="{c}" stroke-width="{w}" stroke-linecap="round" stroke-linejoin="round"/>'
    emit("images/add.png", 16, 16, s(f'<circle cx="8" cy="8" r="7" fill="{BLUE}"/>' + stroke("M8 4.5 V11.5 M4.5 8 H11.5", WHITE)))
    emit("images/remove.png", 16, 16, s(f'<circle cx="8" cy="8" r="7" fill="{DANGER}"/>' + stroke("M4.5 8 H11.5", WHITE)))
    emit("images/up.png", 16, 16, s(stroke("M8 13.5 V3 M3.5 7.5 L8 3 L12.5 7.5", BLUE)))
    emit("images/down.png", 16, 16, s(stroke("M8 2.5 V13 M3.5 8.5 L8 13 L12.5 8.5", BLUE)))
    emit("images/back.png", 16, 16, s(stroke("M13 8 H3 M7.5 3.5 L3 8 L7.5 12.5", BLUE)))
    emit("images/next.png", 16, 16, s(stroke("M3 8 H13 M8.5 3.5 L13 8 L8.5 12.5", BLUE)))
    emit("images/cancel.png", 16, 16, s(stroke("M4 4 L12 12 M12 4 L4 12", DANGER, 2.2)))
    emit("images/help.png", 16, 16, s(f'<circle cx="8" cy="8" r="7" fill="{BLUE}"/>' +
         stroke("M5.9 6.2 A2.2 2.2 0 1 1 8.9 8.2 C8.2 8.5 8 9 8 9.8", WHITE, 1.7) +
         f'<circle cx="8" cy="12.2" r="1.1" fill="{WHITE}"/>'))



def library_page():
    # A pill with its glyph at the left; the button's word is drawn at run
    # time right of the glyph (PictureButton), and the plain middle stretches.
    def header_button(glyph):
        defs = vgrad("g", WHITE, "#e6e9ec")
        body = (f'<rect x="0.75" y="0.75" width="88.5" height="26.5" rx="13.25" fill="url(#g)" stroke="#a9b1b9" stroke-width="1.5"/>'
                f'<g transform="translate(10 5) scale(0.9)">{glyph(BLUE)}</g>')
        return svg(90, 28, body, defs)

    def disc(c):
        return (f'<circle cx="10" cy="10" r="8" fill="none" stroke="{c}" stroke-width="2"/>'
                f'<circle cx="10" cy="10" r="2.4" fill="{c}"/>')

    def folder(c):
        return f'<path d="M2 5 H8 L10 7 H18 V16 H2 Z" fill="none" stroke="{c}" stroke-width="1.8" stroke-linejoin="round"/>'

    emit("images/library/importBtn.png", 90, 28, header_button(folder))
    emit("images/library/burnBtn.png", 90, 28, header_button(disc))
    switch = (f'<rect x="1" y="1" width="99" height="33" rx="16.5" fill="url(#g)" stroke="{BLUE_D}" stroke-width="1.5"/>'
              f'<circle cx="83" cy="17.5" r="13" fill="{WHITE}" stroke="{BLUE_D}" stroke-width="1"/>')
    # The switch's word ("ON", "OFF") is drawn beside the knob at run time.
    emit("images/library/onBtn.png", 101, 35, svg(101, 35, switch, vgrad("g", BLUE_L, BLUE)))
    # The same switch, off: a quiet grey track, the knob on the left.
    switch_off = (f'<rect x="1" y="1" width="99" height="33" rx="16.5" fill="url(#g)" stroke="{INK_L}" stroke-width="1.5"/>'
                  f'<circle cx="18" cy="17.5" r="13" fill="{WHITE}" stroke="{INK_L}" stroke-width="1"/>')
    emit("images/library/offBtn.png", 101, 35, svg(101, 35, switch_off, vgrad("g", "#eef0f3", "#c9ced5")))
    # A quiet woven background: fine crossing threads on pale blue-grey.
    threads = []
    for i in range(0, 128, 4):
        threads.append(f'<path d="M{i} 0 V128" stroke="#ffffff" stroke-opacity="0.22" stroke-width="1"/>')
        threads.append(f'<path d="M0 {i + 2} H128" stroke="#8796a5" stroke-opacity="0.10" stroke-width="1"/>')
    emit("images/library/ios-linen.jpg", 128, 128, svg(128, 128, f'<rect width="128" height="128" fill="#dde3ea"/>' + "".join(threads)))
    emit("images/library/play_button_tr.png", 42, 42, svg(42, 42,
         f'<circle cx="21" cy="21" r="19" fill="#000000" fill-opacity="0.45" stroke="{WHITE}" stroke-width="2"/>'
         f'<path d="M17 13 L30 21 L17 29 Z" fill="{WHITE}"/>'))
    for state, colour in (("normal", INK_L), ("hover", DANGER)):
        emit(f"images/library/delete-bt-{state}.png", 20, 20, svg(20, 20,
             f'<circle cx="10" cy="10" r="8.5" fill="{WHITE}" stroke="{colour}" stroke-width="1.5"/>'
             f'<path d="M6.8 6.8 L13.2 13.2 M13.2 6.8 L6.8 13.2" stroke="{colour}" stroke-width="1.8" stroke-linecap="round"/>'))
    for state, colour in (("normal", INK_L), ("hover", BLUE)):
        emit(f"images/library/arrow-bt-{state}.png", 20, 20, svg(20, 20,
             f'<circle cx="10" cy="10" r="8.5" fill="{WHITE}" stroke="{colour}" stroke-width="1.5"/>'
             f'<path d="M6.5 8.5 L10 12 L13.5 8.5" fill="none" stroke="{colour}" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>'))
    emit("images/library/icon_up_sort_arrow_black.png", 9, 6, svg(9, 6, '<path d="M0.5 5.5 H8.5 L4.5 0.5 Z" fill="#000000"/>'))
    emit("images/library/icon_down_sort_arrow_black.png", 9, 6, svg(9, 6, '<path d="M0.5 0.5 H8.5 L4.5 5.5 Z" fill="#000000"/>'))


def burner_and_dialogs():
    defs = vgrad("g", WHITE, "#e3ecf5")
    banner = (f'<rect width="655" height="64" fill="url(#g)"/>'
              f'<path d="M0 63.5 H655" stroke="{LINE}" stroke-width="1"/>'
              f'<g transform="translate(20 12) scale(2)">'
              f'<circle cx="10" cy="10" r="9" fill="{BLUE}"/><circle cx="10" cy="10" r="3" fill="{WHITE}"/>'
              f'<path d="M10 1 A9 9 0 0 1 19 10" fill="none" stroke="{BLUE_L}" stroke-width="2"/></g>')
    # The wizard draws its name and its line of text right of the disc at run time.
    emit("images/discaveoBanner.png", 655, 64, svg(655, 64, banner, defs))
    emit("images/burn.png", 64, 64, svg(64, 64,
         f'<circle cx="32" cy="32" r="28" fill="{BLUE}"/><circle cx="32" cy="32" r="20" fill="{BLUE_L}"/>'
         f'<circle cx="32" cy="32" r="8" fill="{WHITE}"/><circle cx="32" cy="32" r="3" fill="{BLUE}"/>'
         f'<path d="M44 8 C52 16 50 22 46 26 C47 20 44 17 40 15 C42 20 39 24 36 24 C38 18 36 12 44 8 Z" fill="{ACCENT}"/>'))
    emit("images/alert.png", 48, 48, svg(48, 48,
         f'<path d="M24 4 L45 42 H3 Z" fill="{ACCENT}" stroke="#b8561a" stroke-width="1.5" stroke-linejoin="round"/>'
         f'<path d="M24 17 V30" stroke="{WHITE}" stroke-width="4.5" stroke-linecap="round"/>'
         f'<circle cx="24" cy="36.5" r="2.6" fill="{WHITE}"/>'))

    # Task icons of the burn page, 64 x 64 beside a 100 pixel row.
    # The DVD's second ring (its denser tracks) tells it from the CD; no lettering.
    def disc(fill, layers):
        sheen = vgrad("s", WHITE, WHITE, 0.55, 0)
        return svg(64, 64,
                   f'<circle cx="32" cy="32" r="29" fill="{fill}" stroke="{BLUE_D}" stroke-width="2"/>'
                   f'<path d="M32 5 A27 27 0 0 1 59 32 H45 A13 13 0 0 0 32 19 Z" fill="url(#s)"/>'
                   f'<path d="M10 44 A25 25 0 0 0 20 54" fill="none" stroke="{WHITE}" stroke-opacity="0.45" stroke-width="2" stroke-linecap="round"/>'
                   f'<circle cx="32" cy="32" r="10" fill="{PAPER}" stroke="{LINE}" stroke-width="1.5"/>'
                   f'<circle cx="32" cy="32" r="4" fill="none" stroke="{INK_L}" stroke-width="1.5"/>' +
                   "".join(f'<circle cx="32" cy="32" r="{r}" fill="none" stroke="{WHITE}" stroke-opacity="0.5" stroke-width="1.5"/>'
                           for r in (16, 22)[:layers]),
                   sheen)
    emit("new/new_images/dvd.png", 64, 64, disc(BLUE, 2))
    emit("new/new_images/cd.png", 64, 64, disc(BLUE_L, 1))
    # Conversion: a film frame turning into the disc's format.
    holes = "".join(f'<rect x="{x}" y="15" width="4" height="3" rx="0.8" fill="{PAPER}"/>'
                    f'<rect x="{x}" y="46" width="4" height="3" rx="0.8" fill="{PAPER}"/>'
                    for x in range(12, 52, 8))
    emit("new/new_images/refresh.png", 64, 64, svg(64, 64,
         f'<rect x="8" y="12" width="48" height="40" rx="5" fill="{INK}"/>{holes}'
         f'<rect x="13" y="21" width="38" height="22" rx="2" fill="{BLUE_L}"/>'
         f'<path d="M40.5 27.5 A9 9 0 1 0 41 35" fill="none" stroke="{WHITE}" stroke-width="3" stroke-linecap="round"/>'
         f'<path d="M42.5 22.5 V28.5 H36.5" fill="none" stroke="{WHITE}" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"/>'
         f'<circle cx="52" cy="52" r="10" fill="{ACCENT}" stroke="{WHITE}" stroke-width="2"/>'
         f'<path d="M48 52 H56 M53 48.5 L56.5 52 L53 55.5" fill="none" stroke="{WHITE}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>'))


def main():
    os.makedirs(SVG_DIR, exist_ok=True)
    for old in os.listdir(SVG_DIR):
        os.remove(os.path.join(SVG_DIR, old))
    logo()
    sidebar_icons()
    triangles()
    progress_frames()
    messages()
    search_fields()
    small_icons()
    library_page()
    burner_and_dialogs()
    with open(os.path.join(HERE, "manifest.txt"), "w") as f:
        f.write("# svg source, resource path, width, height, scales (written by generate.py)\n")
        f.write("\n".join(MANIFEST) + "\n")


if __name__ == "__main__":
    main()
