// The browser's side of tests/chain/context_menu_entry.sh, on the display in DISPLAY (which has
// a window manager) and with WINEPREFIX set:
//
//     node context_menu_entry.mjs CHROMIUM EXTENSION_DIR LAUNCHER STARTS E2E_PROBE SNIPPET \
//         MENUDAT MENU_DAT
//
// A headed Chromium with the extension loaded as it ships (no granted origins: the click on
// the entry lends it the tab) and the host manifest naming LAUNCHER, which runs the real host
// and appends "start MS PID" to the file STARTS as it does. Each request is made as a user
// makes it: the real pointer right-clicks a field of the test page and clicks the "Quillery"
// entry of Chromium's context menu. MENU_DAT is the host's data file, as a new user has it (the
// welcome window on), and MENUDAT the native tool that reads it. Every wait is for a state (a window, the pointer's place,
// a field's value, a process's end), bounded. Prints "ok: CHECK: ..." or "FAIL: CHECK: ..."
// for each check, then "N passed, S skipped, F failed".
import { execFileSync, spawn } from "node:child_process";
import { once } from "node:events";
import { closeSync, openSync, readFileSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { Fixture, WAIT_MS } from "../browser/fixture.mjs";
import { unmanagedWindows } from "../browser/x-windows.mjs";

const [chromium, extensionDir, launcher, hostStartsFile, probe, snippet, menudat, menuDat] =
    process.argv.slice(2);

// A window listed a moment ago may be gone when asked about: its error is not shown.
const run = (command, ...args) => execFileSync(command, args.map(String),
    { encoding: "utf8", stdio: ["ignore", "pipe", "pipe"], timeout: WAIT_MS });
const xdotool = (...args) => run("xdotool", ...args);

// Runs e2e_probe.exe under Wine; resolves to what it printed, once it has ended. Its output goes
// to files, not pipes: a Wine process hands its output on to the Wine processes it starts
// (Wine's desktop process, explorer.exe, which a probe starts when the prefix has none
// running), so a pipe can stay open long after the probe has ended.
async function e2eProbe(...args) {
    const [out, err] = [".out", ".err"].map((end) => join(dirname(hostStartsFile), `probe${end}`));
    const files = [out, err].map((file) => openSync(file, "w"));
    const child = spawn("wine", [probe, ...args], { stdio: ["ignore", ...files] });
    files.forEach(closeSync);
    const timer = setTimeout(() => child.kill("SIGKILL"), WAIT_MS * 2);
    const [code] = await once(child, "exit").finally(() => clearTimeout(timer));
    if (code !== 0) {
        throw new Error(`e2e_probe ${args.join(" ")}: exit ${code}: ${readFileSync(err, "utf8")}`);
    }
    return readFileSync(out, "utf8").trim();
}

// The snippet menu's lines: the first 33 pixels below its top are the banner, then a line
// every 16 pixels (as tests/e2e/lib.sh clicks them).
const BANNER_HEIGHT = 33;
const LINE_HEIGHT = 16;
const MENU_CLASS = "QuillerySnippetMenu";
const WELCOME_TITLE = "Welcome to Quillery";

class RealHostFixture extends Fixture {
    // The manifest of the real host, where the browser looks for the user's hosts.
    installStandInHost() {
        this.writeHostManifest(launcher, "Quillery snippet menu");
    }

    // The extension as it ships.
    copyExtension() {
        this.loadedExtension = this.extensionDir;
    }
}

const fixture = new RealHostFixture(chromium, resolve(extensionDir));
const inPage = (expression) => fixture.inPage(expression);
let pageOnScreen;

// Resolves to `probe()`'s first value other than undefined, tried every 20 ms.
async function poll(probe, what, timeoutMs = WAIT_MS) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
        const value = await probe();
        if (value !== undefined) {
            return value;
        }
        if (Date.now() > deadline) {
            throw new Error(`waited ${timeoutMs} ms for ${what}`);
        }
        await new Promise((next) => setTimeout(next, 20));
    }
}

