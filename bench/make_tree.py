#!/usr/bin/env python3
"""Writes a deterministic tree of eml messages for the batch benchmark.

usage: make_tree.py ROOT FILES FOLDERS [--flat]
Most messages are 2 to 20 KB; one in every 2,000 is several MB.
"""
import os
import random
import sys


def message(rng, n):
    big = n % 2000 == 1999
    size = rng.randint(3, 6) * 1024 * 1024 if big else rng.randint(2 * 1024, 20 * 1024)
    header = (
        f"Return-Path: <sender{n}@example.com>\r\n"
        f"From: Sender {n} <sender{n}@example.com>\r\n"
        f"To: Someone <someone@example.org>\r\n"
        f"Subject: Message number {n} & more <test>\r\n"
        f"Date: Tue, {1 + n % 28} Jul 2003 10:52:37 +0200\r\n"
        f"Message-ID: <{n}@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
    )
    line = "The quick brown fox jumps over the lazy dog, again and again. 0123456789\r\n"
    body = line * (max(0, size - len(header)) // len(line) + 1)
    return (header + body).encode("ascii")


def main():
    root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    flat = "--flat" in sys.argv
    rng = random.Random(42)
    dirs = [root] if flat else [os.path.join(root, f"folder{d // 20:03d}", f"sub{d:03d}") for d in range(folders)]
    for d in dirs:
        os.makedirs(d, exist_ok=True)
    for n in range(files):
        d = dirs[n % len(dirs)]
        with open(os.path.join(d, f"msg{n:06d}.eml"), "wb") as f:
            f.write(message(rng, n))


if __name__ == "__main__":
    main()
