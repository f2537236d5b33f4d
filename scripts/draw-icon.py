#!/usr/bin/env python3
"""Writes packaging/twist-delay.svg, the application icon: the Twist control
as a square tile. The perspective grid sags into the glowing singularity the
control shows at a strongly negative Twist, the amber echo dots crowd toward
it and the star with its black core sits at the focus, in the editor's
palette (src/ui/Col.h). The curves follow the control's own geometry, so
they are computed here rather than drawn by hand; the build renders the PNG
sizes from the SVG.

Usage: scripts/draw-icon.py [output]   (default: packaging/twist-delay.svg)
"""

import math
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Palette (src/ui/Col.h).
TWIST_BG = "#0d100e"
TWIST_FIELD = "#39ff88"
TWIST_GLOW = "#78ffaa"
AMBER = "#ffd23d"

SIZE = 256.0  # the SVG's own grid
TILE = (12.0, 12.0, 232.0, 232.0)  # x, y, w, h: a margin as hicolor icons keep
CORNER = 40.0
TWIST = -0.8  # the control's e = g / 100: a deep singularity


def rgba(r, g, b):
    return "#%02x%02x%02x" % (round(r * 255), round(g * 255), round(b * 255))


def path_of(points):
    return "M" + " L".join("%.2f,%.2f" % p for p in points)


class Field:
    """The control's grid geometry for a tile of width w and height h."""

    def __init__(self, x, y, w, h, e):
        self.x0, self.y0, self.w, self.h, self.e = x, y, w, h, e
        self.neg = max(-e, 0.0)
        self.fx = x + w * 0.5
        self.fy = y + (0.40 + 0.32 * self.neg**0.7) * h
        self.sigma = (0.1 - 0.22 * e) * w

    def displace(self, px, py):
        f = math.exp(-((px - self.fx) ** 2 + (1.3 * (py - self.fy)) ** 2) / self.sigma**2)
        s = math.sqrt(self.neg)
        return (px + (self.fx - px) * f * s * 0.9, py + (self.fy - py) * f * s * 0.98)

    def row_heights(self, rows):
        top, span = self.y0 + 0.2 * self.h, 0.66 * self.h
        return [top + (i / (rows - 1)) ** 1.2 * span for i in range(rows)]

    def column_xs(self, columns, margin):
        return [self.x0 + margin + j / (columns - 1) * (self.w - 2 * margin) for j in range(columns)]

    def perspective(self, x, k):
        centre = self.x0 + self.w * 0.5
        return x + (x - centre) * (1 - k) * 0.06


def grid(field, rows=7, columns=11, margin=22.0, steps=40):
    heights = field.row_heights(rows)
    xs = field.column_xs(columns, margin)
    out = []
    for i, y in enumerate(heights):
        k = i / (rows - 1)
        points = []
        for n in range(steps + 1):
            x = xs[0] + n / steps * (xs[-1] - xs[0])
            points.append(field.displace(field.perspective(x, k), y))
        out.append(
            '<path d="%s" stroke="%s" stroke-opacity="%.2f" stroke-width="2.6" fill="none"/>'
            % (path_of(points), TWIST_FIELD, 0.16 + 0.58 * k)
        )
    for x in xs:
        points = []
        for n in range(steps + 1):
            t = n / steps
            k = t
            y = heights[0] + t**1.2 * (heights[-1] - heights[0])
            points.append(field.displace(field.perspective(x, k), y))
        out.append(
            '<path d="%s" stroke="%s" stroke-opacity="0.34" stroke-width="2.2" fill="none"/>'
            % (path_of(points), TWIST_FIELD)
        )
    return out


