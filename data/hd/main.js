/* Korvane list page: the functions the program and the rendered lists call.
 *
 * The page asks the program for work by navigating to pseudo-URLs on the
 * command host; the program cancels those navigations and carries them out,
 * so the page itself never leaves. Lists arrive as the inner HTML of #MyWinS.
 */

var COMMAND_BASE = "http://command.korvane.invalid/";
var RESTORE_URL = "http://restore.korvane.invalid/";

var RECORD_CODES = { EdNo: 1, DeNo: 1, EdCn: 1, DeCn: 1 };

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

/* ---- Called by the program ------------------------------------------- */

function BodyLoad() {
    ShowList(0);
}

/* Compact view: the window lost its bars, so the page drops its own top bar
 * and offers a small control to get the standard view back. */
function htit() {
    document.documentElement.className = "compact";
}

function stit() {
    document.documentElement.className = "";
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

/* ---- The page's own controls ------------------------------------------ */

var shownKind = 0;

function MarkTab(kind) {
    shownKind = kind;
    var notes = document.getElementById("tabNotes");
    var contacts = document.getElementById("tabContacts");
    if (!notes || !contacts) return;
    notes.className = kind === 0 ? "tab active" : "tab";
    contacts.className = kind === 1 ? "tab active" : "tab";
    notes.setAttribute("aria-selected", kind === 0 ? "true" : "false");
    contacts.setAttribute("aria-selected", kind === 1 ? "true" : "false");
}

/* kind 0 asks for the notes list, 1 for the contacts list. */
function ShowList(kind) {
    kind = Number(kind) === 1 ? 1 : 0;
    MarkTab(kind);
    Command(kind === 1 ? "reCont/" : "reNote/");
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
        button.innerHTML = "再次点击确认更新";
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

/* The program writes lists straight into #MyWinS, also after an edit or a
 * delete. Follow what arrived: mark the matching tab, and flag a list without
 * records so its message gets a line of its own. */
function ListChanged(list) {
    var html = list.innerHTML;
    var kind = html.indexOf("Newc(1)") >= 0 ? 1 : html.indexOf("Newc(0)") >= 0 ? 0 : -1;
    if (kind >= 0) MarkTab(kind);
    var hasButton = !!list.querySelector(".New");
    var hasRecords = !!list.querySelector("table.round");
    var name = "list";
    if (kind === 1) name += " contacts";
    if (hasButton && !hasRecords) name += " empty";
    list.className = name;
}

function WatchList() {
    var list = document.getElementById("MyWinS");
    if (!list || typeof MutationObserver === "undefined") return;
    new MutationObserver(function () { ListChanged(list); }).observe(list, { childList: true });
}

document.addEventListener("DOMContentLoaded", WatchList);
