#!/usr/bin/env python3
"""Writes a deterministic HTML page of about SIZE bytes (default 5 MB) to FILE.

The page mixes what long real pages are made of: headings, paragraphs with inline styles,
entities and links, nested lists and a few PRE blocks. The same arguments always give the
same bytes (a fixed linear congruential generator, not the random module), so runs on
different machines compare like with like.

With --utf8 about one word in eight of the running text is Greek, Cyrillic, Japanese or a symbol
(UTF-8, so about 10% of the text's characters are not ASCII); the page is otherwise built alike,
so the two pages compare the cost of decoding and measuring multi-byte text.

usage: make_page.py [--utf8] FILE [SIZE]
"""
import sys

WORDS = (
    "the of and to in is was for on that with as by at from this are be which or an it not "
    "have but were had their one all there can more been has when who will no would other "
    "network server address message reader archive gopher directory mailbox folder window "
    "document paragraph heading section article protocol request response connection"
).split()
FOREIGN_WORDS = (
    "κόσμε αρχείο διεύθυνση μήνυμα сервер адрес сообщение каталог папка окно "
    "文書 段落 見出し 接続 要求 応答 «ответ» €100 −5° ‘ещё’ naïve café"
).split()
ENTITIES = ("&amp;", "&lt;", "&gt;", "&quot;", "&eacute;", "&copy;", "&nbsp;", "&#233;", "&#x2014;")


class Lcg:
    def __init__(self, seed):
        self.state = seed

    def next(self, bound):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % (1 << 64)
        return (self.state >> 33) % bound


FOREIGN = None  # the generator that picks foreign words, with --utf8


def word(rng):
    if FOREIGN is not None and FOREIGN.next(8) == 0:
        return FOREIGN_WORDS[FOREIGN.next(len(FOREIGN_WORDS))]
    return WORDS[rng.next(len(WORDS))]


def sentence(rng, out):
    words = []
    for _ in range(6 + rng.next(14)):
        roll = rng.next(20)
        if roll == 0:
            words.append(ENTITIES[rng.next(len(ENTITIES))])
        elif roll == 1:
            words.append('<a href="page%d.html#s%d">%s</a>' % (rng.next(400), rng.next(50),
                                                             word(rng)))
        elif roll == 2:
            tag = ("b", "i", "em", "code")[rng.next(4)]
            words.append("<%s>%s</%s>" % (tag, word(rng), tag))
        else:
            words.append(word(rng))
    out.append(" ".join(words) + ".\n")


def paragraph(rng, out):
    out.append("<p>")
    for _ in range(2 + rng.next(5)):
        sentence(rng, out)
    out.append("</p>\n")


def nested_list(rng, out, depth):
    tag = "ul" if rng.next(2) else "ol"
    out.append("<%s>\n" % tag)
    for _ in range(2 + rng.next(4)):
        out.append("<li>")
        sentence(rng, out)
        if depth < 3 and rng.next(3) == 0:
            nested_list(rng, out, depth + 1)
        out.append("</li>\n")
    out.append("</%s>\n" % tag)


def main():
    global FOREIGN
    args = sys.argv[1:]
    if args[:1] == ["--utf8"]:
        FOREIGN = Lcg(7)
        args = args[1:]
    if len(args) not in (1, 2):
        sys.exit(__doc__.strip().splitlines()[-1])
    size = int(args[1]) if len(args) == 2 else 5 << 20
    rng = Lcg(20261207)
    charset = '<meta charset="utf-8">' if FOREIGN is not None else ""
    out = ["<!DOCTYPE html>\n<html><head>%s<title>Generated page</title></head><body>\n" % charset]
    length = len(out[0].encode("utf-8"))
    section = 0
    while length < size:
        part = ["<h2 id=\"s%d\">Section %d</h2>\n" % (section, section)]
        for _ in range(3 + rng.next(4)):
            paragraph(rng, part)
        nested_list(rng, part, 0)
        if section % 10 == 0:
            part.append("<pre>\ncolumn  one\tcolumn two\n  indented &lt;text&gt;\n</pre>\n")
        text = "".join(part)
        out.append(text)
        length += len(text.encode("utf-8"))
        section += 1
    out.append("</body></html>\n")
    with open(args[0], "w", encoding="utf-8" if FOREIGN is not None else "ascii") as page:
        page.write("".join(out))


if __name__ == "__main__":
    main()
