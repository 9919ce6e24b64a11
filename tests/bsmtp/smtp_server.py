#!/usr/bin/python3
"""SMTP server on 127.0.0.1 for the library's tests, built on aiosmtpd.

Prints "PORT <n>" once it listens on a free port, then serves until killed. Each accepted
message goes to SPOOL/<n>.eml (the bytes after dot-unstuffing) with SPOOL/<n>.json (the
envelope); everything clients send, after TLS is taken off, is appended to SPOOL/wire.log.

Like strict servers (Postfix's reject_non_fqdn_helo_hostname), it refuses a greeting whose
name is neither a domain name with a dot nor an address literal.
"""

import argparse
import asyncio
import json
import ipaddress
import os
import re
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult


class Handler:
    def __init__(self, args):
        self.args = args
        self.count = 0

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if self.args.reject_sender and address.startswith(self.args.reject_sender):
            return "553 5.1.8 <%s>: Sender address rejected: Domain not found" % address
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.args.delayed_reject:
            # Postfix's smtpd_delay_reject: a refused sender or greeting shows at RCPT TO.
            return self.args.delayed_reject.replace("NAME", session.host_name or "")
        if self.args.reject_rcpt and address.startswith(self.args.reject_rcpt):
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        if self.args.defer_rcpt and address.startswith(self.args.defer_rcpt):
            return "450 4.2.0 <%s>: Mailbox busy" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.args.stall_data:
            await asyncio.sleep(3600)
        if self.args.reject_data:
            return "554 5.7.1 Message refused"
        self.count += 1
        base = os.path.join(self.args.spool, str(self.count))
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".json", "w") as f:
            json.dump({"mail_from": envelope.mail_from,
                       "rcpt_tos": envelope.rcpt_tos,
                       "login": session.auth_data.login.decode()
                       if session.authenticated else None,
                       "password": session.auth_data.password.decode()
                       if session.authenticated else None,
                       "tls": server.transport.get_extra_info("ssl_object")
                       is not None}, f)
        return "250 2.0.0 Ok: queued"


class Authenticator:
    def __init__(self, login, password):
        self.login = login.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (self.login is None
              or (auth_data.login == self.login and auth_data.password == self.password))
        return AuthResult(success=ok, handled=False, auth_data=auth_data)


def is_greeting_name(name):
    """A domain name with a dot, or an address literal."""
    literal = re.fullmatch(r"\[(IPv6:)?([^\]]+)\]", name)
    if literal:
        try:
            address = ipaddress.ip_address(literal.group(2))
        except ValueError:
            return False
        return (address.version == 6) == bool(literal.group(1))
    return re.fullmatch(r"(?i)[a-z0-9]([a-z0-9-]*[a-z0-9])?(\.[a-z0-9]([a-z0-9-]*[a-z0-9])?)+",
                        name) is not None


def make_protocol_class(wire_log, reject_greeting):
    class LoggingSMTP(SMTP):
        def data_received(self, data):
            with open(wire_log, "ab") as f:
                f.write(data)
            super().data_received(data)

        async def refused_greeting(self, name):
            if reject_greeting:
                return "550 5.7.1 <%s>: Helo command rejected: Access denied" % name
            if not is_greeting_name(name):
                return "504 5.5.2 <%s>: Helo command rejected: need fully-qualified hostname" % name
            return None

        async def smtp_EHLO(self, arg):
            refusal = await self.refused_greeting(arg or "")
            if refusal:
                await self.push(refusal)
                return
            await super().smtp_EHLO(arg)

        async def smtp_HELO(self, arg):
            refusal = await self.refused_greeting(arg or "")
            if refusal:
                await self.push(refusal)
                return
            await super().smtp_HELO(arg)
    return LoggingSMTP


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--spool", required=True)
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--implicit-tls", action="store_true")
    p.add_argument("--no-starttls", action="store_true")
    p.add_argument("--auth", help="LOGIN:PASSWORD, or ANY to take any credentials")
    p.add_argument("--auth-required", action="store_true")
    p.add_argument("--auth-in-clear", action="store_true",
                   help="offer AUTH without TLS")
    p.add_argument("--ipv6", action="store_true", help="listen on ::1 instead of 127.0.0.1")
    p.add_argument("--reject-greeting", action="store_true")
    p.add_argument("--reject-sender")
    p.add_argument("--delayed-reject",
                   help="reply to every RCPT TO; NAME stands for the greeting's name")
    p.add_argument("--reject-rcpt")
    p.add_argument("--defer-rcpt")
    p.add_argument("--reject-data", action="store_true")
    p.add_argument("--stall-data", action="store_true")
    p.add_argument("--size-limit", type=int, default=64 * 1024 * 1024)
    args = p.parse_args()

    context = None
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)

    handler = Handler(args)
    kwargs = dict(data_size_limit=args.size_limit, timeout=60)
    if args.auth:
        login, _, password = args.auth.partition(":")
        authenticator = Authenticator(login, password)
        if args.auth == "ANY":
            authenticator.login = None
        kwargs["authenticator"] = authenticator
        kwargs["auth_require_tls"] = not args.auth_in_clear
        kwargs["auth_required"] = args.auth_required
    elif args.auth_required:
        kwargs["auth_required"] = True
        kwargs["authenticator"] = Authenticator("", "\0never")
    if context is not None and not args.implicit_tls and not args.no_starttls:
        kwargs["tls_context"] = context
    protocol = make_protocol_class(os.path.join(args.spool, "wire.log"), args.reject_greeting)

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(
            lambda: protocol(handler, loop=loop, **kwargs),
            host="::1" if args.ipv6 else "127.0.0.1", port=0,
            ssl=context if args.implicit_tls else None)
        print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
        await server.serve_forever()

    asyncio.run(serve())


if __name__ == "__main__":
    sys.exit(main())
