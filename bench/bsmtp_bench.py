#!/usr/bin/python3
"""Sending a large attachment: bsendmail against curl -T with the same message bytes.

Starts an aiosmtpd sink on 127.0.0.1 in a process of its own, sends a mail with an
attachment of --size MiB through bsendmail, keeps the bytes that arrived, and sends those
very bytes with `curl -T`. Both are timed (wall clock, best and median of --runs) and their
peak memory is taken from the kernel (ru_maxrss of each child). Peak memory of bsendmail is
also measured for a small and a large attachment, to show it does not grow with the size.

    bsmtp_bench.py --bsendmail PATH --peak-rss PATH [--size 10] [--runs 5]
"""

import argparse
import asyncio
import os
import statistics
import subprocess
import sys
import tempfile
import time

MiB = 1024 * 1024


def run_sink(capture_path):
    from aiosmtpd.smtp import SMTP

    class Sink:
        def __init__(self):
            self.captured = False

        async def handle_DATA(self, server, session, envelope):
            if not self.captured:
                with open(capture_path, "wb") as f:
                    f.write(envelope.original_content)
                self.captured = True
            return "250 OK"

    handler = Sink()

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(
            lambda: SMTP(handler, data_size_limit=0, loop=loop),
            host="127.0.0.1", port=0)
        print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
        await server.serve_forever()

    asyncio.run(serve())


def measure(peak_rss, argv, env=None):
    """Runs argv; returns (seconds, peak RSS in KiB). Fails on a non-zero exit."""
    with tempfile.NamedTemporaryFile("r") as rss:
        start = time.perf_counter()
        proc = subprocess.run([peak_rss, rss.name] + argv, env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        elapsed = time.perf_counter() - start
        if proc.returncode != 0:
            sys.exit("%s failed (%d): %s" % (argv[0], proc.returncode,
                                             proc.stderr.decode(errors="replace")))
        return elapsed, int(rss.read())


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--bsendmail", required=True)
    p.add_argument("--peak-rss", help="the peak_rss launcher built beside this script")
    p.add_argument("--size", type=float, default=10, help="attachment size in MiB")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--sink", help=argparse.SUPPRESS)
    args = p.parse_args()
    if args.sink:
        return run_sink(args.sink)

    with tempfile.TemporaryDirectory() as tmp:
        capture = os.path.join(tmp, "captured.eml")
        sink = subprocess.Popen([sys.executable, __file__, "--bsendmail", "-",
                                 "--sink", capture], stdout=subprocess.PIPE)
        try:
            port = int(sink.stdout.readline().split()[1])
            server = "127.0.0.1:%d" % port
            body = os.path.join(tmp, "body.txt")
            with open(body, "wb") as f:
                f.write("写真を送ります。\r\n".encode("cp932"))

            def attachment(mib):
                path = os.path.join(tmp, "photo-%g.jpg" % mib)
                with open(path, "wb") as f:
                    f.write(os.urandom(int(mib * MiB)))
                return path

            big = attachment(args.size)
            env = dict(os.environ, LC_ALL="C.UTF-8")

            def bsendmail(path):
                return [args.bsendmail, server, "to@example.com", "from@example.jp",
                        "ベンチマーク", body, path]

            def run(argv):
                return measure(args.peak_rss, argv, env)

            # The first mail is kept by the sink: the bytes curl is to send.
            run(bsendmail(big))
            curl = ["curl", "-sS", "--mail-from", "from@example.jp",
                    "--mail-rcpt", "to@example.com", "-T", capture,
                    "smtp://%s" % server]
            message_size = os.path.getsize(capture)

            ours, theirs = [], []
            for _ in range(args.runs):
                ours.append(run(bsendmail(big)))
                theirs.append(run(curl))

            small = attachment(args.size / 10)
            larger = attachment(args.size * 4)
            rss_small = run(bsendmail(small))[1]
            rss_larger = run(bsendmail(larger))[1]
        finally:
            sink.kill()
            sink.wait()

    def summary(samples):
        times = [t for t, _ in samples]
        return min(times), statistics.median(times), max(r for _, r in samples)

    o_best, o_median, o_rss = summary(ours)
    c_best, c_median, c_rss = summary(theirs)
    print("message: %.1f MiB on the wire (attachment %.1f MiB), %d runs each"
          % (message_size / MiB, args.size, args.runs))
    print("%-10s %10s %10s %14s" % ("", "best s", "median s", "peak RSS KiB"))
    print("%-10s %10.3f %10.3f %14d" % ("bsendmail", o_best, o_median, o_rss))
    print("%-10s %10.3f %10.3f %14d" % ("curl -T", c_best, c_median, c_rss))
    print("time ratio (median): %.2f (goal <= 1.20)" % (o_median / c_median))
    print("bsendmail peak RSS: %d KiB with %.1f MiB, %d KiB with %.1f MiB, %d KiB with %.1f MiB"
          % (rss_small, args.size / 10, o_rss, args.size, rss_larger, args.size * 4))


if __name__ == "__main__":
    sys.exit(main())
