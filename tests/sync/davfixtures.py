"""Real CalDAV/CardDAV servers for the sync tests and the sync benchmark.

- Radicale and Xandikos, each started on 127.0.0.1 on a free port with its
  storage in a folder of the caller's, and killed at the end.
- FaultProxy: an HTTP proxy in front of a server that logs every request
  (so a test counts what the program sends), checks Basic authentication when
  the server has none of its own, and on command answers with an error
  status, waits past the client's timeout, cuts the connection mid-answer,
  answers listings with an empty multistatus, or runs a hook (a test kills
  the server or the program there).
- DavClient: a phone on the same account, by plain HTTP: finds the
  collections, lists, reads, writes and deletes items.
- Items: unfolding, parsing, escaping and folding of iCalendar and vCard
  lines, enough to make and edit what a phone would.

Only the standard library: the tests run under whatever Python 3 CMake found.
"""

import base64
import http.client
import os
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
import xml.etree.ElementTree as ET
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

USER = "korvane"
PASSWORD = "pass word-1"  # with a blank, as passwords may have


class FixtureError(Exception):
    pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def basic_auth(user, password):
    token = base64.b64encode(("%s:%s" % (user, password)).encode("utf-8")).decode("ascii")
    return "Basic " + token


def wait_until(ready, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if ready():
            return
        time.sleep(0.05)
    raise FixtureError("%s was not ready within %d s" % (what, seconds))


def answers(port):
    """True when something answers HTTP on the port."""
    try:
        conn = http.client.HTTPConnection("127.0.0.1", port, timeout=2)
        conn.request("OPTIONS", "/")
        conn.getresponse().read()
        conn.close()
        return True
    except OSError:
        return False


# Servers ---------------------------------------------------------------------

class Server:
    """A server process on 127.0.0.1:port with its storage in `folder`;
    start() and stop() may be repeated (the storage stays)."""

    name = ""
    has_auth = False

    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.port = free_port()
        self.process = None
        self.log_path = os.path.join(folder, "server.log")

    def command(self):
        raise NotImplementedError

    def start(self):
        log = open(self.log_path, "ab")
        self.process = subprocess.Popen(self.command(), stdout=log, stderr=subprocess.STDOUT,
                                        stdin=subprocess.DEVNULL, cwd=self.folder,
                                        start_new_session=True)
        log.close()
        try:
            wait_until(lambda: self.process.poll() is None and answers(self.port), 30, self.name)
        except FixtureError:
            self.stop()
            raise FixtureError("%s did not start:\n%s" % (self.name, self.log_tail()))

    def kill(self):
        """Ends the server at once, as a crash would."""
        if self.process and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()

    def stop(self):
        if self.process and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.kill()
        self.process = None

    def log_tail(self, lines=30):
        try:
            with open(self.log_path, "rb") as f:
                return b"\n".join(f.read().splitlines()[-lines:]).decode(errors="replace")
        except OSError:
            return ""


class Radicale(Server):
    name = "radicale"
    has_auth = True

    def command(self):
        users = os.path.join(self.folder, "users")
        with open(users, "w", encoding="utf-8") as f:
            f.write("%s:%s\n" % (USER, PASSWORD))
        config = os.path.join(self.folder, "config")
        with open(config, "w", encoding="utf-8") as f:
            f.write("[server]\nhosts = 127.0.0.1:%d\n"
                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %s\n"
                    "htpasswd_encryption = plain\ndelay = 0\n"
                    "[rights]\ntype = owner_only\n"
                    "[storage]\nfilesystem_folder = %s\n"
                    "[web]\ntype = none\n"
                    "[logging]\nlevel = warning\n"
                    % (self.port, users, os.path.join(self.folder, "collections")))
        return ["radicale", "--config", config]


class Xandikos(Server):
    """Xandikos has no authentication of its own: its proxy checks it."""

    name = "xandikos"

    def command(self):
        return ["xandikos", "-d", os.path.join(self.folder, "data"), "-l", "127.0.0.1",
                "-p", str(self.port), "--autocreate",
                "--current-user-principal", "/%s/" % USER]


SERVERS = {"radicale": Radicale, "xandikos": Xandikos}


# The proxy -------------------------------------------------------------------

HOP_HEADERS = {"connection", "keep-alive", "proxy-authenticate", "proxy-authorization", "te",
               "trailer", "transfer-encoding", "upgrade", "expect", "content-length"}

EMPTY_MULTISTATUS = b'<?xml version="1.0" encoding="utf-8"?>\n<multistatus xmlns="DAV:"/>\n'


def is_listing(method, headers, body):
    """A listing of a collection's members: PROPFIND of depth 1, or a REPORT
    that is no multiget (sync-collection, calendar-query, addressbook-query)."""
    if method == "PROPFIND":
        return headers.get("Depth", "").strip() == "1"
    return method == "REPORT" and b"multiget" not in body


class Request:
    """One logged request: what came and how it was answered."""

    def __init__(self, method, path, depth, body):
        self.method, self.path, self.depth, self.body = method, path, depth, body
        self.status = None  # None: no answer (connection closed)
        self.fault = ""
        self.answer = b""  # the body passed on, for the logs of failures

    def __repr__(self):
        return "%s %s%s -> %s%s" % (self.method, self.path,
                                    " (Depth %s)" % self.depth if self.depth else "",
                                    self.status if self.status is not None else "closed",
                                    " [%s]" % self.fault if self.fault else "")


class FaultProxy:
    """Forwards to the server on 127.0.0.1:`backend_port`; `auth` (user,
    password) makes it check Basic authentication itself.

    Faults are armed for the next `count` requests that `match(request,
    headers)` accepts (every request when match is None):
      status   answers with that status (401 with a challenge)
      delay    waits `seconds` and then forwards (the client has given up)
      cut      forwards, then sends the head and half the body and closes
      lost     forwards, then closes without an answer (the request landed)
      empty    answers a listing with an empty multistatus
      drop     closes the connection without an answer
    `hook(request, phase)` runs before forwarding ("before") and after the
    server's answer, before it is passed on ("after")."""

    def __init__(self, backend_port, auth=None):
        self.backend_port = backend_port
        self.auth = basic_auth(*auth) if auth else None
        self.log = []
        self.faults = []
        self.hook = None
        self.active = 0  # requests being served
        self.lock = threading.Lock()
        proxy = self

        class Handler(ProxyHandler):
            pass

        Handler.proxy = proxy
        self.server = QuietServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        self.url = "http://127.0.0.1:%d/" % self.port
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()

    def arm(self, kind, count=1, match=None, **options):
        with self.lock:
            self.faults.append(dict(kind=kind, count=count, match=match, **options))

    def disarm(self):
        with self.lock:
            self.faults.clear()
        self.hook = None

    def armed(self):
        with self.lock:
            return sum(f["count"] for f in self.faults)

    def take(self, request, headers):
        with self.lock:
            for fault in self.faults:
                if fault["count"] > 0 and (fault["match"] is None
                                           or fault["match"](request, headers)):
                    fault["count"] -= 1
                    return fault
        return None

    def mark(self):
        with self.lock:
            return len(self.log)

    def since(self, mark):
        with self.lock:
            return list(self.log[mark:])

    def record(self, request):
        with self.lock:
            self.log.append(request)

    def busy(self, change):
        with self.lock:
            self.active += change

    def wait_idle(self, seconds=15):
        """Waits until no request is being served (a delayed one landed)."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            with self.lock:
                if self.active == 0:
                    return
            time.sleep(0.05)


class QuietServer(ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        """A client killed or cut off mid-request is what the tests do."""
        if not isinstance(sys.exc_info()[1], OSError):
            super().handle_error(request, client_address)


class ProxyHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    proxy = None  # the FaultProxy, set per server

    def log_message(self, *args):
        pass

    def __getattr__(self, name):
        if name.startswith("do_"):
            return self.handle_any
        raise AttributeError(name)

    def read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            body = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return body
                body += self.rfile.read(size)
                self.rfile.readline()
        return self.rfile.read(int(self.headers.get("Content-Length") or 0))

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def handle_any(self):
        proxy = self.proxy
        body = self.read_body()
        request = Request(self.command, self.path, self.headers.get("Depth"), body)
        proxy.record(request)
        proxy.busy(1)
        try:
            self.serve(proxy, request, body)
        except OSError:
            self.close_connection = True  # the client went away
        finally:
            proxy.busy(-1)
        if request.status is None:
            self.close_connection = True

    def serve(self, proxy, request, body):
        if proxy.auth and self.headers.get("Authorization") != proxy.auth:
            request.status = 401
            self.answer(401, b"authentication required\n",
                        [("WWW-Authenticate", 'Basic realm="test"')])
            return
        fault = proxy.take(request, self.headers)
        kind = fault["kind"] if fault else ""
        request.fault = kind
        if kind == "status":
            request.status = fault["status"]
            extra = [("WWW-Authenticate", 'Basic realm="test"')] if request.status == 401 else []
            self.answer(request.status, b"fault injected by the test proxy\n", extra)
            return
        if kind == "drop":
            return
        if kind == "empty" and is_listing(request.method, self.headers, body):
            request.status = 207
            self.answer(207, EMPTY_MULTISTATUS,
                        [("Content-Type", 'application/xml; charset="utf-8"')])
            return
        if kind == "delay":
            time.sleep(fault["seconds"])
        if proxy.hook:
            proxy.hook(request, "before")
        answer = self.forward(proxy, request, body)
        if answer is None:
            return  # the server is gone: the client sees the connection close
        status, reason, headers, data = answer
        if proxy.hook:
            proxy.hook(request, "after")
        if kind == "lost":
            return
        if kind == "cut":
            self.send_response(status, reason)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(data) + 100))
            self.end_headers()
            self.wfile.write(data[:len(data) // 2])
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        request.status = status
        request.answer = data
        self.send_response(status, reason)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def forward(self, proxy, request, body):
        headers = {k: v for k, v in self.headers.items() if k.lower() not in HOP_HEADERS}
        if proxy.auth:
            headers.pop("Authorization", None)
        try:
            conn = http.client.HTTPConnection("127.0.0.1", proxy.backend_port, timeout=900)
            conn.request(self.command, self.path, body=body if body or self.command in (
                "PUT", "POST", "PROPFIND", "REPORT", "PROPPATCH", "MKCOL", "MKCALENDAR")
                else None, headers=headers)
            resp = conn.getresponse()
            data = resp.read()
            conn.close()
        except (OSError, http.client.HTTPException):
            return None
        kept = [(k, v) for k, v in resp.getheaders() if k.lower() not in HOP_HEADERS]
        if self.command == "HEAD" and resp.getheader("Content-Length"):
            data = b""
        return resp.status, resp.reason, kept, data


# Items -----------------------------------------------------------------------

def unfold(text):
    """The content lines of an iCalendar or vCard text, folding undone."""
    lines = []
    for line in text.replace("\r\n", "\n").split("\n"):
        if line[:1] in (" ", "\t") and lines:
            lines[-1] += line[1:]
        elif line:
            lines.append(line)
    return lines


def split_line(line):
    """(NAME, params text, value) of a content line; a colon inside a quoted
    parameter value does not end the name."""
    quoted = False
    for i, c in enumerate(line):
        if c == '"':
            quoted = not quoted
        elif c == ":" and not quoted:
            head, value = line[:i], line[i + 1:]
            name, _, params = head.partition(";")
            return name.upper(), params, value
    return line.upper(), "", ""


def escape(text):
    return (text.replace("\\", "\\\\").replace(";", "\\;").replace(",", "\\,")
            .replace("\r\n", "\n").replace("\n", "\\n"))


def unescape(value):
    out, i = [], 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            n = value[i + 1]
            out.append("\n" if n in "nN" else n)
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def fold(line):
    """A content line folded at 75 octets, never inside a character."""
    data = line.encode("utf-8")
    if len(data) <= 75:
        return line + "\r\n"
    parts, start, limit = [], 0, 75
    while start < len(data):
        end = min(start + limit, len(data))
        while end < len(data) and (data[end] & 0xC0) == 0x80:
            end -= 1
        parts.append(data[start:end].decode("utf-8"))
        start, limit = end, 74
    return "\r\n ".join(parts) + "\r\n"


class Item:
    """An item's content lines, kept as the server sent them, with lookups
    and edits of single properties."""

    def __init__(self, text):
        self.lines = unfold(text)

    def text(self):
        return "".join(fold(line) for line in self.lines)

    def values(self, name):
        return [split_line(line)[2] for line in self.lines if split_line(line)[0] == name]

    def value(self, name):
        found = self.values(name)
        return unescape(found[0]) if found else None

    def lines_of(self, name):
        return [line for line in self.lines if split_line(line)[0] == name]

    def set(self, name, text, raw=False):
        """Replaces the first such property's value (or adds it before the
        component's end)."""
        value = text if raw else escape(text)
        for i, line in enumerate(self.lines):
            n, params, _ = split_line(line)
            if n == name:
                self.lines[i] = "%s%s:%s" % (n, ";" + params if params else "", value)
                return
        self.add("%s:%s" % (name, value))

    def add(self, line):
        """Adds a line before the innermost component's end."""
        end = max(i for i, l in enumerate(self.lines) if l.upper().startswith("END:")
                  and l.upper() != "END:VCALENDAR")
        self.lines.insert(end, line)

    def remove(self, name):
        self.lines = [line for line in self.lines if split_line(line)[0] != name]


def utc_stamp(seconds):
    return time.strftime("%Y%m%dT%H%M%SZ", time.gmtime(seconds))


def journal_text(uid, title, body, stamp, extra=()):
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Korvane tests//phone//EN",
             "BEGIN:VJOURNAL", "UID:" + uid, "DTSTAMP:" + stamp, "LAST-MODIFIED:" + stamp,
             "SUMMARY:" + escape(title), "DESCRIPTION:" + escape(body), *extra,
             "END:VJOURNAL", "END:VCALENDAR"]
    return "".join(fold(line) for line in lines)


