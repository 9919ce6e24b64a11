#!/usr/bin/python3
"""Reads one received message with Python's email parser and prints what it holds as JSON.

Texts are given back in code page 932 (hex), whatever charset they travelled in, so that a
test can compare them byte for byte with what it sent.
"""

import email
import email.header
import email.policy
import email.utils
import json
import sys

# Where JIS X 0208 and code page 932 name the same character differently.
JIS_TO_CP932 = str.maketrans({
    "\u301c": "\uff5e",  # WAVE DASH
    "\u2016": "\u2225",  # DOUBLE VERTICAL LINE
    "\u2212": "\uff0d",  # MINUS SIGN
    "\u00a2": "\uffe0",  # CENT SIGN
    "\u00a3": "\uffe1",  # POUND SIGN
    "\u00ac": "\uffe2",  # NOT SIGN
    "\u2014": "\u2015",  # EM DASH
})


def to_cp932(raw, charset):
    charset = (charset or "us-ascii").lower()
    if charset == "iso-2022-jp":
        text = raw.decode("iso2022_jp").translate(JIS_TO_CP932)
        return text.encode("cp932")
    if charset in ("shift_jis", "us-ascii"):
        raw.decode("cp932")  # must be valid code page 932
        return raw
    if charset == "utf-8":
        raw.decode("utf-8")  # kept as it is: emoji have no code page 932 form
        return raw
    raise ValueError("unexpected charset " + charset)


def decode_words(value):
    out = b""
    charsets = []
    for raw, charset in email.header.decode_header(value):
        if isinstance(raw, str):
            raw = raw.encode("ascii")
        out += to_cp932(raw, charset)
        charsets.append(charset)
    return out, charsets


def compat_addresses(msg, name):
    return [[decode_words(display)[0].hex(), addr]
            for display, addr in email.utils.getaddresses(msg.get_all(name, []))]


def describe_part(part):
    info = {
        "content_type": part.get_content_type(),
        "charset": part.get_param("charset"),
        "transfer_encoding": part.get("Content-Transfer-Encoding"),
        "payload_hex": (part.get_payload(decode=True) or b"").hex(),
    }
    if part.get_content_maintype() == "text":
        info["text_hex"] = to_cp932(part.get_payload(decode=True) or b"",
                                    info["charset"]).hex()
    name = part.get_param("name")
    if isinstance(name, tuple):  # RFC 2231, as mails to PCs carry it
        info["name_hex"] = name[2].encode("latin-1").hex()
    elif name is not None:
        info["name_hex"] = decode_words(name)[0].hex()
    filename = part.get_param("filename", header="content-disposition")
    if isinstance(filename, tuple):
        charset, _, value = filename
        info["filename_charset"] = charset
        info["filename_hex"] = value.encode("latin-1").hex()
    info["disposition"] = part.get_content_disposition()
    return info


def modern_view(raw):
    """What Python's current parser (policy.default) shows: it decodes header fields and
    each RFC 2231 section on its own, as many mail programs do."""
    msg = email.message_from_bytes(raw, policy=email.policy.default)

    def addresses(name):
        header = msg.get(name)
        if header is None:
            return None
        return [{"display_name": a.display_name, "addr_spec": a.addr_spec}
                for a in header.addresses]

    return {
        "subject": str(msg.get("Subject", "")),
        "to": addresses("To"),
        "from": addresses("From"),
        "filenames": [p.get_filename() for p in msg.walk() if not p.is_multipart()],
        # "Header: defect" for each header field, so that a test can tell the RFC 2047 words
        # kept in name="..." for older readers (a known defect) from real faults.
        "defects": [type(d).__name__ for p in msg.walk() for d in p.defects]
                   + ["%s: %s" % (n, d) for p in msg.walk() for n, v in p.items()
                      for d in v.defects],
    }


def main():
    with open(sys.argv[1], "rb") as f:
        raw = f.read()
    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    subject_raw = msg.get("Subject", "")
    subject, subject_charsets = decode_words(subject_raw)
    result = {
        "defects": [type(d).__name__ for d in msg.defects],
        "headers": {k: v for k, v in msg.items()},
        "subject_raw": subject_raw,
        "subject_hex": subject.hex(),
        "subject_charsets": subject_charsets,
        "content_type": msg.get_content_type(),
        "parts": [describe_part(p) for p in msg.walk() if not p.is_multipart()],
        "lines_max": max((len(l) for l in raw.split(b"\r\n")), default=0),
        "bare_lf": raw.replace(b"\r\n", b"").count(b"\n"),
        "bare_cr": raw.replace(b"\r\n", b"").count(b"\r"),
        "raw_hex": raw.hex() if len(raw) < 65536 else None,
        "modern": modern_view(raw),
        # compat32's reading: getaddresses, then the display names' encoded words.
        "to_compat": compat_addresses(msg, "To"),
        "from_compat": compat_addresses(msg, "From"),
    }
    for part in msg.walk():
        result["defects"] += [type(d).__name__ for d in part.defects]
    json.dump(result, sys.stdout)


if __name__ == "__main__":
    main()
