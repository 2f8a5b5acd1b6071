#!/usr/bin/env python3
"""Writes a deterministic table-heavy HTML page to FILE: one bordered table of ROWS rows
(default 5000) of six cells each, holding words, links and numbers, with a header row, a few
cells that span, and a small table nested in every hundredth row. About 2 MB with the default.
The same arguments always give the same bytes.

usage: make_table_page.py FILE [ROWS]
"""
import sys

WORDS = (
    "the of and to in is was for on that with as by at from network server address message "
    "reader archive gopher directory mailbox folder window document paragraph heading section "
    "article protocol request response connection"
).split()


class Lcg:
    def __init__(self, seed):
        self.state = seed

    def next(self, bound):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % (1 << 64)
        return (self.state >> 33) % bound


def words(rng, count):
    return " ".join(WORDS[rng.next(len(WORDS))] for _ in range(count))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    rng = Lcg(17)
    out = ["<html><head><title>Table page</title></head><body>\n<h1>Inventory</h1>\n",
           "<table border=1 cellpadding=2 width=100%>\n<caption>Items by section</caption>\n",
           "<tr><th>No.</th><th>Name</th><th>Section</th><th>Description</th>"
           "<th>Count</th><th>Price</th></tr>\n"]
    for row in range(rows):
        cells = [
            "<td align=right>%d</td>" % (row + 1),
            "<td><a href=\"item%d.html\">%s</a></td>" % (row, words(rng, 2)),
            "<td>%s</td>" % words(rng, 1),
            "<td>%s</td>" % words(rng, 24 + rng.next(24)),
            "<td align=right>%d</td>" % rng.next(100000),
            "<td align=right>%d.%02d</td>" % (rng.next(1000), rng.next(100)),
        ]
        if row % 100 == 50:
            cells[3] = ("<td><table border><tr><td>%s</td><td>%d</td></tr></table></td>"
                        % (words(rng, 3), rng.next(1000)))
        if row % 250 == 125:
            cells[2:4] = ["<td colspan=2>%s</td>" % words(rng, 8)]
        out.append("<tr>" + "".join(cells) + "</tr>\n")
    out.append("</table>\n<p>End of the inventory.</p>\n</body></html>\n")
    with open(sys.argv[1], "w") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main()
