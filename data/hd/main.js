/* Korvane list page: the functions the program and the rendered lists call.
 *
 * The page asks the program for work by navigating to pseudo-URLs on the
 * command host; the program cancels those navigations and carries them out,
 * so the page itself never leaves. Lists arrive as the inner HTML of #MyWinS.
 */

var COMMAND_BASE = "http://command.korvane.invalid/";
var RESTORE_URL = "http://restore.korvane.invalid/";

var RECORD_CODES = { EdNo: 1, DeNo: 1, EdCn: 1, DeCn: 1 };
/* The trash's buttons on a record: put it back, remove it for good. */
var TRASH_CODES = { TrRe: 1, TrPu: 1 };

/* How long the update control stays armed after its first click (ms). */
var UPDATE_ARM_MS = 4000;

function Go(url) {
    location.href = url;
}

function Command(code) {
    Go(COMMAND_BASE + code);
}

/* Calls window.external.MyDoEx(0, 0, 0, 0, 0, n, "", "", "", "") when the host
 * provides it. Returns false when there is no such method or the call failed. */
function CallHost(n) {
    try {
        var ext = window.external;
        if (!ext || typeof ext.MyDoEx === "undefined") return false;
        ext.MyDoEx(0, 0, 0, 0, 0, n, "", "", "", "");
        return true;
    } catch (e) {
        return false;
    }
}

/* ---- The page's texts ------------------------------------------------- */

/* The page's texts in the program's language: before its start-up call the
 * program sets window.kvTexts, an object from each Chinese text as this page
 * writes it to the text to show. The Chinese here is the fallback. */
function T(text) {
    var texts = window.kvTexts;
    return texts && typeof texts === "object" && typeof texts[text] === "string" ? texts[text] : text;
}

var TEXT_ATTRIBUTES = ["title", "placeholder", "aria-label"];

/* The static texts of main.html in the program's language: the texts and
 * named attributes of every element outside the list, whose records are the
 * user's own texts (its loading notice aside). */
function ApplyTexts(root) {
    for (var i = 0; i < TEXT_ATTRIBUTES.length; i++) {
        var name = TEXT_ATTRIBUTES[i];
        if (root.hasAttribute && root.hasAttribute(name)) root.setAttribute(name, T(root.getAttribute(name)));
    }
    for (var node = root.firstChild; node; node = node.nextSibling) {
        if (node.nodeType === 3) {
            var text = node.nodeValue.trim();
            if (text && T(text) !== text) node.nodeValue = node.nodeValue.replace(text, T(text));
        } else if (node.nodeType === 1 && (node.id !== "MyWinS" || node.querySelector(".loading"))) {
            ApplyTexts(node);
        }
    }
}

/* ---- Called by the program ------------------------------------------- */

/* The stylesheet's one word, the label before a contact's telephone, comes
 * from the table too: the stylesheet reads it from a custom property. */
