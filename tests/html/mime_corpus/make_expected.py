#!/usr/bin/env python3
"""Writes NAME.expected for every NAME.eml here: the message as Python's email package decodes it
(Subject, From, To and Date with their encoded words decoded, as they stand otherwise; the text of the body part a reader shows, plain text
preferred; every attachment's name, type and decoded size). mime_corpus_test.cpp compares the
program's reading of each message with these files. Run it again after adding a message."""

import email
import glob
import os
from email import policy
from email.header import decode_header, make_header


def text_of(content):
    content = content.replace("\r\n", "\n")
    return "\n".join(line.rstrip() for line in content.split("\n")).rstrip("\n")


def summary(path):
    with open(path, "rb") as f:
        data = f.read()
    message = email.message_from_bytes(data, policy=policy.default)
    raw = email.message_from_bytes(data, policy=policy.compat32)
    lines = []
    for name in ("Subject", "From", "To", "Date"):
        lines.append(f"{name}: {make_header(decode_header(raw.get(name, '')))}")
    body = message.get_body(preferencelist=("plain", "html"))
    lines.append("Text:")
    lines.append(text_of(body.get_content()) if body is not None else "")
    for part in message.iter_attachments():
        data = part.get_payload(decode=True) or b""
        lines.append(f"Attachment: {part.get_filename() or ''}|{part.get_content_type()}|{len(data)}")
    return "\n".join(lines) + "\n"


here = os.path.dirname(os.path.abspath(__file__))
for path in sorted(glob.glob(os.path.join(here, "*.eml"))):
    with open(path[: -len(".eml")] + ".expected", "w", encoding="utf-8", newline="\n") as f:
        f.write(summary(path))
