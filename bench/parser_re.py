#!/usr/bin/env python3
"""The member-entry pattern with Python's re module, the usual tool for such scraping, on the
same 2,000-entry block as parser_bench: the fixture page's block repeated 100 times.

Two figures, in MB of GBK block per second of processor time (the median of several runs, so
that other work on the machine does not count; parser_bench reports processor time too):
  parse   decode GBK, match every entry, turn the six listed groups back into GBK bytes
          (what the program's parser does apart from writing the rows);
  match   the matches alone over the already decoded text.
Prints "name value" lines."""

import pathlib
import re
import statistics
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
ENTRIES = 2000
FIXTURE_ENTRIES = 20
# Result list columns 1 to 6 take these groups (1-based here).
COLUMN_GROUPS = (4, 2, 5, 6, 8, 1)


def pattern():
    header = (ROOT / "search" / "member_entry_pattern.h").read_text(encoding="utf-8")
    text = re.search(r'R"re\((.*?)\)re"', header, re.S).group(1)
    # PCRE2 in UTF mode without UCP: \s is ASCII white space; caseless; '.' stops at LF.
    return re.compile(text, re.IGNORECASE | re.ASCII)


def block():
    page = (ROOT / "tests" / "fixtures" / "search" / "result_page_20.html").read_bytes()
    begin = "<!--会员信息 begin-->".encode("gbk")
    end = "<!--会员信息 end-->".encode("gbk")
    start = page.index(begin) + len(begin)
    return page[start:page.index(end, start)] * (ENTRIES // FIXTURE_ENTRIES)


def parse(regex, data):
    rows = 0
    text = data.decode("gbk", errors="surrogateescape")
    for match in regex.finditer(text):
        cells = [match.group(g).encode("gbk", errors="surrogateescape") for g in COLUMN_GROUPS]
        rows += 1 if cells else 0
    return rows


def match_only(regex, text):
    return sum(1 for _ in regex.finditer(text))


def rate(work, size, runs):
    times = []
    for _ in range(runs):
        start = time.process_time()
        work()
        times.append(time.process_time() - start)
    return size / statistics.median(times) / 1e6


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    regex = pattern()
    data = block()
    text = data.decode("gbk", errors="surrogateescape")
    if parse(regex, data) != ENTRIES or match_only(regex, text) != ENTRIES:
        print("python pattern does not find every entry", file=sys.stderr)
        return 1
    print(f"block_bytes {len(data)}")
    print(f"parse_mb_per_s {rate(lambda: parse(regex, data), len(data), runs):.3f}")
    print(f"match_mb_per_s {rate(lambda: match_only(regex, text), len(data), runs):.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