function ApplyStyleTexts() {
    var tel = T("电话");
    if (/["\\\n]/.test(tel)) return;
    document.documentElement.style.setProperty("--tel-label", '"' + tel + ' "');
}

function BodyLoad() {
    ApplyTexts(document.body);
    ApplyStyleTexts();
    /* A page loaded again after it was given back while the window was
     * hidden comes back where it was. */
    var resume = TakeResume();
    if (resume) {
        Resume(resume);
        return;
    }
    /* A search typed while the page was starting goes on. */
    if (FindText(FindBoxValue())) {
        FindNow();
        return;
    }
    ShowList(0);
}

/* Called by the program when the window is shown again over this page: the
 * standard look, and what is on screen asked for anew at the same place, in
 * the same tab or search (the notebook may have changed meanwhile). */
function Reshown() {
    stit();
    if (!list.parts) return;  /* not started yet: its start-up call comes */
    if (Finding()) {
        FindAgain();
        return;
    }
    list.target = { place: list.place, offset: list.offset, bottom: list.pinned };
    var first = list.pinned ? Math.max(0, list.total - WINDOW) : Math.max(0, list.place - 10);
    Request(first, WINDOW + 10, "replace");
}

/* Where the page is, for the program to keep while the window is hidden
 * (JSON): the tab, the place, and the search with the place it returns to. */
function PageState() {
    return JSON.stringify({
        kind: list.kind,
        place: list.place,
        offset: list.offset,
        pinned: list.pinned,
        query: Finding() ? find.query : "",
        back: Finding() ? find.back : null
    });
}

/* The place the program handed back before the start-up call, checked. */
function TakeResume() {
    var state = window.kvResume;
    window.kvResume = undefined;
    if (!state || typeof state !== "object") return null;
    var whole = function (n) { return typeof n === "number" && isFinite(n) && n >= 0 ? Math.floor(n) : 0; };
    var back = state.back && typeof state.back === "object" ? state.back : null;
    return {
        kind: KindOf(state.kind),
        place: whole(state.place),
        offset: whole(state.offset),
        pinned: state.pinned === true,
        query: typeof state.query === "string" ? state.query : "",
        back: back ? { kind: PlainKind(back.kind), place: whole(back.place),
                       offset: whole(back.offset) } : null
    };
}

function Resume(state) {
    ListParts();
    var box = document.getElementById("findBox");
    if (FoundKind(state.kind) && FindText(state.query) && box) {
        box.value = state.query;
        list.kind = state.kind === TRASH_FOUND ? TRASH : 0;
        FindNow();
        find.back = state.back;
        list.target = { place: state.place, offset: state.offset, bottom: false };
        return;
    }
    var kind = PlainKind(state.kind);
    MarkTab(kind);
    list.kind = kind;
    list.target = { place: state.place, offset: state.offset, bottom: state.pinned };
    Request(Math.max(0, state.place - 10), WINDOW + 10, "replace");
}

/* Compact view: the window lost its bars, so the page drops its own top bar
 * and offers a small control to get the standard view back. */
function htit() {
    document.documentElement.classList.add("compact");
}

/* The root keeps its other classes: "dark" is the program's. */
function stit() {
    document.documentElement.classList.remove("compact");
}

/* ---- Called by the rendered lists ------------------------------------ */

function Newc(kind) {
    Command(Number(kind) === 1 ? "New1/" : "New0/");
}

/* code: EdNo, DeNo, EdCn or DeCn; id: the decimal record number. Anything
 * else is refused, so no other text can reach the program's statements. */
function EditDel(code, id) {
    var number = String(id).replace(/^\s+|\s+$/g, "");
    if (!RECORD_CODES.hasOwnProperty(code) || !/^[0-9]{1,18}$/.test(number)) return false;
    Command(code + "/" + number + "/");
    return true;
}

/* code: TrRe or TrPu; id: the trash's decimal number of the copy. */
function TrashDo(code, id) {
    var number = String(id).replace(/^\s+|\s+$/g, "");
    if (!TRASH_CODES.hasOwnProperty(code) || !/^[0-9]{1,18}$/.test(number)) return false;
    Command(code + "/" + number + "/");
    return true;
}

/* ---- The page's own controls ------------------------------------------ */

/* The page runs no inline script (its policy forbids it), so every control
 * gets its handler here. The record boxes name their commands in data
 * attributes: data-code and data-id on the icons, data-new on the list's
 * "new" button. One listener serves them all, and acts only on the
 * program's own controls in their places, whatever a stored text holds. */
function ClickedCommand(event) {
    var target = event.target;
    if (!target || !target.closest) return false;
    var icon = target.closest(".tm > img[data-code]");
    if (icon) return EditDel(icon.getAttribute("data-code"), icon.getAttribute("data-id"));
    var trash = target.closest(".tm > button[data-trash]");
    if (trash) return TrashDo(trash.getAttribute("data-trash"), trash.getAttribute("data-id"));
    var add = target.closest(".New > input[data-new]");
    if (add) {
        Newc(add.getAttribute("data-new"));
        return true;
    }
    if (target.closest(".New > input[data-empty]")) {
        Command("TrEm/");
        return true;
    }
    return false;
}

function AttachControls() {
    var on = function (id, handler) {
        var control = document.getElementById(id);
        if (control) control.addEventListener("click", handler);
    };
    on("tabNotes", function () { ShowList(0); });
    on("tabContacts", function () { ShowList(1); });
    on("tabTrash", function () { ShowTrash(); });
    on("btnUndo", function () { Undo(); });
    on("btnUpdate", function (event) { AskUpdate(event.currentTarget); });
    on("btnStandard", function () { ShowStandard(); });
    document.addEventListener("click", function (event) {
        if (ClickedCommand(event)) event.preventDefault();
    });
}

var shownKind = 0;

/* The tab of the list shown; the trash's tab also while its records are
 * searched. The search field says what it searches. */
function MarkTab(kind) {
    shownKind = kind;
    var tabs = { tabNotes: kind === 0, tabContacts: kind === 1, tabTrash: InTrash(kind) };
    for (var id in tabs) {
        var tab = document.getElementById(id);
        if (!tab) continue;
        tab.className = tabs[id] ? "tab active" : "tab";
        tab.setAttribute("aria-selected", tabs[id] ? "true" : "false");
    }
    var box = document.getElementById("findBox");
    if (box && kind !== FOUND) {
        var hint = InTrash(kind) ? T("查找回收站") : T("查找记事和联系人");
        box.placeholder = hint;
        box.setAttribute("aria-label", hint);
    }
}

/* kind 0 asks for the notes list, 1 for the contacts list. */
function ShowList(kind) {
    kind = Number(kind) === 1 ? 1 : 0;
    ForgetFind();
    HideUndo();
    MarkTab(kind);
    WaitForList();
    Command(kind === 1 ? "reCont/" : "reNote/");
}

/* The trash: what was deleted, newest first, in the same list. */
function ShowTrash() {
    ForgetFind();
    HideUndo();
    MarkTab(TRASH);
    WaitForList();
    Command("reTrash/");
}

/* ---- Taking a delete back ----------------------------------------------
 *
 * After a delete the program calls ShowUndo with the record's kind and
 * number: a bar offers "撤销" for UNDO_MS. A later delete replaces it (the
 * undo is for the last delete); it leaves when the time is up, when the undo
 * is sent, or when another list is shown.
 */

var UNDO_MS = 10000;
var undo = { code: "", id: "", timer: null };

function ShowUndo(kind, id) {
    var number = String(id);
    if (!/^[0-9]{1,18}$/.test(number)) return false;
    var bar = document.getElementById("undoBar");
    if (!bar) return false;
    HideUndo();
    undo.code = Number(kind) === 1 ? "UnCn" : "UnNo";
    undo.id = number;
    undo.timer = setTimeout(HideUndo, UNDO_MS);
    bar.className = "undo-bar on";
    return true;
}

function HideUndo() {
    if (undo.timer !== null) clearTimeout(undo.timer);
    undo.timer = null;
    undo.code = "";
    undo.id = "";
    var bar = document.getElementById("undoBar");
    if (bar) bar.className = "undo-bar";
}

function Undo() {
    if (!undo.code) return false;
    var command = undo.code + "/" + undo.id + "/";
    HideUndo();
    Command(command);
    return true;
}

function ShowStandard() {
    if (!CallHost("SHOW")) Go(RESTORE_URL);
}

/* The update hands the program over to the updater and ends it, so the
 * control wants a second click within a few seconds. */
var updateTimer = null;

function AskUpdate(button) {
    if (updateTimer === null) {
        button.setAttribute("data-label", button.innerHTML);
        button.innerHTML = T("再次点击确认更新");
        button.className = "tool armed";
        updateTimer = setTimeout(function () { DisarmUpdate(button); }, UPDATE_ARM_MS);
        return;
    }
    DisarmUpdate(button);
    CallHost("UPFS");
}

function DisarmUpdate(button) {
    if (updateTimer !== null) clearTimeout(updateTimer);
    updateTimer = null;
    var label = button.getAttribute("data-label");
    if (label) button.innerHTML = label;
    button.className = "tool";
}

/* ---- The list: a window onto a list of any length ----------------------
 *
 * The page never holds a whole list. The program answers each request with
 * the list's header, its record count and the record boxes of one window;
 * the page keeps the boxes near what the user sees and asks for more
 * (command WiNo or WiCn with first position, count and a request number) as
 * the user moves. The place in the list is a record number and a pixel offset
 * into that record, so boxes arriving or leaving above never move what the
 * user looks at, and the scroll bar stands for records, not pixels: it covers
 * the whole list however tall its boxes are.
 */

var WINDOW = 50;          /* records per request */
var KEEP_BEFORE = 80;     /* boxes kept above the place before older ones go */
var KEEP_AFTER = 130;     /* and below it */
var BUSY_MS = 200;        /* a request slower than this shows the busy sign */
var RETRY_MS = 4000;      /* an unanswered request is given up after this */
var LINE_PX = 40;         /* one arrow key or wheel line */

var list = {
    kind: 0,
    total: 0,
    first: 0,        /* list position of the first box in the page */
    boxes: [],       /* the box wrappers, in list order */
    place: 0,        /* list position of the record at the top of the view */
    offset: 0,       /* pixels of that record above the view's top */
    pinned: false,   /* the view stays at the end of the list (after End) */
    pending: null,   /* the request in flight */
    serial: 0,
    target: null,    /* where a jump lands once its window arrives */
    busyTimer: null,
    retryTimer: null,
    parts: null      /* the elements of the list area */
};

function ListParts() {
    var root = document.getElementById("MyWinS");
    if (!root) return null;
    if (list.parts && list.parts.root === root && root.contains(list.parts.port)) return list.parts;
    root.innerHTML = '<div class="vhead"></div><div class="vport"><div class="vbody"></div>' +
        '<div class="vbar"><div class="vthumb"></div></div>' +
        '<div class="vbusy">' + T("正在载入…") + '</div></div>';
    ReadyForReaders(root);
    list.parts = {
        root: root,
        head: root.querySelector(".vhead"),
        port: root.querySelector(".vport"),
        body: root.querySelector(".vbody"),
        bar: root.querySelector(".vbar"),
        thumb: root.querySelector(".vthumb"),
        busy: root.querySelector(".vbusy")
    };
    WatchInput(list.parts);
    return list.parts;
}

/* Called by the program with one answer:
 *   mode   "show" (a list from its top), "refresh" (the list after a change;
 *          keep the place) or "window" (the answer to a request of ours),
 *   kind, total, first, serial, header (markup), boxes (markup, one each). */
function KvList(answer) {
    var parts = ListParts();
    if (!parts) return;
    var keys = FocusInList();
    TakeList(parts, answer);
    KeepRoveHeld();
    if (rove.want >= 0) TakeWant();
    else if (keys && !FocusInList()) FocusRove();
}

function TakeList(parts, answer) {
    var kind = KindOf(answer.kind);
    /* After the user's own save the list shows its top, where the saved
     * record now is; otherwise a save is a change like any other. */
    if (answer.mode === "saved") {
        if (!Finding() && kind === list.kind && list.boxes.length) {
            EndRequest();  /* what was on its way belongs to the place left */
            list.target = null;
            list.place = 0;
            list.offset = 0;
            list.pinned = false;
            rove.pos = 0;
            rove.want = -1;
        }
        answer.mode = "refresh";
    }
    /* A change in the lists says nothing about the trash shown, and back. */
    if (answer.mode === "refresh" && InTrash(kind) !== InTrash(list.kind)) return;
    if (answer.mode === "refresh" && Finding()) {
        FindAgain();  /* a record changed: the results again, at the place */
        return;
    }
    if (answer.mode === "window") {
        if (!list.pending || answer.serial !== list.pending.serial || kind !== list.kind) return;
        var how = list.pending.how;
        EndRequest();
        SetHeader(parts, answer);
        TakeWindow(answer, how);
    } else if (answer.mode === "refresh" && kind === list.kind && list.boxes.length) {
        SetHeader(parts, answer);
        Refresh(answer);
    } else {
        EndRequest();
        if (Finding()) ForgetFind();
        list.kind = kind;
        list.place = 0;
        list.offset = 0;
        list.pinned = false;
        list.target = null;
        rove.pos = 0;
        rove.want = -1;
        SetHeader(parts, answer);
        Replace(answer.first, answer.boxes);
    }
    Place();
    Need();
}

function SetHeader(parts, answer) {
    var kind = KindOf(answer.kind);
    MarkTab(kind);
    var total = Math.max(0, answer.total | 0);
    var grown = total !== list.total;
    list.total = total;
    TellHeader(parts, answer.header, kind);
    NameList(parts, kind);
    if (grown) MarkSetSize();
    var name = "list";
    if (kind === 1) name += " contacts";
    if (FoundKind(kind)) name += " found";
    if (InTrash(kind)) name += " trash";
    if (list.total === 0) name += " empty";
    parts.root.className = name;
}

/* After an add, edit or delete the program sends the head of the list. Where
 * the user is at the top it is all that is needed; elsewhere the window at the
 * user's place is asked for again, and the old boxes stay until it comes. */
function Refresh(answer) {
    list.place = Math.min(list.place, Math.max(0, list.total - 1));
    if (list.place < answer.boxes.length || list.total === 0) {
        Replace(0, answer.boxes);
        return;
    }
    list.target = { place: list.place, offset: list.offset, bottom: false };
    Request(Math.max(0, list.place - 10), WINDOW + 10, "replace");
}

function TakeWindow(answer, how) {
    var boxes = answer.boxes;
    var first = answer.first;
    var end = list.first + list.boxes.length;
    if (how === "append" && first === end) {
        Append(boxes);
    } else if (how === "prepend" && first + boxes.length === list.first) {
        Prepend(boxes);
    } else if (how === "replace") {
        Replace(first, boxes);
        Land();
    }
}

/* Boxes far from the view are not laid out until they come near it (see the
 * style sheet), and then take their real height, a frame after they were
 * placed. The view is placed again in the frames after each move, so what the
 * user looks at stays where it is. */
var SETTLE_FRAMES = 3;
var settling = 0;

function SettleSoon() {
    var waiting = settling > 0;
    settling = SETTLE_FRAMES;
    if (waiting) return;
    requestAnimationFrame(function settle() {
        Place(true);
        if (--settling > 0) requestAnimationFrame(settle);
    });
}

function MakeBox(position, markup) {
    var wrap = document.createElement("div");
    wrap.className = "rec";
    wrap.setAttribute("data-i", String(position));
    wrap.innerHTML = markup;
    ClipLong(wrap, markup);
    ReadyForKeys(wrap, position);
    NameRecord(wrap, position);
    return wrap;
}

function Replace(first, markups) {
    var body = list.parts.body;
    body.textContent = "";
    list.first = first;
    list.boxes = [];
    Append(markups);
}

function Append(markups) {
    var body = list.parts.body;
    var at = list.first + list.boxes.length;
    for (var i = 0; i < markups.length; ++i) {
        var box = MakeBox(at + i, markups[i]);
        body.appendChild(box);
        list.boxes.push(box);
    }
}

function Prepend(markups) {
    var body = list.parts.body;
    var before = body.firstChild;
    var added = [];
    for (var i = 0; i < markups.length; ++i) {
        var box = MakeBox(list.first - markups.length + i, markups[i]);
        body.insertBefore(box, before);
        added.push(box);
    }
    list.first -= markups.length;
    list.boxes = added.concat(list.boxes);
}

/* A note longer than a few screens shows its beginning and a control that
 * shows the rest. Whether a box is that long is judged from its markup, so
 * that no box has to be laid out before it comes into view. */
var LONG_MARKUP = 6000;   /* characters of a box's markup */
var LONG_LINES = 45;      /* or line breaks in it */

function IsLong(markup) {
    if (markup.length > LONG_MARKUP || markup.indexOf('<template class="rest">') >= 0) return true;
    var lines = 0;
    for (var at = markup.indexOf("<br"); at >= 0; at = markup.indexOf("<br", at + 3)) {
        if (++lines > LONG_LINES) return true;
    }
    return false;
}

function ClipLong(box, markup) {
    if (!IsLong(markup)) return;
    box.classList.add("clipped");
    var more = document.createElement("button");
    more.type = "button";
    more.className = "more";
    more.textContent = T("展开全文");
    more.onclick = ToggleLong;
    box.appendChild(more);
}

/* The program sends a field of many screens as its beginning and, in a
 * template the page does not lay out, the rest: it joins the field when the
 * user first opens the record. */
function ShowRest(box) {
    var rests = box.querySelectorAll("template.rest");
    for (var i = 0; i < rests.length; ++i) rests[i].replaceWith(rests[i].content);
}

function ToggleLong(event) {
    var box = event.currentTarget.parentNode;
    var open = box.classList.toggle("open");
    if (open) ShowRest(box);
    event.currentTarget.textContent = open ? T("收起") : T("展开全文");
    Place();
    Need();
}

/* ---- Where the view is -------------------------------------------------- */

function BoxTop(index) {
    return list.boxes[index].offsetTop;
}

function ContentHeight() {
    var n = list.boxes.length;
    return n ? BoxTop(n - 1) + list.boxes[n - 1].offsetHeight : 0;
}

/* The pixel position of the view's top in the page's boxes. */
function ViewTop() {
    var index = list.place - list.first;
    if (index < 0 || index >= list.boxes.length) return 0;
    return BoxTop(index) + list.offset;
}

/* Sets the place from a pixel position in the boxes, kept inside them. */
function SetViewTop(y) {
    var n = list.boxes.length;
    if (!n) {
        list.place = list.first;
        list.offset = 0;
        return;
    }
    var max = Math.max(0, ContentHeight() - list.parts.port.clientHeight);
    y = Math.max(0, Math.min(y, max));
    var lo = 0;
    var hi = n - 1;
    while (lo < hi) {
        var mid = (lo + hi + 1) >> 1;
        if (BoxTop(mid) <= y) lo = mid;
        else hi = mid - 1;
    }
    list.place = list.first + lo;
    list.offset = y - BoxTop(lo);
}

/* Lands a jump whose window has arrived. A jump made while the window was on
 * its way (a dragged thumb) asks again for where it now points. */
function Land() {
    var target = list.target;
    list.target = null;
    if (!target || !list.boxes.length) return;
    var end = list.first + list.boxes.length;
    var here = target.bottom ? end === list.total
                             : target.place >= list.first && target.place < end;
    if (!here && target.place < list.total) {
        JumpTo(target.place, target.bottom);
        return;
    }
    list.pinned = !!target.bottom;
    if (target.bottom) {
        SetViewTop(ContentHeight());
        return;
    }
    var index = Math.max(0, Math.min(target.place - list.first, list.boxes.length - 1));
    SetViewTop(BoxTop(index) + (target.offset || 0));
}

/* Moves the boxes to the place; `settled` is set by the frames after a move. */
function Place(settled) {
    var parts = list.parts;
    if (!parts) return;
    if (!settled) SettleSoon();
    if (list.place < list.first || list.place >= list.first + list.boxes.length) {
        list.place = list.first;
        list.offset = 0;
    }
    SetViewTop(list.pinned ? ContentHeight() : ViewTop());
    parts.body.style.transform = "translateY(" + (-ViewTop()) + "px)";
    PlaceThumb();
    KeepRoveHeld();
}

/* ---- Moving ------------------------------------------------------------- */

function ScrollBy(dy) {
    if (!list.boxes.length) return;
    list.pinned = false;
    SetViewTop(ViewTop() + dy);
    Place();
    Need();
}

/* Goes to a list position; `bottom` shows the end of the list instead. */
function JumpTo(position, bottom) {
    if (!list.total) return;
    list.pinned = false;
    position = Math.max(0, Math.min(position, list.total - 1));
    var end = list.first + list.boxes.length;
    var loaded = bottom ? end === list.total && list.boxes.length > 0
                        : position >= list.first && position < end;
    if (loaded) {
        list.target = { place: position, offset: 0, bottom: bottom };
        Land();
        Place();
        Need();
        return;
    }
    list.target = { place: position, offset: 0, bottom: bottom };
    if (list.pending && list.pending.how === "replace") return;  /* lands when it comes */
    var first = bottom ? Math.max(0, list.total - WINDOW) : Math.max(0, position - 10);
    Request(first, WINDOW + 10, "replace");
}

/* ---- Asking the program --------------------------------------------------- */

/* Asks for more boxes when the view comes near the edge of those it holds,
 * and lets boxes far from the view go. */
function Need() {
    if (!list.parts || list.pending || !list.boxes.length) return;
    Trim();
    var view = list.parts.port.clientHeight;
    var top = ViewTop();
    var end = list.first + list.boxes.length;
    if (end < list.total && ContentHeight() - (top + view) < 2 * view + 1) {
        Request(end, WINDOW, "append");
    } else if (list.first > 0 && top < 2 * view + 1) {
        var first = Math.max(0, list.first - WINDOW);
        Request(first, list.first - first, "prepend");
    }
}

function Trim() {
    var index = list.place - list.first;
    var body = list.parts.body;
    var excess = list.boxes.length - (index + KEEP_AFTER);
    if (excess > 0) {
        var gone = list.boxes.splice(list.boxes.length - excess, excess);
        for (var i = 0; i < gone.length; ++i) body.removeChild(gone[i]);
    }
    var before = index - KEEP_BEFORE;
    if (before > 0) {
        var top = list.boxes.splice(0, before);
        for (var j = 0; j < top.length; ++j) body.removeChild(top[j]);
        list.first += before;
        Place();
    }
}

function Request(first, count, how) {
    EndRequest();
    list.serial = (list.serial + 1) % 1000000000;
    list.pending = { serial: list.serial, how: how };
    list.busyTimer = setTimeout(function () { ShowBusy(true); }, BUSY_MS);
    list.retryTimer = setTimeout(function () { EndRequest(); }, RETRY_MS);
    var numbers = first + "/" + count + "/" + list.serial + "/";
    var codes = ["WiNo/", "WiCn/", "Find/", "WiTr/", "FiTr/"];
    var code = codes[list.kind] || codes[0];
    if (FoundKind(list.kind)) Command(code + numbers + EncodeQuery(find.query));
    else Command(code + numbers);
}

/* A list asked for that is late shows the busy sign until it comes. */
function WaitForList() {
    if (!list.parts) return;
    if (list.busyTimer !== null) clearTimeout(list.busyTimer);
    list.busyTimer = setTimeout(function () { ShowBusy(true); }, BUSY_MS);
    if (list.retryTimer !== null) clearTimeout(list.retryTimer);
    list.retryTimer = setTimeout(function () { EndRequest(); }, RETRY_MS);
}

function EndRequest() {
    if (list.busyTimer !== null) clearTimeout(list.busyTimer);
    if (list.retryTimer !== null) clearTimeout(list.retryTimer);
    list.busyTimer = null;
    list.retryTimer = null;
    list.pending = null;
    ShowBusy(false);
}

function ShowBusy(on) {
    if (!list.parts) return;
    list.parts.busy.className = on ? "vbusy on" : "vbusy";
    list.parts.body.setAttribute("aria-busy", on ? "true" : "false");
}

/* ---- The scroll bar --------------------------------------------------------- */

/* Records that fit in the view, from the boxes held. */
function RecordsInView() {
    var n = list.boxes.length;
    if (!n) return 1;
    return Math.max(1, list.parts.port.clientHeight * n / Math.max(1, ContentHeight()));
}

function PlaceThumb() {
    var parts = list.parts;
    var inView = RecordsInView();
    var scrollable = list.total > inView || list.first > 0 ||
        ContentHeight() > parts.port.clientHeight + 1;
    parts.bar.style.display = scrollable ? "block" : "none";
    if (!scrollable) return;
    var track = parts.bar.clientHeight;
    var size = Math.max(24, Math.min(track, track * inView / Math.max(1, list.total)));
    var index = list.place - list.first;
    var height = index >= 0 && index < list.boxes.length ? list.boxes[index].offsetHeight : 1;
    var at = list.place + Math.min(1, list.offset / Math.max(1, height));
    var span = Math.max(1e-9, list.total - inView);
    var fraction = Math.max(0, Math.min(1, at / span));
    var end = list.first + list.boxes.length;
    if (end === list.total && ViewTop() >= ContentHeight() - parts.port.clientHeight - 1) fraction = 1;
    parts.thumb.style.height = size + "px";
    parts.thumb.style.transform = "translateY(" + Math.round((track - size) * fraction) + "px)";
}

/* The position a fraction of the bar stands for. */
function JumpToFraction(fraction) {
    fraction = Math.max(0, Math.min(1, fraction));
    if (fraction >= 0.999) {
        JumpTo(list.total - 1, true);
        return;
    }
    JumpTo(Math.floor(fraction * Math.max(0, list.total - RecordsInView())), false);
}

/* ---- Input -------------------------------------------------------------------- */

function IsTyping(target) {
    if (!target || !target.tagName) return false;
    var tag = target.tagName.toLowerCase();
    if (tag === "input") return !/^(button|submit|reset|checkbox|radio|image)$/i.test(target.type);
    return tag === "textarea" || tag === "select" || target.isContentEditable;
}

function WatchInput(parts) {
    parts.port.addEventListener("wheel", function (event) {
        if (event.ctrlKey) return;
        event.preventDefault();
        var unit = event.deltaMode === 1 ? LINE_PX : event.deltaMode === 2 ? parts.port.clientHeight : 1;
        ScrollBy(event.deltaY * unit);
    }, { passive: false });

    var drag = null;
    parts.thumb.addEventListener("pointerdown", function (event) {
        event.preventDefault();
        event.stopPropagation();
        drag = { grab: event.clientY - parts.thumb.getBoundingClientRect().top };
        parts.thumb.setPointerCapture(event.pointerId);
        parts.thumb.classList.add("held");
    });
    parts.thumb.addEventListener("pointermove", function (event) {
        if (!drag) return;
        var bar = parts.bar.getBoundingClientRect();
        var room = Math.max(1, bar.height - parts.thumb.offsetHeight);
        var fraction = (event.clientY - drag.grab - bar.top) / room;
        parts.thumb.style.transform = "translateY(" + Math.round(Math.max(0, Math.min(1, fraction)) * room) + "px)";
        JumpToFraction(fraction);
    });
    var release = function () {
        drag = null;
        parts.thumb.classList.remove("held");
    };
    parts.thumb.addEventListener("pointerup", release);
    parts.thumb.addEventListener("pointercancel", release);
    parts.bar.addEventListener("pointerdown", function (event) {
        if (event.target !== parts.bar) return;
        var thumb = parts.thumb.getBoundingClientRect();
        var page = parts.port.clientHeight - LINE_PX;
        ScrollBy(event.clientY < thumb.top ? -page : page);
    });
}

document.addEventListener("keydown", function (event) {
    if (FindKey(event) || ShortcutKey(event)) return;
    if (!list.parts || event.ctrlKey || event.altKey || event.metaKey || IsTyping(event.target)) return;
    if (!ListKey(event)) return;
    event.preventDefault();
});

window.addEventListener("resize", function () {
    if (!list.parts) return;
    Place();
    Need();
});

/* ---- The keyboard ----------------------------------------------------------
 *
 * One record of the list is in the Tab order at a time (its box has tabindex
 * 0, every other box -1), and the keys move it: the arrows one record,
 * PgUp/PgDn a screen of records, Home and End to the ends. The virtual list
 * follows: a record beyond the boxes held is asked for and gets the keys once
 * its box has come. Enter opens the focused record's editor and Delete asks
 * to delete it, through the record's own icons, which are buttons named
 * 编辑 and 删除 and are in the Tab order while their record is.
 *
 * The list area never scrolls by itself: whatever the browser scrolls to
 * show a focused element (a link in a note) is taken back, and the virtual
 * list moves to the element instead.
 */

var rove = {
    pos: 0,      /* list position of the record in the Tab order */
    want: -1,    /* a record to focus once its box has come, or -1 */
    pointer: false   /* a press of the mouse is giving the focus */
};

/* Asked at each use: the page's texts come after the script has loaded. */
function ToolName(code) {
    if (code === "Ed") return T("编辑");
    if (code === "De") return T("删除");
    return undefined;
}

function BoxAt(position) {
    var index = position - list.first;
    return index >= 0 && index < list.boxes.length ? list.boxes[index] : null;
}

function PositionOf(box) {
    return Number(box.getAttribute("data-i"));
}

/* The record box holding `element`, or null outside the list's boxes. */
function BoxOf(element) {
    if (!list.parts || !element || !element.closest || !list.parts.body.contains(element)) return null;
    return element.closest(".rec");
}

function FocusInList() {
    return !!list.parts && list.parts.body.contains(document.activeElement);
}

/* The controls of a box: its icons, the trash's buttons, "展开全文". */
function ToolsOf(box) {
    return box.querySelectorAll(".tm > img[data-code], .tm > button[data-trash], :scope > .more");
}

function SetToolsReach(box, reachable) {
    var tools = ToolsOf(box);
    for (var i = 0; i < tools.length; ++i) tools[i].tabIndex = reachable ? 0 : -1;
}

/* A new box: focusable, its icons named buttons, in the Tab order when it is
 * the roving record. The markup itself is left as the program wrote it. */
function ReadyForKeys(box, position) {
    var icons = box.querySelectorAll(".tm > img[data-code]");
    for (var i = 0; i < icons.length; ++i) {
        var name = ToolName(String(icons[i].getAttribute("data-code")).slice(0, 2));
        if (!name) continue;
        icons[i].setAttribute("role", "button");
        icons[i].setAttribute("aria-label", name);
    }
    box.tabIndex = position === rove.pos ? 0 : -1;
    SetToolsReach(box, position === rove.pos);
}

/* Puts the record at `position` in the Tab order in place of the last one. */
function SetRove(position) {
    var old = BoxAt(rove.pos);
    if (old) {
        old.tabIndex = -1;
        SetToolsReach(old, false);
    }
    rove.pos = position;
    var box = BoxAt(position);
    if (box) {
        box.tabIndex = 0;
        SetToolsReach(box, true);
    }
}

/* A roving record whose box has gone hands its place to the top of the
 * view, so Tab always finds a record. */
function KeepRoveHeld() {
    if (list.boxes.length && !BoxAt(rove.pos) && rove.want < 0) SetRove(list.place);
}

/* Moves the virtual list the least that shows `element` whole (its top when
 * it is taller than the view). */
function ShowInView(element) {
    var parts = list.parts;
    var base = parts.body.getBoundingClientRect().top;
    var rect = element.getBoundingClientRect();
    var top = rect.top - base;
    var bottom = rect.bottom - base;
    var view = parts.port.clientHeight;
    var at = ViewTop();
    if (top >= at && bottom <= at + view) return;
    list.pinned = false;
    SetViewTop(top < at || bottom - top > view ? top : bottom - view);
    Place();
    Need();
}

function GiveKeys(box) {
    SetRove(PositionOf(box));
    ShowInView(box);
    box.focus({ preventScroll: true });
}

/* Gives the keys to the record at `position`; `bottom` shows the end of the
 * list. A record not among the boxes held gets them when its box comes. */
function FocusRecord(position, bottom) {
    if (!list.total) return;
    position = Math.max(0, Math.min(position, list.total - 1));
    var box = BoxAt(position);
    if (bottom) JumpTo(position, true);
    if (!box) {
        rove.want = position;
        if (!bottom) JumpTo(position, false);
        TakeWant();
        return;
    }
    rove.want = -1;
    GiveKeys(box);
}

/* Focuses the record asked for once its box is there. */
function TakeWant() {
    if (rove.want < 0) return;
    var box = BoxAt(rove.want);
    if (!box) return;
    rove.want = -1;
    GiveKeys(box);
}

/* The roving record again after a list was written while it had the keys. */
function FocusRove() {
    var box = BoxAt(rove.pos) || BoxAt(list.place);
    if (!box) return;
    SetRove(PositionOf(box));
    box.focus({ preventScroll: true });
}

function InView(box) {
    var top = box.offsetTop - ViewTop();
    return top < list.parts.port.clientHeight && top + box.offsetHeight > 0;
}

/* Whether the focused box goes on past the view in `direction`: then an
 * arrow scrolls through it before it moves on. */
function GoesOnPast(box, direction) {
    var top = box.offsetTop - ViewTop();
    return direction > 0 ? top + box.offsetHeight > list.parts.port.clientHeight + 1 : top < -1;
}

/* The record the keys start from: the focused one, else the roving one when
 * it is in view, else the one at the top of the view. */
function KeyAnchor(box) {
    if (box) return PositionOf(box);
    var held = BoxAt(rove.pos);
    return held && InView(held) ? rove.pos : list.place;
}

function IsToolButton(target) {
    return !!target && target.getAttribute && target.getAttribute("role") === "button";
}

/* The command of the record's icon whose code begins with `prefix`. */
function RecordCommand(box, prefix) {
    var icon = box.querySelector('.tm > img[data-code^="' + prefix + '"]');
    return !!icon && EditDel(icon.getAttribute("data-code"), icon.getAttribute("data-id"));
}

/* The list's keys where no field takes them; true when the key was used. */
function ListKey(event) {
    var target = event.target;
    var box = BoxOf(target);
    var onBox = box !== null && target === box;
    var from = KeyAnchor(box);
    var step = box ? 1 : 0;  /* from outside the list a key first enters it */
    var page = Math.max(1, Math.floor(RecordsInView()));
    var pagePx = list.parts.port.clientHeight - LINE_PX;
    switch (event.key) {
        case "ArrowDown":
            if (onBox && GoesOnPast(box, 1)) ScrollBy(LINE_PX);
            else FocusRecord(from + step, false);
            return true;
        case "ArrowUp":
            if (onBox && GoesOnPast(box, -1)) ScrollBy(-LINE_PX);
            else FocusRecord(from - step, false);
            return true;
        case "PageDown": FocusRecord(from + page, false); return true;
        case "PageUp": FocusRecord(from - page, false); return true;
        case "Home": FocusRecord(0, false); return true;
        case "End": FocusRecord(list.total - 1, true); return true;
        case " ":
            if (IsToolButton(target)) {
                target.click();
                return true;
            }
            if (target && target.tagName && /^(button|a|input)$/i.test(target.tagName)) return false;
            ScrollBy(event.shiftKey ? -pagePx : pagePx);
            return true;
        case "Enter":
            if (IsToolButton(target)) {
                target.click();
                return true;
            }
            return onBox && RecordCommand(box, "Ed");
        case "Delete":
            return box !== null && RecordCommand(box, "De");
        default:
            return false;
    }
}

/* The tab a new record belongs to; -1 in the trash. */
function NewKind() {
    var kind = Finding() ? (find.back ? find.back.kind : 0) : list.kind;
    return InTrash(kind) ? -1 : kind === 1 ? 1 : 0;
}

/* Ctrl+N a new record of the tab shown, Ctrl+1, Ctrl+2 and Ctrl+3 the
 * notes, the contacts and the trash, wherever the keys are. */
function ShortcutKey(event) {
    if (!event.ctrlKey || event.altKey || event.metaKey || event.shiftKey) return false;
    var code = event.code || "";
    var key = String(event.key).toLowerCase();
    if (code === "KeyN" || key === "n") {
        var kind = NewKind();
        if (kind >= 0) Newc(kind);
    } else if (code === "Digit1" || code === "Numpad1" || key === "1") {
        ShowList(0);
    } else if (code === "Digit2" || code === "Numpad2" || key === "2") {
        ShowList(1);
    } else if (code === "Digit3" || code === "Numpad3" || key === "3") {
        ShowTrash();
    } else {
        return false;
    }
    event.preventDefault();
    return true;
}

/* Takes back any scrolling of the list area the browser did on its own. */
function Unscroll() {
    var parts = list.parts;
    if (!parts) return 0;
    var moved = parts.port.scrollTop;
    var areas = [parts.port, parts.root];
    for (var i = 0; i < areas.length; ++i) {
        if (areas[i].scrollTop) areas[i].scrollTop = 0;
        if (areas[i].scrollLeft) areas[i].scrollLeft = 0;
    }
    return moved;
}

/* The ring shows where the keys are while the keys are used: a record
 * focused by script after a key gets no :focus-visible of its own when the
 * page had no focused element before, so the page marks keyboard use. */
document.addEventListener("keydown", function () {
    if (document.body) document.body.classList.add("keys");
}, true);

document.addEventListener("pointerdown", function () {
    if (document.body) document.body.classList.remove("keys");
    rove.pointer = true;
    setTimeout(function () { rove.pointer = false; }, 0);
}, true);

document.addEventListener("focusin", function (event) {
    if (!list.parts) return;
    Unscroll();
    var box = BoxOf(event.target);
    if (!box) return;
    SetRove(PositionOf(box));
    /* A click focuses what is already in view; the keys bring it there. A
     * box far from the view is laid out only once it holds the focus, so
     * the element is shown again when the next frame has its place. */
    if (rove.pointer) return;
    var target = event.target;
    ShowInView(target);
    requestAnimationFrame(function () {
        if (document.activeElement === target && list.parts) ShowInView(target);
    });
});

/* Scroll events do not bubble: caught on their way down. */
document.addEventListener("scroll", function (event) {
    if (!list.parts || (event.target !== list.parts.port && event.target !== list.parts.root)) return;
    var moved = Unscroll();
    var box = BoxOf(document.activeElement);
    if (box) {
        /* The browser scrolled to show a focused element (its focus events
         * may not have come, in a page that is not focused itself). */
        SetRove(PositionOf(box));
        ShowInView(document.activeElement);
    } else if (moved) {
        ScrollBy(moved);
    }
}, true);

/* ---- Finding -------------------------------------------------------------
 *
 * The search field above the list finds notes and contacts as the user
 * types. The results take the list's place in the same windowed list (kind
 * FOUND, command Find), so any number of them scrolls like the list; the
 * place left in the list is kept and taken up again when the search ends.
 */

var FOUND = 2;
var TRASH = 3;        /* the trash (command WiTr) */
var TRASH_FOUND = 4;  /* the finder's results among the trash's records (command FiTr) */
var FIND_DELAY_MS = 90;   /* typing pauses this long before the program is asked */
var FIND_FIRST = 20;      /* results asked for at first: a few screens, little to lay out */

var find = {
    query: "",      /* the text searched for */
    timer: null,
    back: null      /* the list and place to return to: { kind, place, offset } */
};

function KindOf(n) {
    return n === 1 || n === FOUND || n === TRASH || n === TRASH_FOUND ? n : 0;
}

function FoundKind(kind) {
    return kind === FOUND || kind === TRASH_FOUND;
}

function InTrash(kind) {
    return kind === TRASH || kind === TRASH_FOUND;
}

/* The list a kind is shown in: its results belong to the trash or the lists. */
function PlainKind(kind) {
    kind = KindOf(kind);
    return InTrash(kind) ? TRASH : kind === 1 ? 1 : 0;
}

function Finding() {
    return FoundKind(list.kind);
}

function FindBoxValue() {
    var box = document.getElementById("findBox");
    return box ? box.value : "";
}

/* The text worth searching for: blanks, full-width ones too, are nothing. */
function FindText(value) {
    return /[^\s\u3000]/.test(value) ? value : "";
}

/* Called by the program when Ctrl+Q or the tray brings the window up, and
 * by Ctrl+F: the field takes the keys with its text selected, so what the
 * user types replaces it. */
function FocusFind() {
    var box = document.getElementById("findBox");
    if (!box) return false;
    box.focus();
    box.select();
    return true;
}

function FindTyped() {
    if (find.timer !== null) clearTimeout(find.timer);
    find.timer = setTimeout(function () {
        find.timer = null;
        FindNow();
    }, FIND_DELAY_MS);
}

function FindNow() {
    if (find.timer !== null) clearTimeout(find.timer);
    find.timer = null;
    var query = FindText(FindBoxValue());
    if (!query) {
        EndFind();
        return;
    }
    if (query === find.query && Finding()) return;
    if (!Finding()) {
        find.back = { kind: list.kind, place: list.place, offset: list.offset };
        /* In the trash the trash's records are searched, elsewhere the lists'. */
        list.kind = InTrash(list.kind) ? TRASH_FOUND : FOUND;
    }
    find.query = query;
    list.pinned = false;
    list.target = { place: 0, offset: 0, bottom: false };
    Request(0, FIND_FIRST, "replace");
}

/* The results again at the user's place, after a record changed. */
function FindAgain() {
    list.target = { place: list.place, offset: list.offset, bottom: false };
    Request(Math.max(0, list.place - 10), WINDOW + 10, "replace");
}

/* Ends the search and shows the list left, at the place left. */
function EndFind() {
    var back = find.back || { kind: PlainKind(list.kind), place: 0, offset: 0 };
    var finding = Finding();
    ForgetFind();
    if (!finding) return;
    list.kind = back.kind;
    list.pinned = false;
    list.target = { place: back.place, offset: back.offset, bottom: false };
    Request(Math.max(0, back.place - 10), WINDOW + 10, "replace");
}

/* Empties the field and the search, as when a tab asks for a list. */
function ForgetFind() {
    if (find.timer !== null) clearTimeout(find.timer);
    find.timer = null;
    find.query = "";
    find.back = null;
    var box = document.getElementById("findBox");
    if (box) box.value = "";
    if (Finding()) list.kind = PlainKind(list.kind);
}

/* Ctrl+F and Esc, wherever the keys are; true when the key was taken. */
function FindKey(event) {
    var plain = !event.altKey && !event.metaKey && !event.shiftKey;
    if (plain && event.ctrlKey && (event.key === "f" || event.key === "F")) {
        event.preventDefault();
        FocusFind();
        return true;
    }
    var inBox = event.target && event.target.id === "findBox";
    if (plain && !event.ctrlKey && event.key === "Escape" && (inBox || Finding())) {
        event.preventDefault();
        var box = document.getElementById("findBox");
        if (box) box.value = "";
        EndFind();
        return true;
    }
    if (inBox && event.key === "Enter") {
        event.preventDefault();
        FindNow();
        return true;
    }
    return false;
}

/* The query in the command URL, percent-encoded twice: letters and digits as
 * they are, every other UTF-8 byte as "%25" and two hexadecimal digits. The
 * program decodes the whole URL once before it reads a command, and the
 * engine would resolve "." and ".." in a path and end it at "#" or "?", so
 * nothing but letters, digits and "%25" may stand in it. A lone surrogate
 * (no character of any text) goes as U+FFFD. */
function EncodeQuery(text) {
    var whole = String(text).replace(/[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g, "\uFFFD");
    return encodeURIComponent(whole)
        .replace(/[^A-Za-z0-9%]/g, function (c) {
            return "%" + ("0" + c.charCodeAt(0).toString(16).toUpperCase()).slice(-2);
        })
        .replace(/%/g, "%25");
}

document.addEventListener("DOMContentLoaded", function () {
    AttachControls();
    var box = document.getElementById("findBox");
    if (!box) return;
    box.addEventListener("input", function (event) {
        if (!event.isComposing) FindTyped();
    });
    box.addEventListener("compositionend", FindTyped);
    /* The field's own clear control empties it without a key. */
    box.addEventListener("search", function () {
        if (!box.value) EndFind();
    });
});

/* ---- Screen readers ----------------------------------------------------------
 *
 * The list is a feed of articles: each record's box is an article named by
 * its title and date (a note) or its name and telephone (a contact), with its
 * place in the whole list (aria-posinset, aria-setsize), so a reader knows
 * the full count although only a window of the list is in the page. The
 * header with the count is a polite status: a changed count, and the count
 * of each new search, are read out. The record markup itself stays as the
 * program wrote it; the page only adds attributes to its own wrappers.
 */

/* Every text the page says to screen readers alone, in one place; asked
 * at each use, as the page's texts come after the script has loaded. */
var SPOKEN = {
    notes: function () { return T("记事列表"); },
    contacts: function () { return T("联系人列表"); },
    found: function () { return T("查找结果"); },
    trash: function () { return T("回收站"); },
    untitled: function () { return T("无标题"); },
    telephone: function () { return T("电话"); },
    separator: function () { return T("，"); }
};

/* The longest part of a record's name, in characters: a title of pages
 * would keep the reader talking before the user could move on. */
var SPOKEN_PART_MAX = 120;

/* The header as last written, and the search whose count was last told. */
var told = { header: null, query: "" };

function ReadyForReaders(root) {
    var head = root.querySelector(".vhead");
    head.setAttribute("role", "status");
    head.setAttribute("aria-live", "polite");
    var body = root.querySelector(".vbody");
    body.setAttribute("role", "feed");
    body.setAttribute("aria-busy", "false");
    told.header = null;
    told.query = "";
}

/* Writes the header only when it changed, so that a window arriving as the
 * user scrolls says nothing; a new search's count is told even when it is
 * the same number as the last one's. */
function TellHeader(parts, header, kind) {
    var search = FoundKind(kind) ? find.query : "";
    var newSearch = search !== "" && search !== told.query;
    told.query = search;
    if (header === told.header && !newSearch) return;
    told.header = header;
    parts.head.innerHTML = header;
}

function NameList(parts, kind) {
    var name = FoundKind(kind) ? SPOKEN.found()
             : InTrash(kind) ? SPOKEN.trash()
             : kind === 1 ? SPOKEN.contacts() : SPOKEN.notes();
    parts.body.setAttribute("aria-label", name);
}

/* A text of the box on one line, cut to SPOKEN_PART_MAX characters. */
function SpokenText(element) {
    if (!element) return "";
    var text = element.textContent.replace(/[\s\u3000]+/g, " ").replace(/^ | $/g, "");
    return text.length > SPOKEN_PART_MAX ? text.slice(0, SPOKEN_PART_MAX) + "…" : text;
}

/* "标题，2024-05-01 10:00" or "张三，电话 138…"; in the results and the trash
 * the kind's badge first ("记事，标题，…"). */
function RecordName(box) {
    var parts = [];
    var badge = box.querySelector("span.kd");
    if (badge) parts.push(SpokenText(badge));
    parts.push(SpokenText(box.querySelector("span.t")) || SPOKEN.untitled());
    var detail = SpokenText(box.querySelector("div.dts"));
    var contact = box.querySelector(".tm > img[data-code$='Cn']") !== null ||
        (badge !== null && badge.classList.contains("kd1"));
    if (detail) parts.push(contact ? SPOKEN.telephone() + " " + detail : detail);
    return parts.join(SPOKEN.separator());
}

/* The box's table, its corner pictures and its blank left cell only draw
 * its frame: a reader passes over them to the texts and the buttons. */
function QuietFrame(box) {
    var table = box.querySelector("table.round");
    if (!table) return;
    table.setAttribute("role", "presentation");
    var pictures = table.querySelectorAll(":scope > tbody > tr > td > img");
    for (var i = 0; i < pictures.length; ++i) pictures[i].setAttribute("alt", "");
    var blank = table.querySelector(":scope > tbody > tr > td.l2");
    if (blank) blank.setAttribute("aria-hidden", "true");
}

function NameRecord(box, position) {
    QuietFrame(box);
    box.setAttribute("role", "article");
    box.setAttribute("aria-label", RecordName(box));
    box.setAttribute("aria-posinset", String(position + 1));
    box.setAttribute("aria-setsize", String(list.total));
}

/* The count changed under boxes already shown. */
function MarkSetSize() {
    for (var i = 0; i < list.boxes.length; ++i) {
        list.boxes[i].setAttribute("aria-setsize", String(list.total));
    }
}
