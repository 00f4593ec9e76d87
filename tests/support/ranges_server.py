#!/usr/bin/env python3
"""Python's file server with byte ranges (the open-ended ones players ask),
saying so in every answer, on 127.0.0.1 at a port of the system's choosing,
which it prints first ("Serving HTTP on ... port N").

ranges_server.py FOLDER
"""
import functools
import http.server
import os
import re
import sys


class Ranges(http.server.SimpleHTTPRequestHandler):
    def send_head(self):
        path = self.translate_path(self.path)
        if not os.path.isfile(path):
            return super().send_head()
        asked = re.fullmatch(r"bytes=(\d+)-", self.headers.get("Range", ""))
        f = open(path, "rb")
        size = os.fstat(f.fileno()).st_size
        start = min(int(asked[1]), size) if asked else 0
        self.send_response(206 if asked else 200)
        self.send_header("Accept-Ranges", "bytes")
        if asked:
            self.send_header("Content-Range", f"bytes {start}-{size - 1}/{size}")
        self.send_header("Content-Length", str(size - start))
        self.end_headers()
        f.seek(start)
        return f


http.server.test(functools.partial(Ranges, directory=sys.argv[1]), port=0, bind="127.0.0.1")
