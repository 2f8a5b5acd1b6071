#!/usr/bin/env python3
"""The reference POP3 client of the mail benchmark: logs in, retrieves every message with
poplib and writes each to its own file in DIRECTORY, leaving the messages on the server.

usage: pop_fetch.py HOST PORT USER PASSWORD DIRECTORY
"""
import os
import poplib
import sys


def main():
    host, port, user, password, directory = sys.argv[1:6]
    os.makedirs(directory, exist_ok=True)
    server = poplib.POP3(host, int(port))
    server.user(user)
    server.pass_(password)
    count, _ = server.stat()
    for number in range(1, count + 1):
        _, lines, _ = server.retr(number)
        with open(os.path.join(directory, "%d.eml" % number), "wb") as message:
            for line in lines:
                # poplib leaves dot-stuffing in place: undo it as a mail client must.
                message.write((line[1:] if line.startswith(b"..") else line) + b"\n")
    server.quit()


if __name__ == "__main__":
    main()
