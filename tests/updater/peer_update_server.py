#!/usr/bin/env python3
"""An independent update server for Freshwell, standard library only.

It plays one exchange with the real updater and checks every byte the
updater sends against messages built here with struct.pack, from the
program folder as this script reads it (its own ELF note reader). Then it
either serves an honest update (zip archives built with zipfile) or one
attack on the client. Exit status 0 when the updater answered as expected.

usage: peer_update_server.py PORTFILE PROGRAMDIR CATALOGUEDIR ATTACK
"""
import io
import os
import socket
import struct
import sys
import zipfile


def log(*args):
    print("peer:", *args, file=sys.stderr, flush=True)


def message(code, payload=b""):
    return struct.pack("<ii", code, len(payload)) + payload


def counted(text):
    data = text.encode("utf-8")
    return struct.pack("<i", len(data)) + data


def chunk(data):
    return struct.pack("<i", len(data)) + data


def elf_version(path):
    """The version note ("Lumicaster", type 1) of an ELF file, or 0,0,0,0."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return "0,0,0,0"
    if data[:4] != b"\x7fELF" or data[5] != 1:
        return "0,0,0,0"
    is64 = data[4] == 2
    if is64:
        shoff, = struct.unpack_from("<Q", data, 0x28)
        shentsize, shnum = struct.unpack_from("<HH", data, 0x3A)
    else:
        shoff, = struct.unpack_from("<I", data, 0x20)
        shentsize, shnum = struct.unpack_from("<HH", data, 0x2E)
    for i in range(shnum):
        base = shoff + i * shentsize
        sh_type, = struct.unpack_from("<I", data, base + 4)
        if sh_type != 7:
            continue
        if is64:
            offset, size = struct.unpack_from("<QQ", data, base + 0x18)
        else:
            offset, size = struct.unpack_from("<II", data, base + 0x10)
        pos = offset
        while pos + 12 <= offset + size:
            namesz, descsz, ntype = struct.unpack_from("<III", data, pos)
            name = data[pos + 12:pos + 12 + namesz]
            desc = pos + 12 + ((namesz + 3) & ~3)
            if name == b"Lumicaster\0" and ntype == 1 and descsz == 8:
                ms, ls = struct.unpack_from("<II", data, desc)
                return "%d,%d,%d,%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
            pos = desc + ((descsz + 3) & ~3)
    return "0,0,0,0"


def expected_list(program_dir):
    """What the updater must send: every file of the folder (no Version.vif
    yet) with its version, 2066 each, then 2067."""
    names = sorted(n for n in os.listdir(program_dir)
                   if os.path.isfile(os.path.join(program_dir, n)) and not n.startswith(".lumi-part-"))
    out = b""
    for name in names:
        out += message(2066, counted(name) + counted(elf_version(os.path.join(program_dir, name))))
    return out + message(2067)


class Client:
    def __init__(self, conn):
        self.conn = conn
        self.conn.settimeout(60)

    def read_exactly(self, n):
        data = b""
        while len(data) < n:
            part = self.conn.recv(n - len(data))
            if not part:
                raise EOFError("closed after %d of %d bytes" % (len(data), n))
            data += part
        return data

    def expect(self, expected, what):
        got = self.read_exactly(len(expected))
        if got != expected:
            raise AssertionError("%s: expected %s, got %s" % (what, expected.hex(), got.hex()))
        if not what.startswith("2043 within"):
            log("ok:", what)

    def expect_closed(self, what):
        self.conn.settimeout(30)
        try:
            data = self.conn.recv(1)
        except (ConnectionResetError, socket.timeout):
            data = b""
        if data:
            raise AssertionError("%s: expected the close, got %s" % (what, data.hex()))
        log("ok:", what)

    def send(self, data):
        self.conn.sendall(data)


def archive_for(path, entry_name):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        info = zipfile.ZipInfo(entry_name, date_time=(2000, 1, 1, 0, 0, 0))
        info.external_attr = 0o100755 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as f:
            z.writestr(info, f.read())
    return buffer.getvalue()


def send_file(client, name, data, chunk_size=4096, code=2038):
    client.send(message(code, counted(name) + struct.pack("<i", len(data))))
    client.expect(message(2042), "2042 for " + name)
    pos = 0
    first = True
    while True:
        piece = data[pos:pos + chunk_size]
        pos += len(piece)
        last = pos >= len(data)
        client.send(message(2044 if last else (2042 if first else 2043), chunk(piece)))
        first = False
        if last:
            client.expect(message(2041), "2041 after " + name)
            return
        client.expect(message(2043), "2043 within " + name)


def prepare_archives(catalogue):
    return [(name + ".zip", archive_for(os.path.join(catalogue, name), name)) for name in sorted(os.listdir(catalogue))]


def honest(client, catalogue, archives):
    client.send(message(2047, struct.pack("<iii", len(archives), 0, sum(len(a) for _, a in archives))))
    client.expect(message(2049), "2049 after 2047")
    for name, data in archives:
        send_file(client, name, data)
        client.send(message(2041))
        client.expect(message(2049), "2049 after 2041")
    client.send(message(2048))
    client.expect(message(2051), "2051 after 2048")
    client.send(message(2051))


def zip_slip(client, catalogue):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name in ("../escaped.txt", "/tmp/lumi-absolute.txt", "..\\..\\escaped2.txt", "sub/../../escaped3.txt"):
            z.writestr(zipfile.ZipInfo(name, date_time=(2000, 1, 1, 0, 0, 0)), b"evil")
        link = zipfile.ZipInfo("link.txt", date_time=(2000, 1, 1, 0, 0, 0))
        link.external_attr = 0o120777 << 16
        z.writestr(link, b"/etc/passwd")
    data = buffer.getvalue()
    client.send(message(2047, struct.pack("<iii", 1, 0, len(data))))
    client.expect(message(2049), "2049 after 2047")
    send_file(client, "setup.zip", data)
    client.send(message(2041))
    client.expect(message(2049), "2049 after 2041")
    client.send(message(2048))
    client.expect(message(2051), "2051 after 2048")
    client.send(message(2051))


def refused_name(name, code=2038):
    def attack(client, catalogue):
        client.send(message(2047, struct.pack("<iii", 1, 0, 4)))
        client.expect(message(2049), "2049 after 2047")
        client.send(message(code, counted(name) + struct.pack("<i", 4)))
        client.expect(message(2051), "abort for %r" % name)
        client.expect_closed("close after the abort")
    return attack


def broken_transfer(frames, reply=message(2051)):
    def attack(client, catalogue):
        client.send(message(2047, struct.pack("<iii", 1, 0, 10)))
        client.expect(message(2049), "2049 after 2047")
        for i, frame in enumerate(frames):
            client.send(frame)
            if i + 1 < len(frames) and frame[:4] in (struct.pack("<i", 2038), struct.pack("<i", 2042)):
                client.expect(message(2042 if frame[:4] == struct.pack("<i", 2038) else 2043), "reply %d" % i)
        if reply:
            client.expect(reply, "abort")
        client.expect_closed("close after the attack")
    return attack


def stall(client, catalogue):
    client.send(message(2047, struct.pack("<iii", 1, 0, 10)))
    client.expect(message(2049), "2049 after 2047")
    client.send(message(2038, counted("a.zip") + struct.pack("<i", 10)))
    client.expect(message(2042), "2042")
    client.send(message(2042, chunk(b"12345")))
    client.expect(message(2043), "2043")
    # Nothing more: the updater must give up by itself.
    client.expect_closed("close by the updater's time-out")


def bad_length(client, catalogue):
    client.send(struct.pack("<ii", 2047, -1))
    client.expect_closed("close after a negative length")


HEADER = message(2038, counted("a.zip") + struct.pack("<i", 10))
ATTACKS = {
    "honest": None,
    "zip-slip": zip_slip,
    "dotdot-name": refused_name("../evil.zip"),
    "absolute-name": refused_name("/tmp/lumi-evil.zip"),
    "drive-name": refused_name("C:\\evil.zip"),
    "absolute-2037": refused_name("/tmp/lumi-evil-2037.zip", code=2037),
    "negative-size": broken_transfer([message(2038, counted("a.zip") + struct.pack("<i", -5))]),
    "bytes-beyond-size": broken_transfer([HEADER, message(2042, chunk(b"x" * 20))]),
    "short-last-chunk": broken_transfer([HEADER, message(2044, chunk(b"x" * 5))]),
    "chunk-without-file": broken_transfer([message(2043, chunk(b"x" * 5))]),
    "finished-mid-file": broken_transfer([HEADER, message(2042, chunk(b"x" * 5)), message(2051)], reply=None),
    "all-sent-mid-file": broken_transfer([HEADER, message(2042, chunk(b"x" * 5)), message(2048)]),
    "chunk-count-lies": broken_transfer([HEADER, message(2042, struct.pack("<i", 1000) + b"xx")]),
    "stall": stall,
    "negative-length": bad_length,
}


def main():
    port_file, program_dir, catalogue, attack = sys.argv[1:5]
    expected = expected_list(program_dir)
    # Packed before the updater connects: the updater gives up on a server
    # that keeps it waiting.
    archives = prepare_archives(catalogue) if attack == "honest" else None
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.rename(port_file + ".tmp", port_file)
    listener.settimeout(60)
    conn, _ = listener.accept()
    client = Client(conn)
    try:
        client.expect(expected, "the file list")
        client.send(message(2033, counted("1, 0, 0, 9") + counted("")))
        client.expect(message(2045), "2045 after the question")
        if attack == "honest":
            honest(client, catalogue, archives)
        else:
            ATTACKS[attack](client, catalogue)
    except (AssertionError, EOFError, OSError) as error:
        log("FAILED:", error)
        return 1
    log("done")
    return 0


if __name__ == "__main__":
    sys.exit(main())
