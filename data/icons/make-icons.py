#!/usr/bin/env python3
"""Writes the toolbar and application icons of Quillarium as small SVG files.

The icons are drawn here from plain shapes on a 16 x 16 grid; run this script after changing one.
"""
import os

INK = "#2b3a55"
PAPER = "#ffffff"
ACCENT = "#2f7fd0"
WARM = "#d2691e"
GREEN = "#3a9a48"
RED = "#c03030"
FIELDS = ["#9fd0ff", "#ffd79f", "#b8e6a8"]


def page(x=3, y=1, w=10, h=14, fold=3):
    return (f'<path d="M{x} {y}h{w - fold}l{fold} {fold}v{h - fold}h-{w}z" fill="{PAPER}" stroke="{INK}"/>'
            f'<path d="M{x + w - fold} {y}v{fold}h{fold}" fill="none" stroke="{INK}"/>')


def lines(x, y, widths, step=2, colour=INK):
    return "".join(f'<path d="M{x} {y + i * step}h{w}" stroke="{colour}"/>' for i, w in enumerate(widths))


def fields(y=5, h=6, edit=None):
    out = f'<rect x="1.5" y="{y - 0.5}" width="13" height="{h + 1}" fill="{PAPER}" stroke="{INK}"/>'
    for i, (x, w) in enumerate([(2, 4), (6, 3), (9, 5)]):
        out += f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{FIELDS[i]}"/>'
    return out


def pencil():
    return (f'<path d="M9.5 14.5l1-3 4-4 2 2-4 4z" fill="{WARM}" stroke="{INK}" stroke-width="0.8"/>')


