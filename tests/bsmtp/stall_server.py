#!/usr/bin/python3
"""A plain SMTP server on 127.0.0.1 that misbehaves at one point of the dialogue.

Prints "PORT <n>" once it listens, serves one client at a time until killed, and appends
every received byte to SPOOL/wire.log. Modes:

  quit    answers the end of the data with 250 and then never answers QUIT
  data    answers DATA with "354 go" and then stops reading: the client's upload stalls
"""

import argparse
import os
import socket
import sys
import time


def serve(conn, args):
    log = open(os.path.join(args.spool, "wire.log"), "ab")

    def reply(text):
        conn.sendall(text.encode() + b"\r\n")

    reply("220 stall.test ESMTP")
    buffer = b""
    in_data = False
    while True:
        chunk = conn.recv(65536)
        if not chunk:
            return
        log.write(chunk)
        log.flush()
        buffer += chunk
        while True:
            if in_data:
                end = buffer.find(b"\r\n.\r\n")
                if end < 0:
                    buffer = buffer[-4:]
                    break
                buffer = buffer[end + 5:]
                in_data = False
                with open(os.path.join(args.spool, "delivered"), "ab") as f:
                    f.write(b"1")
                reply("250 2.0.0 queued")
                continue
            line_end = buffer.find(b"\r\n")
            if line_end < 0:
                break
            line = buffer[:line_end].decode("latin-1")
            buffer = buffer[line_end + 2:]
            verb = line.split(" ", 1)[0].upper()
            if verb == "EHLO":
                conn.sendall(b"250-stall.test\r\n250 8BITMIME\r\n")
            elif verb in ("MAIL", "RCPT", "RSET", "NOOP"):
                reply("250 OK")
            elif verb == "DATA":
                reply("354 go")
                if args.mode == "data":
                    time.sleep(3600)
                in_data = True
            elif verb == "QUIT":
                if args.mode == "quit":
                    time.sleep(3600)
                reply("221 bye")
                return
            else:
                reply("502 not here")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--spool", required=True)
    p.add_argument("--mode", choices=("quit", "data"), required=True)
    args = p.parse_args()
    listener = socket.socket()
    # A small receive window, so that a stalled reader stops the sender soon.
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    while True:
        conn, _ = listener.accept()
        try:
            serve(conn, args)
        except OSError:
            pass
        finally:
            conn.close()


if __name__ == "__main__":
    sys.exit(main())
