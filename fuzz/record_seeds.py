#!/usr/bin/env python3
"""Records the seed corpora of the fuzz targets from real simulator sessions.

Starts nsksim, drives it through the console's whole road (menu, TACL logon,
PATHMON listing, NCP logon, the four listings with their MORE pages, a START
and a status, LOGOUT) as a bare telnet client, and writes what the host sent:
raw (telnet commands included) for the telnet parser, stripped of telnet
commands for the session's data handling, line by line (and as event texts)
for the parsing rules. The INI seeds are small settings files.

Usage: fuzz/record_seeds.py path/to/nsksim
"""
import os
import socket
import subprocess
import sys
import time

IAC, SB, SE = 255, 250, 240
HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def chunked(data, size=255):
    """The ChunkCutter format: a length byte (size - 1) before each chunk."""
    out = bytearray()
    for i in range(0, len(data), size):
        piece = data[i:i + size]
        out.append(len(piece) - 1)
        out += piece
    return bytes(out)


def strip_telnet(raw):
    out, i = bytearray(), 0
    while i < len(raw):
        b = raw[i]
        if b != IAC:
            out.append(b)
            i += 1
        elif i + 1 < len(raw) and raw[i + 1] == IAC:
            out.append(IAC)
            i += 2
        elif i + 1 < len(raw) and raw[i + 1] == SB:
            end = raw.find(bytes([IAC, SE]), i)
            i = len(raw) if end < 0 else end + 2
        elif i + 1 < len(raw) and 251 <= raw[i + 1] <= 254:
            i += 3
        else:
            i += 2
    return bytes(out)


class Client:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.settimeout(5)
        self.raw = bytearray()

    def until(self, marker):
        return self.until_tail(lambda tail: marker in tail)

    def until_tail(self, done):
        """Reads until done(partial line) holds for the text after the last line feed."""
        data = bytearray()
        while True:
            tail = strip_telnet(bytes(data)).rsplit(b"\n", 1)[-1]
            if done(tail):
                break
            piece = self.sock.recv(65536)
            if not piece:
                break
            data += piece
            self.answer(piece)
        self.raw += data
        return bytes(data)

    def answer(self, piece):
        # Refuse every option but agree to the terminal type, like a bare client.
        i = 0
        while i + 2 < len(piece):
            if piece[i] == IAC and piece[i + 1] == 253 and piece[i + 2] == 24:
                self.sock.sendall(bytes([IAC, 251, 24]))
            if piece[i] == IAC and piece[i + 1] == SB and piece[i + 2] == 24:
                self.sock.sendall(bytes([IAC, SB, 24, 0]) + b"VT100" + bytes([IAC, SE]))
            i += 1

    def send(self, line):
        self.sock.sendall(line.encode("latin-1") + b"\r\n")


def listing(c, command):
    """Sends an NCPCOM command and reads its output, answering every MORE page."""
    c.send(command)
    out = bytearray()
    while True:
        out += c.until_tail(lambda tail: tail.startswith(b"MORE") or b" > " in tail)
        if b" > " in strip_telnet(bytes(out)).rsplit(b"\n", 1)[-1]:
            return bytes(out)
        c.send("")


def session(nsksim, extra):
    proc = subprocess.Popen([nsksim, "--port", "0", "--page", "5"] + extra, stdout=subprocess.PIPE)
    port = int(proc.stdout.readline())
    c = Client(port)
    steps = []
    c.until(b"Enter Choice> "); steps.append(bytes(c.raw))
    for line, marker in [("TACL", b"TACL 1> "), ("logon OPS.OPER", b"Password: "), ("secret1", b"> "),
                         ("SETPROMPT SUBVOL", b"> "), ("#mysystem", b"> "),
                         ("STATUS *, PROG $*.*.PATHMON", b"> "), ("NCPCOM $PM01", b"2 > "),
                         ("SET USER NCPOPER", b"PASSWORD: "), ("secret2", b" > ")]:
        c.send(line)
        steps.append(c.until(marker))
    for command in ["STATUS PROCESS *", "INFO STATION *", "STATUS STATION *", "STATUS LINE *",
                    "START LINE LTCP01", "STATUS LINE LTCP01"]:
        steps.append(listing(c, command))
    c.sock.close()
    proc.terminate()
    proc.wait()
    return bytes(c.raw), steps


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    nsksim = sys.argv[1]
    for label, extra in [("plain", []), ("sprinkled", ["--sprinkle"])]:
        raw, steps = session(nsksim, extra)
        write("fuzz_telnet", f"road-{label}", chunked(raw))
        write("fuzz_telnet", f"road-{label}-small-chunks", chunked(raw[:4096], 7))
        for i, step in enumerate(steps):
            write("fuzz_session", f"{label}-step{i:02d}", chunked(strip_telnet(step), 61))
        if label == "plain":
            lines = strip_telnet(raw).replace(b"\r", b"").split(b"\n")
            kept = [l for l in lines if l.strip()]
            for i, line in enumerate(kept[:200]):
                write("fuzz_parsing", f"line{i:03d}", line)
                write("fuzz_parsing", f"event{i:03d}", b"010" + line)
    write("fuzz_ini", "settings", b"[Main]\r\nTop=10\r\nLeft=0x20\r\nWidth=1004\r\nHeight=522\r\n"
          b"Maximized=0\r\nHostidx=0\r\nTACLidx=-1\r\n[Hosts]\r\n127.0.0.1:2323=\r\nhost2=\r\n"
          b"[Users.TACL]\r\nOPS.OPER=\r\n[Users.NCPCOM]\r\nNCPOPER=\r\n")
    write("fuzz_ini", "duplicates", b"[hosts]\nA=\n[HOSTS]\nB=\na=\n[Main]\nTop=1\ntop=2\n")
    write("fuzz_ini", "no-newline", b"[Hosts]\r\nlast=")


if __name__ == "__main__":
    main()
