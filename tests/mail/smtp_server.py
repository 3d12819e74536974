#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A local SMTP server for the mail tests, on 127.0.0.1 and a port the system picks.

Prints "PORT <n>" once it listens, then one JSON line per message received (sender,
recipients, the login used, whether the session was encrypted, subject and body decoded).
Ends when standard input closes, so it never outlives the test that started it.
"""
import argparse
import asyncio
import email
import email.header
import email.policy
import json
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult


class Handler:
    def __init__(self, refuse):
        self.refuse = refuse

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse:
            return "550 5.7.1 Relaying refused for " + address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content or envelope.content
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        body = msg.get_payload(decode=True) or b""
        charset = msg.get_content_charset() or "us-ascii"
        record = {
            "from": envelope.mail_from,
            "to": envelope.rcpt_tos,
            "login": session.auth_data.login.decode() if session.authenticated and session.auth_data else None,
            "tls": getattr(server, "_tls_protocol", None) is not None,
            "subject": str(msg["subject"]),
            "header_to": str(msg["to"]),
            "header_from": str(msg["from"]),
            "body": body.replace(b"\r\n", b"\n").decode(charset, errors="replace"),
        }
        print(json.dumps(record), flush=True)
        return "250 Message accepted"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--user")
    p.add_argument("--password")
    p.add_argument("--refuse", action="store_true")
    a = p.parse_args()

    context = None
    if a.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(a.cert, a.key)

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = a.user is not None and auth_data.login.decode() == a.user and auth_data.password.decode() == a.password
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    handler = Handler(a.refuse)

    def factory():
        return SMTP(handler, hostname="test.local", tls_context=context, require_starttls=False,
                    authenticator=authenticator if a.user else None,
                    auth_required=a.user is not None, auth_require_tls=a.user is not None and context is not None)

    async def run():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(factory, host="127.0.0.1", port=0)
        print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
        # Standard input closing (the test ended or died) stops the server.
        reader = asyncio.StreamReader()
        await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(reader), sys.stdin)
        while await reader.read(1024):
            pass
        server.close()

    asyncio.run(run())


if __name__ == "__main__":
    main()
