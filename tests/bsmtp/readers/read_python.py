#!/usr/bin/python3
"""Reads mails with Python's email package, as a mail program built on it would.

    read_python.py default|compat32 FILE...

Prints one JSON line per file: the subject, the text of the text part and the attachment's
file name as the parser gives them, and the defects it found. Shift_JIS is read as handsets
read it, with the carriers' pictographs in the user-defined area: code page 932.
"""

import email
import email.header
import email.policy
import encodings.aliases
import json
import sys

encodings.aliases.aliases["shift_jis"] = "cp932"


def text_part(msg):
    for part in msg.walk():
        if part.get_content_maintype() == "text":
            return part
    return None


def file_name(msg):
    for part in msg.walk():
        if part.get_content_disposition() == "attachment":
            return part.get_filename()
    return None


def read_default(raw):
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    text = text_part(msg)
    defects = [type(d).__name__ for p in msg.walk() for d in p.defects]
    defects += ["%s: %s" % (n, type(d).__name__) for p in msg.walk() for n, v in p.items()
                for d in v.defects]
    return {"subject": str(msg.get("Subject", "")),
            "body": text.get_content() if text is not None else None,
            "filename": file_name(msg), "defects": defects}


def read_compat32(raw):
    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    subject = "".join(b.decode(c or "ascii") if isinstance(b, bytes) else b
                      for b, c in email.header.decode_header(msg.get("Subject", "")))
    text = text_part(msg)
    body = None
    if text is not None:
        body = text.get_payload(decode=True).decode(text.get_content_charset() or "ascii")
    name = file_name(msg)
    if name is not None and "=?" in name:
        name = "".join(b.decode(c or "ascii") if isinstance(b, bytes) else b
                       for b, c in email.header.decode_header(name))
    defects = [type(d).__name__ for p in msg.walk() for d in p.defects]
    return {"subject": subject, "body": body, "filename": name, "defects": defects}


def main():
    read = read_default if sys.argv[1] == "default" else read_compat32
    for path in sys.argv[2:]:
        with open(path, "rb") as f:
            raw = f.read()
        try:
            result = read(raw)
        except Exception as e:  # a reader that fails is a result too
            result = {"error": "%s: %s" % (type(e).__name__, e)}
        result["file"] = path
        print(json.dumps(result))


if __name__ == "__main__":
    main()
