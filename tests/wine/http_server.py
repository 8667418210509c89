#!/usr/bin/env python3
"""Loopback HTTP servers for the HTTP client's tests under Wine, all on port 80.

  127.0.0.1  answers by path (see PAGES and the special paths below)
  127.0.0.3  accepts connections and never answers
  127.0.0.4  listens with a full backlog, so a TCP connect never completes
  127.0.0.2  nothing listens there: connections are refused
  127.0.0.5  answers every GET with a version file of one million commas
  127.0.0.6  answers every GET with 4 KB of body every 2 s, for as long as it lives
  127.0.0.7  answers every GET with a newer version whose page address is 100 KB long

GET /__quit on 127.0.0.1 ends the server; it also ends by itself after a while,
so a test that dies cannot leave port 80 taken.
"""
import socket
import sys
import threading
import time

LIFETIME = 120
PAGES = {
    "/missing.txt": (b"HTTP/1.0 404 Not Found", b"<html>not here</html>", True),
    "/nolength": (b"HTTP/1.0 200 OK", b"no length here, the close ends it", False),
    "/AppVersions/ZorvaneVersion.txt": (b"HTTP/1.0 200 OK", b"1.03,http://dl.zorvane.example/,", True),
}
CHUNKS_BODY = bytes((i * 7 + i // 256) % 256 for i in range(10000))
COMMAS = b"1.00" + b"," * 1000000
LONG_ADDRESS = b"1.04,http://dl.zorvane.example/" + b"a" * 100000 + b","
DRIP_SECONDS = 30


def listener(addr, backlog=16):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((addr, 80))
    s.listen(backlog)
    return s


def reply(conn, status, body, length=True, pieces=None):
    head = status + b"\r\nServer: ZvTest/1.0\r\nContent-Type: text/plain\r\n"
    if length:
        head += b"Content-Length: %d\r\n" % len(body)
    conn.sendall(head + b"\r\n")
    if pieces:
        for i in range(0, len(body), pieces):
            conn.sendall(body[i:i + pieces])
            time.sleep(0.002)
    else:
        conn.sendall(body)


def read_request(conn):
    conn.settimeout(10)
    data = b""
    try:
        while b"\r\n\r\n" not in data:
            part = conn.recv(4096)
            if not part:
                return None
            data += part
    except OSError:
        return None
    return data[: data.index(b"\r\n\r\n") + 4]


def serve_hostile(conn, shape):
    with conn:
        if read_request(conn) is None:
            return
        try:
            if shape == "drip":
                conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n")
                for _ in range(DRIP_SECONDS // 2):
                    conn.sendall(b"1" * 4096)
                    time.sleep(2)
            else:
                reply(conn, b"HTTP/1.0 200 OK", COMMAS if shape == "commas" else LONG_ADDRESS)
        except OSError:
            pass


def serve(conn, stop):
    with conn:
        request = read_request(conn)
        if request is None:
            return
        path = request.split(b" ")[1].decode("latin-1") if b" " in request else "/"
        if path == "/__quit":
            reply(conn, b"HTTP/1.0 200 OK", b"bye")
            stop.set()
        elif path == "/echo":
            reply(conn, b"HTTP/1.0 200 OK", request)
        elif path == "/chunks":
            reply(conn, b"HTTP/1.0 200 OK", CHUNKS_BODY, pieces=700)
        elif path in PAGES:
            status, body, length = PAGES[path]
            reply(conn, status, body, length)
        else:
            reply(conn, b"HTTP/1.0 200 OK", path.encode("latin-1"))


def main():
    stop = threading.Event()
    web = listener("127.0.0.1")
    silent = listener("127.0.0.3")
    held = []
    # listen(0) with one connection already queued and never accepted: further SYNs are dropped.
    hung = listener("127.0.0.4", 0)
    filler = socket.create_connection(("127.0.0.4", 80))
    held.append(filler)

    def accept_silently():
        while not stop.is_set():
            c, _ = silent.accept()
            held.append(c)

    def accept_web():
        while not stop.is_set():
            c, _ = web.accept()
            threading.Thread(target=serve, args=(c, stop), daemon=True).start()

    def accept_hostile(listening, shape):
        while not stop.is_set():
            c, _ = listening.accept()
            threading.Thread(target=serve_hostile, args=(c, shape), daemon=True).start()

    hostile = [(listener("127.0.0.5"), "commas"), (listener("127.0.0.6"), "drip"), (listener("127.0.0.7"), "address")]
    threading.Thread(target=accept_silently, daemon=True).start()
    threading.Thread(target=accept_web, daemon=True).start()
    for listening, shape in hostile:
        threading.Thread(target=accept_hostile, args=(listening, shape), daemon=True).start()
    stop.wait(LIFETIME)
    for s in [web, silent, hung] + [h for h, _ in hostile] + held:
        s.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