ICONS = {
    "new": page() + lines(5, 7, [6, 6, 4]),
    "open": (f'<path d="M1.5 4.5h5l1 1.5h7v8h-13z" fill="#f3d27a" stroke="{INK}"/>'
             f'<path d="M1.5 14.5l2-6h12l-2 6z" fill="#f8e2a0" stroke="{INK}"/>'),
    "auto-reload-end": (f'<path d="M12.5 5.5a5 5 0 1 0 0.5 4" fill="none" stroke="{ACCENT}" stroke-width="1.6"/>'
                        f'<path d="M13.8 1.8v4.4h-4.4z" fill="{ACCENT}"/>'
                        f'<path d="M4 14.5h8" stroke="{INK}" stroke-width="1.6"/>'),
    "save": (f'<path d="M1.5 1.5h11l2 2v11h-13z" fill="{ACCENT}" stroke="{INK}"/>'
             f'<rect x="4" y="2" width="7" height="4" fill="{PAPER}"/>'
             f'<rect x="3.5" y="9.5" width="9" height="5" fill="{PAPER}" stroke="{INK}"/>'),
    "cut": (f'<circle cx="4.5" cy="12" r="2.2" fill="none" stroke="{INK}" stroke-width="1.3"/>'
            f'<circle cx="11.5" cy="12" r="2.2" fill="none" stroke="{INK}" stroke-width="1.3"/>'
            f'<path d="M6 10.5l6-9M10 10.5l-6-9" stroke="{INK}" stroke-width="1.3"/>'),
    "copy": page(1, 1, 9, 11, 2) + page(6, 4, 9, 11, 2),
    "paste": (f'<rect x="2.5" y="2.5" width="11" height="12.5" rx="1" fill="#c89b5f" stroke="{INK}"/>'
              f'<rect x="5.5" y="1" width="5" height="3" fill="{PAPER}" stroke="{INK}"/>'
              + page(6, 6, 8, 9, 2)),
    "undo": (f'<path d="M4 6.5h6a4 4 0 0 1 0 8h-4" fill="none" stroke="{ACCENT}" stroke-width="1.8"/>'
             f'<path d="M1 6.5l4-4v8z" fill="{ACCENT}"/>'),
    "print": (f'<rect x="4.5" y="1.5" width="7" height="5" fill="{PAPER}" stroke="{INK}"/>'
              f'<rect x="1.5" y="6.5" width="13" height="6" rx="1" fill="#8a96a8" stroke="{INK}"/>'
              f'<rect x="4.5" y="10.5" width="7" height="5" fill="{PAPER}" stroke="{INK}"/>'
              + lines(6, 12.5, [4, 4])),
    "select-charset": (f'<rect x="1.5" y="1.5" width="13" height="13" fill="{PAPER}" stroke="{INK}"/>'
                       f'<path d="M1.5 6h13M1.5 10.5h13M6 1.5v13M10.5 1.5v13" stroke="{INK}" stroke-width="0.7"/>'
                       f'<rect x="6.3" y="6.3" width="4" height="4" fill="{ACCENT}"/>'),
    "control-chars": (f'<path d="M9 14.5v-13h3M11.5 1.5v13" fill="none" stroke="{INK}" stroke-width="1.3"/>'
                      f'<path d="M9 1.5h-2.5a3 3 0 0 0 0 6h2.5z" fill="{INK}"/>'),
    "line-termination": (f'<path d="M13.5 2.5v6h-10" fill="none" stroke="{INK}" stroke-width="1.6"/>'
                         f'<path d="M1 8.5l4-3.5v7z" fill="{INK}"/>' + lines(2, 13.5, [12], colour=ACCENT)),
    "cross-wires": (f'<path d="M8 0.5v15M0.5 8h15" stroke="{RED}" stroke-width="1.2"/>'
                    f'<rect x="5.5" y="5.5" width="5" height="5" fill="none" stroke="{INK}"/>'),
    "binary-mode": (f'<rect x="1.5" y="3.5" width="5" height="9" rx="2.5" fill="none" stroke="{INK}" stroke-width="1.4"/>'
                    f'<path d="M10 5.5l2.5-2v9.5M10 13h5" fill="none" stroke="{INK}" stroke-width="1.4"/>'),
    "find": (f'<circle cx="6.5" cy="6.5" r="4.5" fill="#dbeeff" stroke="{INK}" stroke-width="1.4"/>'
             f'<path d="M10 10l5 5" stroke="{INK}" stroke-width="2.2"/>'),
    "auto-indent": (lines(1, 2.5, [13]) + lines(5, 6.5, [10, 10, 10], 3) +
                    f'<path d="M1 6l3 2.5-3 2.5z" fill="{ACCENT}"/>'),
    "word-wrap": (lines(1, 3.5, [14]) + lines(1, 12.5, [6]) +
                  f'<path d="M1 8h11a2.2 2.2 0 0 1 0 4.5h-4" fill="none" stroke="{ACCENT}" stroke-width="1.3"/>'
                  f'<path d="M6 12.5l3-2.5v5z" fill="{ACCENT}"/>'),
    "wrap-lines-at": (lines(1, 3.5, [10, 10, 7, 10, 5], 2.5) +
                      f'<path d="M12.5 0.5v15" stroke="{RED}" stroke-width="1.2" stroke-dasharray="2 1"/>'),
    "wrap-window-border": (f'<rect x="0.5" y="0.5" width="15" height="15" fill="{PAPER}" stroke="{INK}"/>'
                           f'<rect x="1" y="1" width="14" height="2.5" fill="{ACCENT}"/>' + lines(2.5, 6.5, [11, 11, 8, 11], 2.3)),
    "convert-crlf": (f'<path d="M2 5.5h10" stroke="{INK}" stroke-width="1.4"/><path d="M15 5.5l-4-3v6z" fill="{INK}"/>'
                     f'<path d="M4 11.5h10" stroke="{ACCENT}" stroke-width="1.4"/><path d="M1 11.5l4-3v6z" fill="{ACCENT}"/>'),
    "charset-convert": (f'<rect x="0.5" y="0.5" width="8" height="8" fill="{PAPER}" stroke="{INK}"/>'
                        f'<path d="M0.5 4.5h8M4.5 0.5v8" stroke="{INK}" stroke-width="0.7"/>'
                        f'<path d="M9 12.5h4" stroke="{GREEN}" stroke-width="1.6"/><path d="M15.5 12.5l-3.5-3v6z" fill="{GREEN}"/>'
                        f'<path d="M10.5 2.5a4 4 0 0 1 2 6" fill="none" stroke="{GREEN}" stroke-width="1.2"/>'),
    "structure-toggle": fields(3, 4) + fields(9, 4),
    "structure-modify": fields(2, 5) + pencil(),
    "add-field": fields(2, 5) + f'<path d="M12 9v7M8.5 12.5h7" stroke="{GREEN}" stroke-width="2"/>',
    "modify-field": (f'<rect x="1.5" y="2.5" width="13" height="6" fill="{PAPER}" stroke="{INK}"/>'
                     f'<rect x="5" y="3" width="5" height="5" fill="{FIELDS[1]}" stroke="{WARM}"/>' + pencil()),
    "delete-field": fields(2, 5) + f'<path d="M9 9.5l6 6M15 9.5l-6 6" stroke="{RED}" stroke-width="2"/>',
    "sum-field": (f'<path d="M12.5 2.5h-9l5 5.5-5 5.5h9" fill="none" stroke="{INK}" stroke-width="1.6"/>'),
    "max-field": (f'<rect x="1.5" y="9.5" width="3" height="5" fill="{FIELDS[0]}" stroke="{INK}"/>'
                  f'<rect x="6.5" y="5.5" width="3" height="9" fill="{FIELDS[1]}" stroke="{INK}"/>'
                  f'<rect x="11.5" y="1.5" width="3" height="13" fill="{RED}" stroke="{INK}"/>'),
}

APP = ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">'
       '<rect x="6" y="4" width="44" height="56" rx="3" fill="#ffffff" stroke="#2b3a55" stroke-width="3"/>'
       '<rect x="12" y="14" width="12" height="7" fill="#9fd0ff"/><rect x="24" y="14" width="8" height="7" fill="#ffd79f"/>'
       '<rect x="32" y="14" width="12" height="7" fill="#b8e6a8"/>'
       '<rect x="12" y="26" width="12" height="7" fill="#9fd0ff"/><rect x="24" y="26" width="8" height="7" fill="#ffd79f"/>'
       '<rect x="32" y="26" width="12" height="7" fill="#b8e6a8"/>'
       '<path d="M12 42h24M12 49h16" stroke="#2b3a55" stroke-width="3"/>'
       '<path d="M60 6c-12 4-22 16-26 30l-2 8 6-6c10-6 18-18 22-32z" fill="#d2691e" stroke="#2b3a55" stroke-width="2"/>'
       '<path d="M34 44l12-20" stroke="#2b3a55" stroke-width="1.5"/></svg>\n')


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for name, body in ICONS.items():
        with open(os.path.join(folder, name + ".svg"), "w") as out:
            out.write('<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">'
                      + body + "</svg>\n")
    with open(os.path.join(folder, "quillarium.svg"), "w") as out:
        out.write(APP)


if __name__ == "__main__":
    main()
