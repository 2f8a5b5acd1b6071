#!/usr/bin/env python3
"""Writes a page of text with COUNT small GIFs among its paragraphs (DIR/images.html, the GIFs
DIR/imgNNN.gif, each of its own colours so none is shared) and the same page without them
(DIR/text.html), for the comparison of their load times.

usage: make_image_page.py DIR [COUNT]
"""
import os
import sys

from make_images import palette, write_gif

SIDE = 16


def main():
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    colours = palette()
    for n in range(count):
        rows = [bytes((x * y + n) % 216 for x in range(SIDE)) for y in range(SIDE)]
        write_gif(os.path.join(out, "img%03d.gif" % n), SIDE, SIDE, colours, rows)
    for name, with_images in (("images.html", True), ("text.html", False)):
        with open(os.path.join(out, name), "w") as page:
            page.write("<html><title>Small images</title><body>\n")
            for n in range(count):
                image = '<img src="img%03d.gif" width=16 height=16 alt="%d">' % (n, n)
                page.write("<p>%sParagraph %d of a page with many small pictures.\n"
                           % (image if with_images else "", n))
            page.write("</body></html>\n")


if __name__ == "__main__":
    main()