def dots(field, swallow, count=21):
    """The echo stream: evenly spaced dots crowding toward the focus and
    pulled down into it; those that reach the core are swallowed."""
    out = []
    left, right = field.x0 + 8.0, field.x0 + field.w - 8.0
    y_line = field.y0 + 0.40 * field.h
    for n in range(count):
        u = left + (n + 0.5) / count * (right - left)
        d = u - field.fx
        w = field.fx - left if d < 0 else right - field.fx
        b = min(abs(d) / w, 1.0)
        x = field.fx + math.copysign(b**1.6 * w, d)
        a = math.exp(-(((x - field.fx) / ((0.1 - 0.22 * field.e) * field.w)) ** 2))
        pull = math.exp(-(((x - field.fx) / (0.14 * field.w + 30.0)) ** 2))
        x2 = x + (field.fx - x) * pull * field.neg * 0.85
        y2 = y_line + a * (field.fy - y_line)
        y3 = y2 + (field.fy - y2) * pull * field.neg * 0.9
        if math.hypot(x2 - field.fx, y3 - field.fy) < swallow:
            continue
        # Dots past the focus dim, as they do in the control.
        alpha = 1.0 if x2 < field.fx else 0.55
        out.append(
            '<circle cx="%.2f" cy="%.2f" r="13" fill="%s" fill-opacity="%.2f"/>' % (x2, y3, AMBER, 0.35 * alpha)
        )
        out.append('<circle cx="%.2f" cy="%.2f" r="6.5" fill="%s" fill-opacity="%.2f"/>' % (x2, y3, AMBER, alpha))
    return out


def core_radius(field, radius):
    return (0.1 + 0.5 * (field.neg - 0.3) / 0.7) * radius


def singularity(field, radius):
    w = (field.neg - 0.3) / 0.7
    core = core_radius(field, radius)
    energy = 1.0
    return [
        '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#star)"/>' % (field.fx, field.fy, radius),
        '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#core)"/>' % (field.fx, field.fy, core),
        '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="none" stroke="%s" stroke-opacity="%.2f" stroke-width="3"/>'
        % (field.fx, field.fy, 1.12 * core, rgba(1, 0.941, 0.745), (0.3 + 0.4 * energy) * w),
    ], [
        '<radialGradient id="star">',
        '  <stop offset="0" stop-color="%s" stop-opacity="1"/>' % rgba(1, 0.965, 0.824),
        '  <stop offset="0.4" stop-color="%s" stop-opacity="%.2f"/>' % (rgba(1, 0.816, 0.251), 0.45 + 0.3 * energy),
        '  <stop offset="1" stop-color="%s" stop-opacity="0"/>' % rgba(1, 0.627, 0.157),
        "</radialGradient>",
        '<radialGradient id="core">',
        '  <stop offset="0" stop-color="%s" stop-opacity="0.98"/>' % rgba(2 / 255, 6 / 255, 4 / 255),
        '  <stop offset="0.72" stop-color="%s" stop-opacity="0.92"/>' % rgba(4 / 255, 10 / 255, 7 / 255),
        '  <stop offset="1" stop-color="%s" stop-opacity="0"/>' % rgba(1, 0.863, 0.471),
        "</radialGradient>",
    ]


def main():
    output = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "packaging/twist-delay.svg"
    x, y, w, h = TILE
    field = Field(x, y, w, h, TWIST)
    radius = (18 * field.neg + 8) * 2.2
    shapes, gradients = singularity(field, radius)
    glow_radius = 0.85 * h * 0.7
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        "<!-- Written by scripts/draw-icon.py; edit the script, not this file. -->",
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
        % (SIZE, SIZE, SIZE, SIZE),
        "<title>Twist Delay</title>",
        "<defs>",
        '<clipPath id="tile"><rect x="%g" y="%g" width="%g" height="%g" rx="%g"/></clipPath>' % (x, y, w, h, CORNER),
        '<radialGradient id="glow" gradientUnits="userSpaceOnUse" cx="%.2f" cy="%.2f" r="%.2f">'
        % (field.fx, field.fy, glow_radius),
        '  <stop offset="0" stop-color="%s" stop-opacity="%.2f"/>' % (TWIST_GLOW, min(0.1 + 0.4 * field.neg, 1.0)),
        '  <stop offset="1" stop-color="%s" stop-opacity="0"/>' % TWIST_GLOW,
        "</radialGradient>",
        *gradients,
        "</defs>",
        '<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>' % (x, y, w, h, CORNER, TWIST_BG),
        '<g clip-path="url(#tile)">',
        '<rect x="%g" y="%g" width="%g" height="%g" fill="url(#glow)"/>' % (x, y, w, h),
        *grid(field),
        *dots(field, swallow=1.15 * core_radius(field, radius)),
        *shapes,
        "</g>",
        '<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="none" stroke="%s" stroke-width="4"/>'
        % (x + 2, y + 2, w - 4, h - 4, CORNER - 2, TWIST_GLOW),
        "</svg>",
    ]
    output.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