def card_text(uid, name, tel, note, stamp, extra=()):
    lines = ["BEGIN:VCARD", "VERSION:3.0", "UID:" + uid, "FN:" + escape(name),
             "N:%s;;;;" % escape(name)]
    if tel:
        lines.append("TEL;TYPE=CELL:" + escape(tel))
    if note:
        lines.append("NOTE:" + escape(note))
    lines += [*extra, "REV:" + stamp, "END:VCARD"]
    return "".join(fold(line) for line in lines)


# The phone -------------------------------------------------------------------

NS = {"d": "DAV:", "c": "urn:ietf:params:xml:ns:caldav", "a": "urn:ietf:params:xml:ns:carddav"}
PROPFIND_COLLECTIONS = (
    b'<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:" '
    b'xmlns:c="urn:ietf:params:xml:ns:caldav"><d:prop><d:resourcetype/><d:displayname/>'
    b'<c:supported-calendar-component-set/></d:prop></d:propfind>')


class DavClient:
    """A phone on the account, talking to the server directly (its requests
    do not show in the program's request log)."""

    def __init__(self, port, user=USER, password=PASSWORD, timeout=60):
        self.port = port
        self.auth = basic_auth(user, password)
        self.timeout = timeout

    def request(self, method, path, body=None, headers=None, ok=(200, 201, 204, 207)):
        all_headers = {"Authorization": self.auth}
        all_headers.update(headers or {})
        if isinstance(body, str):
            body = body.encode("utf-8")
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=self.timeout)
        conn.request(method, path, body=body, headers=all_headers)
        resp = conn.getresponse()
        data = resp.read()
        conn.close()
        if ok and resp.status not in ok:
            raise FixtureError("phone: %s %s -> %d %s\n%s" % (method, path, resp.status,
                                                             resp.reason,
                                                             data.decode(errors="replace")))
        return resp.status, resp, data

    def propfind(self, path, body, depth):
        """{href: prop element} of a PROPFIND's successful properties."""
        _, _, data = self.request("PROPFIND", path, body,
                                  {"Depth": str(depth),
                                   "Content-Type": 'application/xml; charset="utf-8"'})
        found = {}
        for response in ET.fromstring(data).findall("d:response", NS):
            href = urllib.parse.unquote(response.findtext("d:href", "", NS))
            prop = ET.Element("prop")
            for propstat in response.findall("d:propstat", NS):
                if " 200 " in (propstat.findtext("d:status", "", NS) + " "):
                    for p in propstat.findall("d:prop", NS):
                        prop.extend(list(p))
            found[href] = prop
        return found

    def home_sets(self):
        body = (b'<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:">'
                b'<d:prop><d:current-user-principal/></d:prop></d:propfind>')
        principal = next(iter(self.propfind("/", body, 0).values()))
        href = principal.findtext("d:current-user-principal/d:href", None, NS)
        body = (b'<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:" '
                b'xmlns:c="urn:ietf:params:xml:ns:caldav" '
                b'xmlns:a="urn:ietf:params:xml:ns:carddav"><d:prop><c:calendar-home-set/>'
                b'<a:addressbook-home-set/></d:prop></d:propfind>')
        homes = next(iter(self.propfind(href, body, 0).values()))
        return (urllib.parse.unquote(homes.findtext("c:calendar-home-set/d:href", "", NS)),
                urllib.parse.unquote(homes.findtext("a:addressbook-home-set/d:href", "", NS)))

    def collections(self):
        """[(kind "calendar"/"addressbook", href, display name, components)]."""
        found = {}
        for home in self.home_sets():
            for href, prop in self.propfind(home, PROPFIND_COLLECTIONS, 1).items():
                types = [t.tag for t in prop.findall("d:resourcetype/*", NS)]
                kind = ("calendar" if "{%s}calendar" % NS["c"] in types else
                        "addressbook" if "{%s}addressbook" % NS["a"] in types else None)
                if kind:
                    comps = [c.get("name") for c in
                             prop.findall("c:supported-calendar-component-set/c:comp", NS)]
                    found[href] = (kind, href, prop.findtext("d:displayname", "", NS), comps)
        return sorted(found.values())

    def collection(self, kind, name):
        """The href of the collection of that kind and name; fails unless
        there is exactly one."""
        hits = [c[1] for c in self.collections() if c[0] == kind and c[2] == name]
        if len(hits) != 1:
            raise FixtureError("phone: %d collections %r of kind %s: %r"
                               % (len(hits), name, kind, self.collections()))
        return hits[0]

    def etags(self, collection):
        """{href: etag} of the collection's members."""
        body = (b'<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:">'
                b'<d:prop><d:getetag/><d:resourcetype/></d:prop></d:propfind>')
        members = self.propfind(collection, body, 1)
        return {href: prop.findtext("d:getetag", "", NS) for href, prop in members.items()
                if href.rstrip("/") != collection.rstrip("/")
                and prop.find("d:resourcetype/d:collection", NS) is None}

    def get(self, href):
        _, resp, data = self.request("GET", urllib.parse.quote(href), ok=(200,))
        return data.decode("utf-8"), resp.getheader("ETag")

    def items(self, collection):
        """{href: Item} of every member (one deleted since the listing is
        left out: the program may be syncing meanwhile)."""
        found = {}
        for href in self.etags(collection):
            status, _, data = self.request("GET", urllib.parse.quote(href), ok=(200, 404))
            if status == 200:
                found[href] = Item(data.decode("utf-8"))
        return found

    def put(self, href, text, etag=None):
        """Writes an item: a new one (If-None-Match) or over `etag`."""
        headers = {"Content-Type": "text/vcard; charset=utf-8" if "BEGIN:VCARD" in text
                   else "text/calendar; charset=utf-8"}
        if etag:
            headers["If-Match"] = etag
        else:
            headers["If-None-Match"] = "*"
        _, resp, _ = self.request("PUT", urllib.parse.quote(href), text, headers)
        return resp.getheader("ETag")

    def delete(self, href, etag=None):
        self.request("DELETE", urllib.parse.quote(href), headers={"If-Match": etag} if etag
                     else None)

    def make_calendar(self, href, name, components=("VJOURNAL",)):
        comps = "".join('<c:comp name="%s"/>' % c for c in components)
        body = ('<?xml version="1.0" encoding="utf-8"?><c:mkcalendar xmlns:d="DAV:" '
                'xmlns:c="urn:ietf:params:xml:ns:caldav"><d:set><d:prop><d:displayname>%s'
                '</d:displayname><c:supported-calendar-component-set>%s'
                '</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>'
                % (name, comps))
        self.request("MKCALENDAR", urllib.parse.quote(href), body,
                     {"Content-Type": 'application/xml; charset="utf-8"'})

    def rename(self, href, name):
        """Gives a collection another display name, as a phone's user may."""
        self.request("PROPPATCH", urllib.parse.quote(href), rename_body(name),
                     {"Content-Type": 'application/xml; charset="utf-8"'})

    def make_addressbook(self, href, name):
        body = ('<?xml version="1.0" encoding="utf-8"?><d:mkcol xmlns:d="DAV:" '
                'xmlns:a="urn:ietf:params:xml:ns:carddav"><d:set><d:prop><d:resourcetype>'
                '<d:collection/><a:addressbook/></d:resourcetype><d:displayname>%s'
                '</d:displayname></d:prop></d:set></d:mkcol>' % name)
        self.request("MKCOL", urllib.parse.quote(href), body,
                     {"Content-Type": 'application/xml; charset="utf-8"'})


def rename_body(name):
    return ('<?xml version="1.0" encoding="utf-8"?><d:propertyupdate xmlns:d="DAV:"><d:set>'
            '<d:prop><d:displayname>%s</d:displayname></d:prop></d:set></d:propertyupdate>'
            % name)


class Account:
    """A server behind its proxy, and a phone on it. The program is given
    `url`; the phone talks to the server itself."""

    def __init__(self, kind, folder):
        self.server = SERVERS[kind](folder)
        self.server.start()
        self.proxy = FaultProxy(self.server.port,
                                None if self.server.has_auth else (USER, PASSWORD))
        self.phone = DavClient(self.server.port)
        self.url = self.proxy.url

    def close(self):
        self.proxy.close()
        self.server.stop()
