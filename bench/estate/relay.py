#!/usr/bin/env python3
# A latency relay: listens on a free loopback port (printed as its first
# line), connects each client on to TARGET_PORT and delays every piece of
# data by DELAY_MS in each direction, keeping its order: a wide-area link in
# front of a host on the loopback. One thread waits for whichever comes
# first, data or the moment a piece is due, so only the delay asked for is
# added; data is acknowledged and sent on at once (TCP_QUICKACK, TCP_NODELAY).
#
# usage: relay.py TARGET_PORT DELAY_MS
import collections
import selectors
import socket
import sys
import time

target_port = int(sys.argv[1])
delay = int(sys.argv[2]) / 1000

selector = selectors.DefaultSelector()
listener = socket.create_server(("127.0.0.1", 0))
selector.register(listener, selectors.EVENT_READ)
print(listener.getsockname()[1], flush=True)
# source socket -> (target socket, its pieces in order: (due, data); b"" ends it)
routes = {}


def prompt(sock):
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)


while True:
    now = time.monotonic()
    dues = [pieces[0][0] for _, pieces in routes.values() if pieces]
    for key, _ in selector.select(max(0.0, min(dues) - now) if dues else None):
        source = key.fileobj
        if source is listener:
            client = listener.accept()[0]
            host = socket.create_connection(("127.0.0.1", target_port))
            for sock, other in ((client, host), (host, client)):
                prompt(sock)
                routes[sock] = (other, collections.deque())
                selector.register(sock, selectors.EVENT_READ)
            continue
        try:
            data = source.recv(65536)
        except OSError:
            data = b""
        # Linux falls back to delayed acknowledgements after a while.
        if data:
            source.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
        else:
            selector.unregister(source)
        routes[source][1].append((time.monotonic() + delay, data))
    now = time.monotonic()
    for source, (target, pieces) in list(routes.items()):
        while pieces and pieces[0][0] <= now:
            data = pieces.popleft()[1]
            try:
                if data:
                    target.sendall(data)
                    continue
                target.shutdown(socket.SHUT_WR)
            except OSError:
                pass
            del routes[source]
            break
