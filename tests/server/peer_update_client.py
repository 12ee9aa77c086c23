#!/usr/bin/env python3
"""An independent update client for lumicaster-server, standard library only.

Starts the server on a catalogue this script writes, walks the update
exchange checking every server message field by field against its own
struct-built expectations, unpacks each archive with zipfile and compares
SHA-256 with the catalogue, and plays a few hostile clients.

usage: peer_update_client.py SERVER_PROGRAM
"""
import hashlib
import io
import os
import re
import socket
import struct
import subprocess
import sys
import tempfile
import time
import zipfile


def message(code, payload=b""):
    return struct.pack("<ii", code, len(payload)) + payload


def counted(text):
    data = text.encode("utf-8")
    return struct.pack("<i", len(data)) + data


def read_exactly(sock, n):
    data = b""
    while len(data) < n:
        part = sock.recv(n - len(data))
        if not part:
            raise EOFError("closed after %d of %d bytes" % (len(data), n))
        data += part
    return data


def receive(sock):
    code, length = struct.unpack("<ii", read_exactly(sock, 8))
    return code, read_exactly(sock, length)


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def closed_by_server(sock, seconds=10):
    sock.settimeout(seconds)
    try:
        while sock.recv(65536):
            pass
        return True
    except (ConnectionResetError, BrokenPipeError):
        return True
    except socket.timeout:
        return False


def exchange(port, listed):
    s = socket.create_connection(("127.0.0.1", port))
    s.settimeout(30)
    s.sendall(b"".join(message(2066, counted(n) + counted(v)) for n, v in listed) + message(2067))
    code, payload = receive(s)
    if code == 2032:
        return code, {}
    check(code == 2033, "2033 expected, got %d" % code)
    n, = struct.unpack_from("<i", payload, 0)
    version = payload[4:4 + n].decode()
    m, = struct.unpack_from("<i", payload, 4 + n)
    check(m == 0 and len(payload) == 8 + n, "2033 is two counted strings, the second empty")
    s.sendall(message(2045))
    code, payload = receive(s)
    check(code == 2047 and len(payload) >= 12, "2047 with three int32")
    files, folders, total = struct.unpack_from("<iii", payload)
    s.sendall(message(2049))
    archives = {}
    for _ in range(files):
        code, payload = receive(s)
        check(code == 2038, "2038 expected, got %d" % code)
        n, = struct.unpack_from("<i", payload, 0)
        name = payload[4:4 + n].decode()
        size, = struct.unpack_from("<i", payload, 4 + n)
        check(len(payload) == 8 + n, "2038 = counted name + int32 size")
        s.sendall(message(2042))
        data = b""
        first = True
        while True:
            code, payload = receive(s)
            check(code == (2042 if first else 2043) or code == 2044, "chunk code %d" % code)
            n, = struct.unpack_from("<i", payload, 0)
            check(len(payload) == 4 + n, "chunk = int32 n + n bytes")
            data += payload[4:]
            first = False
            if code == 2044:
                break
            s.sendall(message(2043))
        check(len(data) == size, "%s: %d bytes announced, %d sent" % (name, size, len(data)))
        s.sendall(message(2041))
        code, payload = receive(s)
        check(code == 2041 and payload == b"", "server 2041 after the file")
        s.sendall(message(2049))
        archives[name] = data
    check(sum(len(d) for d in archives.values()) == total, "2047's total is the bytes sent")
    code, payload = receive(s)
    check(code == 2048, "2048 expected")
    s.sendall(message(2051))
    code, payload = receive(s)
    check(code == 2051, "2051 expected")
    s.close()
    return version, archives


def main():
    server_program = sys.argv[1]
    with tempfile.TemporaryDirectory() as top:
        catalogue = os.path.join(top, "catalogue")
        os.mkdir(catalogue)
        files = {"Lumicaster.exe": os.urandom(200000), "Lumicaster Manager.exe": b"manager " * 5000}
        for name, data in files.items():
            with open(os.path.join(catalogue, name), "wb") as f:
                f.write(data)
        with open(os.path.join(catalogue, "Version.vif"), "w") as f:
            f.write("Lumicaster.exe | 1,0,0,12 |\nLumicaster Manager.exe | 1,0,0,3 |\n")
        server = subprocess.Popen([server_program, "--port", "0", "--update-catalogue", catalogue,
                                   "--chunk-size", "7000"], stderr=subprocess.PIPE, text=True)
        try:
            port = None
            while port is None:
                line = server.stderr.readline()
                if not line:
                    raise AssertionError("the server ended")
                found = re.search(r"listening on 127\.0\.0\.1:(\d+)", line)
                if found:
                    port = int(found.group(1))

            # Numbers, not text: 1,0,0,3 is older than 1,0,0,12.
            version, archives = exchange(port, [("Lumicaster.exe", "1,0,0,3"), ("Lumicaster Manager.exe", "1,0,0,3")])
            check(version == "1,0,0,12", "server version %r" % version)
            check(list(archives) == ["Lumicaster.exe.zip"], "only the older file is sent: %r" % list(archives))
            z = zipfile.ZipFile(io.BytesIO(archives["Lumicaster.exe.zip"]))
            check(z.testzip() is None, "archive CRCs")
            check(z.namelist() == ["Lumicaster.exe"], "one entry named like the file")
            check(hashlib.sha256(z.read("Lumicaster.exe")).digest() == hashlib.sha256(files["Lumicaster.exe"]).digest(),
                  "the entry holds the catalogue's bytes")
            code, _ = exchange(port, [("lumicaster.exe", "1,0,0,12"), ("Lumicaster Manager.exe", "1,0,0,3")])
            check(code == 2032, "a current client gets 2032")

            # Hostile clients.
            stalled = socket.create_connection(("127.0.0.1", port))
            stalled.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            stalled.sendall(message(2067) + message(2045) + message(2049) + message(2042) + message(2043) * 500)
            odd = socket.create_connection(("127.0.0.1", port))
            odd.sendall(message(2043, b"xx") + message(2049))  # ignored outside a transfer
            huge = socket.create_connection(("127.0.0.1", port))
            huge.sendall(struct.pack("<ii", 2066, 2 ** 31 - 1) + b"abc")
            check(closed_by_server(huge), "a header of 2^31-1 bytes drops the client")
            version, archives = exchange(port, [])
            check(len(archives) == 2, "a client beside the hostile ones is served")
            odd.sendall(message(2067))
            code, _ = receive(odd)
            check(code == 2033, "out-of-order messages were ignored, the exchange goes on")
            odd.sendall(message(2041))  # "the client closes"
            check(closed_by_server(odd), "2041 outside a transfer ends the session")
            stalled.close()
            check(server.poll() is None, "the server still runs")
        finally:
            server.kill()
            server.wait()
    print("peer: all checks passed", file=sys.stderr)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, EOFError, OSError) as error:
        print("peer: FAILED:", error, file=sys.stderr)
        sys.exit(1)