// The rows of Chromium's context menu window where the entry's icon, the one strongly blue
// thing in that menu, is drawn: [first, last] in the window's pixels, or undefined.
function iconRows(id, box) {
    const pixels = execFileSync("import", ["-window", id, "-depth", "8", "rgb:-"],
        { maxBuffer: 64 << 20, timeout: WAIT_MS });
    if (pixels.length < box.width * box.height * 3) {
        return undefined;
    }
    let first = -1;
    let last = -1;
    for (let y = 0; y < box.height; y++) {
        for (let x = 0; x < Math.min(box.width, 80); x++) {
            const at = (y * box.width + x) * 3;
            const [r, g, b] = [pixels[at], pixels[at + 1], pixels[at + 2]];
            if (b > 120 && b > r + 60 && b > g + 60) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? undefined : [first, last];
}

function pointer() {
    const location = xdotool("getmouselocation");
    return { x: Number(location.match(/x:(-?\d+)/)[1]), y: Number(location.match(/y:(-?\d+)/)[1]) };
}

const inside = (point, rect) => point.x >= rect.left && point.x < rect.right &&
    point.y >= rect.top && point.y < rect.bottom;

// The hosts the browser has started, in order: { ms, pid }.
function hostStarts() {
    let log = "";
    try {
        log = readFileSync(hostStartsFile, "utf8");
    } catch {
        return [];
    }
    return log.split("\n").filter(Boolean).map((line) => {
        const [, ms, pid] = line.split(" ");
        return { ms: Number(ms), pid: Number(pid) };
    });
}

// Whether the process runs (a zombie, which nobody has waited for yet, has ended).
function running(pid) {
    try {
        return readFileSync(`/proc/${pid}/stat`, "utf8").replace(/^.*\) /, "")[0] !== "Z";
    } catch {
        return false;
    }
}

// Whether the process runs the host (the launcher has become it).
function runsHost(pid) {
    try {
        return running(pid) && readFileSync(`/proc/${pid}/cmdline`, "utf8")
            .includes("quillery-host.exe");
    } catch {
        return false;
    }
}

const ended = (pid, what) => poll(() => (running(pid) ? undefined : true), what);

// A point in the field, 40 pixels in from its left edge, on the screen.
function fieldPoint(id) {
    return inPage(`(() => {
        const box = document.getElementById(${JSON.stringify(id)}).getBoundingClientRect();
        return { x: Math.round(${pageOnScreen.x} + box.left + 40),
            y: Math.round(${pageOnScreen.y} + box.top + box.height / 2) };
    })()`);
}

// One request as the user makes it: the right-click at `at` in the field `id`, then the click
// on Chromium's "Quillery" entry. Resolves to {host, clickedAt}: the host that serves it (the
// browser's one connection starts it for the session's first request, or after the last one
// ended) and when the entry was clicked. Given `rest` (a point on an open snippet menu), the
// pointer goes back there right after each click, within the same xdotool call: the open menu
// closes by itself at its pointer watch's next tick once the pointer is outside, and only the new
// request is to close it here.
async function request(id, at, rest = undefined) {
    const back = rest ? ["mousemove", rest.x, rest.y] : [];
    const seen = await inPage("seenContextMenus.length");
    const before = unmanagedWindows();
    xdotool("mousemove", "--sync", at.x, at.y, "click", 3, ...back);
    await fixture.until(inPage, `seenContextMenus.length > ${seen}`, `the contextmenu event`);
    const target = await inPage("seenContextMenus.at(-1)");
    if (target !== id) {
        throw new Error(`the right-click at ${at.x},${at.y} reached ${target}, not ${id}`);
    }
    const [menuId, menu] = await poll(() => [...unmanagedWindows()]
        .find(([windowId, box]) => !before.has(windowId) && box.width > 50 && box.height > 50),
    "Chromium's context menu");
    const rows = await poll(() => iconRows(menuId, menu), "the Quillery entry's icon");
    const entry = { x: menu.x + 80, y: menu.y + Math.round((rows[0] + rows[1]) / 2) };
    xdotool("mousemove", "--sync", entry.x, entry.y);
    const clickedAt = Date.now();
    xdotool("click", 1, ...back);
    const host = await poll(() => {
        const last = hostStarts().at(-1);
        return last && runsHost(last.pid) ? last : undefined;
    }, "a running host");
    return { host, clickedAt };
}

// The time from the entry's click to a new snippet menu painted on the display: its X window
// viewable, and its pixels no longer of one colour. Polled as fast as xdotool and a capture
// answer (a few tens of milliseconds each on this display), so it is a figure to read, not a
// measure to hold to the millisecond.
async function paintedAfter(clickedAt, before = []) {
    await poll(() => {
        const id = menuWindows().find((window) => !before.includes(window));
        if (!id) {
            return undefined;
        }
        let pixels;
        try {
            pixels = execFileSync("import", ["-window", id, "-depth", "8", "gray:-"],
                { maxBuffer: 64 << 20, timeout: WAIT_MS });
        } catch {
            return undefined; // not yet mapped, or gone
        }
        return pixels.some((value) => value !== pixels[0]) ? true : undefined;
    }, "a painted snippet menu", 10 * WAIT_MS);
    return Date.now() - clickedAt;
}

// The entry's click to the painted menu: a host's first request (its start included), and the
// later ones over its open connection.
const figures = { first: [], later: [] };

async function timeRequest(host, clickedAt) {
    const painted = await paintedAfter(clickedAt);
    figures[host.pid === firstHost?.pid ? "later" : "first"].push(painted);
    return painted;
}

// Waits for a snippet menu and for the pointer on its banner, where the menu puts it as it
// opens (a click before that would be undone); resolves to its rectangle and that point.
async function openedMenu() {
    const [left, top, right, bottom] = (await e2eProbe("window", "--class", MENU_CLASS,
        "--timeout", WAIT_MS / 1000)).split(/\s+/).map(Number);
    const rect = { left, top, right, bottom };
    const banner = { ...rect, bottom: top + BANNER_HEIGHT };
    let at;
    const onBanner = await poll(() => {
        at = pointer();
        return inside(at, banner) ? at : undefined;
    }, "the pointer on the snippet menu's banner").catch((failure) => {
        throw new Error(`${failure.message} (the menu at ${left},${top}-${right},${bottom}, ` +
            `the pointer at ${at.x},${at.y})`);
    });
    return { rect, onBanner };
}

const clickLine = (rect, line) => xdotool("mousemove", "--sync", rect.left + 60,
    rect.top + BANNER_HEIGHT + LINE_HEIGHT * (line - 1) + LINE_HEIGHT / 2, "click", 1);

const valueIs = (id, text) => `document.getElementById(${JSON.stringify(id)}).value === ` +
    JSON.stringify(text);

// After a check that failed: Escape for a context menu of the browser's that may be open, and
// the pointer off every snippet menu, whose pointer watch then closes it.
// Wine moves the pointer for SetCursorPos only when the point differs from the last one it
// knows of, which it learns from its own calls and from events on its own windows; so the
// pointer is put there through Wine too, or the next menu, opening where the last one did,
// would find its banner's point already known and leave the pointer where it is.
async function closeMenus() {
    try {
        xdotool("key", "Escape");
        xdotool("mousemove", "--sync", 1010, 760);
        await e2eProbe("pointer", 1010, 760);
        await e2eProbe("gone", "--class", MENU_CLASS, "--timeout", WAIT_MS / 1000);
    } catch (failure) {
        console.log(`(a snippet menu stays open: ${failure.message})`);
    }
}

const counts = { passed: 0, skipped: 0, failed: 0 };
let lastReport = Date.now();
// Each line also tells the seconds since the last one: where a slow run spent its time.
function report(name, ok, detail) {
    const seconds = ((Date.now() - lastReport) / 1000).toFixed(1);
    lastReport = Date.now();
    console.log(`${ok ? "ok" : "FAIL"}: ${name}: ${detail} [${seconds} s]`);
    counts[ok ? "passed" : "failed"] += 1;
}

// Runs a check whose `body` resolves to its detail or throws its failure.
async function check(name, body) {
    try {
        report(name, true, await body());
    } catch (failure) {
        report(name, false, failure.message);
        await closeMenus();
    }
}

// "exists" and "near" from one request on the Name box: line 1 clicked puts its snippet in,
// and the menu opened near the right-clicked point: no farther from it than its own height.
async function existsAndNear() {
    let opened;
    const name = await fieldPoint("name");
    try {
        const { host, clickedAt } = await request("name", name);
        await timeRequest(host, clickedAt);
        opened = await openedMenu();
    } catch (failure) {
        report("near", false, failure.message);
        report("exists", false, failure.message);
        await closeMenus();
        return;
    }
    const { rect } = opened;
    const dx = Math.max(rect.left - name.x, 0, name.x - (rect.right - 1));
    const dy = Math.max(rect.top - name.y, 0, name.y - (rect.bottom - 1));
    const distance = Math.round(Math.hypot(dx, dy));
    const height = rect.bottom - rect.top;
    report("near", distance <= height, `right-clicked at ${name.x},${name.y}; the menu at ` +
        `${rect.left},${rect.top}-${rect.right},${rect.bottom}, ${distance} px away, ` +
        `${height} px high`);
    await check("exists", async () => {
        clickLine(rect, 1);
        await fixture.until(inPage, valueIs("name", snippet), `the Name box to hold ${snippet}`);
        return `line 1 clicked, the Name box holds ${JSON.stringify(snippet)}`;
    });
}

// Waits until the display's keyboard focus is on the X window of the window that the probe's
// query names: nothing but the product gives it the focus here.
async function keyboardOn(...query) {
    const xWindow = await e2eProbe("xwindow", ...query, "--timeout", WAIT_MS / 1000);
    let focus;
    await poll(() => {
        focus = xdotool("getwindowfocus").trim();
        return focus === xWindow ? true : undefined;
    }, `the keyboard focus on ${query.join(" ")}`).catch((failure) => {
        throw new Error(`${failure.message}: it is on X window ${focus}, not ${xWindow}`);
    });
}

// The host that the session's first request started: the later ones are to be served by it.
let firstHost;

const welcomeSetting = () => run(menudat, "list", menuDat).match(/^welcome window: (\w+)/m)?.[1];

// "first run": a new user's first request shows the welcome window first, with the keyboard: a
// Return there goes neither into the page nor to its buttons; Tab, Space tick "Do not show this
// form again", Shift+Tab, Space press Continue. The menu follows with the keyboard, and Down,
// Return put line 1 into the Message box, which holds only that. The ticked box switches the
// welcome window off for the checks after this one (and so does a failure here).
async function firstRun() {
    await check("first run", async () => {
        if (welcomeSetting() !== "on") {
            throw new Error(`the data file's welcome window is ${welcomeSetting()}, not on`);
        }
        ({ host: firstHost } = await request("message", await fieldPoint("message")));
        await keyboardOn("--title", WELCOME_TITLE);
        xdotool("key", "Return", "Tab", "space", "shift+Tab", "space");
        await e2eProbe("gone", "--title", WELCOME_TITLE, "--timeout", WAIT_MS / 1000);
        await openedMenu();
        await keyboardOn("--class", MENU_CLASS);
        xdotool("key", "Down", "Return");
        await fixture.until(inPage, valueIs("message", snippet),
            `the Message box to hold only ${snippet}`).catch(async (failure) => {
            throw new Error(`${failure.message}: it holds ${JSON.stringify(
                await inPage("document.getElementById('message').value"))}`);
        });
        if (welcomeSetting() !== "off") {
            throw new Error(`the ticked box left the welcome window ${welcomeSetting()}`);
        }
        return "the welcome window and then the menu had the keyboard; the box ticked and " +
            `Continue pressed by keys, Down, Return put ${JSON.stringify(snippet)} alone into ` +
            "the Message box; the welcome window is off now";
    });
    if (welcomeSetting() !== "off") {
        run(menudat, "welcome", menuDat, "off");
    }
}

// "keys": the real keyboard's Down then Return, with the menu open, chooses line 1.
async function keys() {
    await check("keys", async () => {
        const { host, clickedAt } = await request("email", await fieldPoint("email"));
        await timeRequest(host, clickedAt);
        await openedMenu();
        // The menu is shown first and takes the keyboard after: a key before that goes to the page.
        await keyboardOn("--class", MENU_CLASS);
        xdotool("key", "Down", "Return");
        // Keys that reach the menu choose at once; 10 s is ample on a loaded machine.
        try {
            await poll(async () => (await inPage(valueIs("email", snippet))) || undefined,
                "the E-mail box's value", 10000);
        } catch {
            throw new Error(`Down, Return sent; the E-mail box holds ${JSON.stringify(
                await inPage("document.getElementById('email').value"))}, X keyboard focus ` +
                `on window ${xdotool("getwindowfocus").trim()}`);
        }
        return `Down, Return put ${JSON.stringify(snippet)} into the E-mail box`;
    });
}

// The snippet menus' X windows on the screen, which Wine names with the menu's caption.
function menuWindows() {
    try {
        return xdotool("search", "--onlyvisible", "--name", "^Form1$").split("\n")
            .filter(Boolean);
    } catch {
        return []; // xdotool fails when it finds none
    }
}

// "one host": the requests so far were served by the host that the first one started, over the
// extension's one connection, and no other host was started.
async function oneHost() {
    await check("one host", async () => {
        const starts = hostStarts();
        if (starts.length !== 1 || !firstHost || !runsHost(firstHost.pid)) {
            throw new Error(`${starts.length} hosts started for the requests so far; the first ` +
                `${firstHost && runsHost(firstHost.pid) ? "runs" : "has ended"}`);
        }
        return `every request so far served by host ${firstHost.pid}, which still runs`;
    });
}

// "host ends and starts again": the extension closes its connection once it has had nothing to
// do for a while (here at once, as its timer does), which ends the host; the next request starts
// a new one, which opens the menu, and the user is told nothing.
async function hostStartsAgain() {
    await check("host ends and starts again", async () => {
        const errorsBefore = fixture.workerConsole.filter((entry) => entry.type === "error");
        const before = hostStarts().at(-1);
        await fixture.inWorker("host.close()");
        await ended(before.pid, `the idle host (${before.pid}) to end`);
        const { host, clickedAt } = await request("name", await fieldPoint("name"));
        const painted = await paintedAfter(clickedAt);
        figures.first.push(painted);
        await openedMenu();
        xdotool("key", "Escape");
        await e2eProbe("gone", "--class", MENU_CLASS, "--timeout", WAIT_MS / 1000);
        const errors = fixture.workerConsole.filter((entry) => entry.type === "error");
        if (host.pid === before.pid || errors.length !== errorsBefore.length) {
            throw new Error(`the new request's host ${host.pid} (the closed one ${before.pid}); ` +
                `told: ${errors.slice(errorsBefore.length).map((entry) => entry.text)}`);
        }
        return `host ${before.pid} ended with its connection; host ${host.pid} started for the ` +
            `next request, whose menu was painted ${painted} ms after the click; nothing told`;
    });
}

// "second request": with a menu open, a right-click on another field and the entry close it
// (its window goes before the new one comes; the host answers it and serves the new request) and
// open one new menu. Resolves to the new menu's host, or undefined.
async function secondRequest() {
    let host;
    await check("second request", async () => {
        const { host: first } = await request("name", await fieldPoint("name"));
        const { rect, onBanner } = await openedMenu();
        const firstWindows = menuWindows();
        if (!runsHost(first.pid) || firstWindows.length !== 1) {
            throw new Error(`process ${first.pid} is not the first menu's host, or ` +
                `${firstWindows.length} menu windows are on the screen`);
        }
        // A field that the open menu does not cover.
        let other;
        for (const id of ["email", "postcode", "message"]) {
            other = { id, at: await fieldPoint(id) };
            if (!inside(other.at, rect)) {
                break;
            }
        }
        ({ host } = await request(other.id, other.at, onBanner));
        // Until the new menu's window is the only one: never two at once. (The first menu
        // would also close at its pointer watch's tick once the new menu has put the pointer
        // on its own banner, but only after the new one had come.)
        let most = 0;
        let now = [];
        await poll(() => {
            now = menuWindows();
            most = Math.max(most, now.length);
            return now.length === 1 && now[0] !== firstWindows[0] ? true : undefined;
        }, "the new menu's window in place of the first").catch((failure) => {
            throw new Error(`${failure.message}: ${now.length} menu windows on the screen`);
        });
        const second = await openedMenu();
        const menus = Number(await e2eProbe("count", "--class", MENU_CLASS));
        if (most !== 1 || menus !== 1 || host.pid !== first.pid || !runsHost(host.pid)) {
            throw new Error(`${most} menu windows on the screen at once; ${menus} snippet ` +
                `menus open; the new request's host ${host.pid}, the first's ${first.pid}`);
        }
        return `the first menu's window went before the new one came; one menu open, at ` +
            `${second.rect.left},${second.rect.top}, from the right-click on ${other.id}, ` +
            `both served by host ${host.pid}`;
    });
    return host;
}

// "browser closed": the browser ended (SIGTERM) while a menu is open ends that menu's host
// and its window.
async function browserClosed(host) {
    await check("browser closed", async () => {
        if (!host || !runsHost(host.pid)) {
            ({ host } = await request("name", await fieldPoint("name")));
        }
        await openedMenu();
        if (!runsHost(host.pid)) {
            throw new Error(`process ${host.pid} is not the open menu's host`);
        }
        process.kill(fixture.browser.child.pid, "SIGTERM");
        await ended(host.pid, `the host (${host.pid}) to end`);
        await e2eProbe("gone", "--class", MENU_CLASS, "--timeout", WAIT_MS / 1000);
        return "the host ended, and no snippet menu is left";
    });
}

async function main() {
    try {
        await fixture.start({ headed: true, windowSize: [800, 600] });
        // Where the page lies on the screen: the real pointer moved into it tells.
        await inPage(`(() => {
            window.pageOnScreen = null;
            addEventListener("mousemove", (event) => {
                pageOnScreen = { x: event.screenX - event.clientX,
                    y: event.screenY - event.clientY };
            });
            return true;
        })()`);
        xdotool("mousemove", "--sync", 200, 300);
        await fixture.until(inPage, "window.pageOnScreen", "the pointer over the page");
        pageOnScreen = await inPage("pageOnScreen");

        await firstRun();
        await existsAndNear();
        await keys();
        await oneHost();
        await hostStartsAgain();
        await browserClosed(await secondRequest());
        const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
        console.log("figures: the entry's click to the painted menu: a host's first request " +
            `(its start included) ${figures.first.join(", ")} ms; later requests over its ` +
            `connection ${figures.later.join(", ")} ms (median ${median(figures.later)} ms)`);
    } catch (failure) {
        report("set-up", false, failure.stack ?? failure);
    } finally {
        for (const entry of fixture.workerConsole) {
            console.log(`service worker console: ${entry.type}: ${entry.text}`);
        }
        await fixture.stop().catch((failure) => console.log(`stopping: ${failure.message}`));
    }
    console.log(`${counts.passed} passed, ${counts.skipped} skipped, ${counts.failed} failed`);
    process.exit(counts.failed === 0 ? 0 : 1);
}

main();
