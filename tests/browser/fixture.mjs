// What the browser tests and the menu's screenshot run on: a real Chromium with the extension
// loaded unpacked, a test page served from this machine with the fields a form has, and a
// stand-in for quillery-host that answers what the test puts in its answer file. The browser
// is driven through the DevTools protocol: pages and the extension's service worker are
// evaluated in, and the pointer is a real one of the browser's input.
//
// The extension is loaded from a copy whose manifest also grants the test pages' two origins
// (127.0.0.1 and localhost). In use, a click on the drawn menu entry lends it access to the
// tab (activeTab); the click that a case stands in for cannot, so the grant stands in for it.
import assert from "node:assert/strict";
import { chmodSync, cpSync, mkdirSync, mkdtempSync, readFileSync, renameSync, rmSync,
    writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { Browser } from "./cdp.mjs";

const here = dirname(fileURLToPath(import.meta.url));
const EXTENSION_ID = "kolbehcnedghobapdngebokpbfjnalmi";
export const EXTENSION_ORIGIN = `chrome-extension://${EXTENSION_ID}`;
// What the stand-in answers unless a case says otherwise: a snippet with a line break, as the
// snippet editor stores one.
export const SNIPPET = "Kind regards,\r\nPat";
export const WAIT_MS = 30000;

export class Fixture {
    constructor(chromium, extensionDir) {
        this.browserName = "chromium";
        this.chromium = chromium;
        this.extensionDir = extensionDir;
        this.work = mkdtempSync(join(tmpdir(), "quillery-browser-"));
        this.profile = join(this.work, "profile");
        this.hostState = join(this.work, "host");
        // Where the browser looks for the user's native messaging hosts, what a host's manifest
        // names as allowed to start it, and the arguments the browser starts it with.
        this.hostsFolder = join(this.profile, "NativeMessagingHosts");
        this.hostAllowance = { allowed_origins: [`${EXTENSION_ORIGIN}/`] };
        this.hostArguments = [`${EXTENSION_ORIGIN}/`];
        this.workerConsole = [];
    }

    // Starts the browser with the test page open. Headless unless `headed`, which opens a window
    // of the given size at the screen's corner on the display in DISPLAY.
    async start({ headed = false, windowSize = [800, 600] } = {}) {
        this.installStandInHost();
        this.copyExtension();
        await this.serveTestPages();
        const mode = headed
            ? ["--test-type", "--window-position=0,0", `--window-size=${windowSize.join(",")}`]
            : ["--headless=new"];
        this.browser = Browser.launch(this.chromium, [
            ...mode,
            "--no-sandbox", // the tests run as root in CI, where the sandbox refuses to start
            "--disable-gpu",
            "--disable-dev-shm-usage",
            "--no-first-run",
            "--no-default-browser-check",
            "--disable-background-networking",
            `--user-data-dir=${this.profile}`,
            `--load-extension=${this.loadedExtension}`,
            `--disable-extensions-except=${this.loadedExtension}`,
            "about:blank",
        ]);
        await this.attachToServiceWorker();
        await this.openTestPage();
    }

    async stop() {
        await this.browser?.close();
        await new Promise((done) => (this.server ? this.server.close(done) : done()));
        // The browser's helper processes may still be closing files in the profile.
        rmSync(this.work, { recursive: true, force: true, maxRetries: 5 });
    }

    // The host manifest where the browser looks for the user's hosts, naming a launcher of the
    // stand-in that only this extension may start.
    installStandInHost() {
        mkdirSync(this.hostState, { recursive: true });
        this.setAnswer({ text: SNIPPET });
        const launcher = join(this.hostState, "quillery-host");
        writeFileSync(launcher, `#!/bin/sh\nexec '${process.execPath}' ` +
            `'${join(here, "stand-in-host.mjs")}' '${this.hostState}' "$@"\n`);
        chmodSync(launcher, 0o755);
        this.writeHostManifest(launcher, "Quillery snippet menu (test stand-in)");
    }

    // The host manifest, naming `program`, that only this extension may start.
    writeHostManifest(program, description) {
        mkdirSync(this.hostsFolder, { recursive: true });
        this.hostManifest = join(this.hostsFolder, "quillery.json");
        writeFileSync(this.hostManifest, JSON.stringify({
            name: "quillery",
            description,
            path: program,
            type: "stdio",
            ...this.hostAllowance,
        }));
    }

    // The extension as loaded (see above).
    copyExtension() {
        this.loadedExtension = join(this.work, "extension");
        cpSync(this.extensionDir, this.loadedExtension, { recursive: true });
        const manifestPath = join(this.loadedExtension, "manifest.json");
        const manifest = JSON.parse(readFileSync(manifestPath, "utf8"));
        manifest.host_permissions = ["http://127.0.0.1/*", "http://localhost/*"];
        writeFileSync(manifestPath, JSON.stringify(manifest));
    }

    // What the stand-in answers from now on; it also releases requests that holdAnswer keeps
    // waiting. Written whole and then renamed, so that the stand-in never reads half a file.
    setAnswer(answer) {
        const file = join(this.hostState, "answer.json");
        writeFileSync(`${file}.new`, JSON.stringify(answer));
        renameSync(`${file}.new`, file);
    }

    // Keeps the stand-in's answers waiting, as a user does whose menu stays open, until the
    // next setAnswer.
    holdAnswer() {
        rmSync(join(this.hostState, "answer.json"), { force: true });
    }

    hostRequests() {
        let log = "";
        try {
            log = readFileSync(join(this.hostState, "requests.log"), "utf8");
        } catch {
            return [];
        }
        return log.split("\n").filter(Boolean).map((line) => JSON.parse(line));
    }

    // Takes the host away, as on a machine where it was never installed (a host still running
    // is ended first); resolves to what puts it back.
    async uninstallHost() {
        await this.endHost();
        renameSync(this.hostManifest, `${this.hostManifest}.away`);
        return () => renameSync(`${this.hostManifest}.away`, this.hostManifest);
    }

    // The process of the host that logged the last request, or null when it has ended.
    runningHost() {
        const pid = this.hostRequests().at(-1)?.pid;
        try {
            return pid && process.kill(pid, 0) ? pid : null;
        } catch {
            return null;
        }
    }

    // Ends the running host, as a crash would, and resolves once the extension has seen it go
    // (with `seen` false, at once).
    async endHost({ seen = true } = {}) {
        const pid = this.runningHost();
        if (pid) {
            process.kill(pid, "SIGKILL");
        }
        if (seen) {
            await this.until((expression) => this.inWorker(expression), "host.port === null",
                "the extension to see the host end");
        }
    }

    // Serves the test pages on 127.0.0.1, which is also reachable as another origin, localhost.
    async serveTestPages() {
        const pages = { "/page.html": "page.html", "/frame.html": "frame.html",
            "/elsewhere.html": "elsewhere.html" };
        this.server = createServer((request, response) => {
            const file = pages[new URL(request.url, "http://localhost").pathname];
            if (!file) {
                response.writeHead(404).end();
                return;
            }
            response.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
            response.end(readFileSync(join(here, file)));
        });
        await new Promise((listening) => this.server.listen(0, "127.0.0.1", listening));
        const { port } = this.server.address();
        this.pageUrl = `http://127.0.0.1:${port}/page.html`;
        this.otherOrigin = `http://localhost:${port}`;
    }

    // The first target that `match` takes, existing or yet to come (discovery is on).
    async findTarget(match, what) {
        const found = new AbortController();
        const created = this.browser.waitForEvent("Target.targetCreated",
            ({ targetInfo }) => match(targetInfo), what, { signal: found.signal });
        created.catch(() => {}); // not awaited when the target is already there
        const { targetInfos } = await this.browser.send("Target.getTargets");
        const existing = targetInfos.find(match);
        if (existing) {
            found.abort();
            return existing;
        }
        return (await created).targetInfo;
    }

    async attachToServiceWorker() {
        await this.browser.send("Target.setDiscoverTargets", { discover: true });
        const worker = await this.findTarget((info) => info.type === "service_worker" &&
            info.url.startsWith("chrome-extension://"), "the extension's service worker");
        this.workerUrl = worker.url;
        ({ sessionId: this.workerSession } = await this.browser.send("Target.attachToTarget",
            { targetId: worker.targetId, flatten: true }));
        this.browser.onEvent((message) => {
            if (message.sessionId === this.workerSession &&
                message.method === "Runtime.consoleAPICalled") {
                this.workerConsole.push({
                    type: message.params.type,
                    text: message.params.args.map((arg) => arg.value).join(" "),
                });
            }
        });
        await this.browser.send("Runtime.enable", {}, this.workerSession);
    }

    // Opens the test page in the browser's first tab.
    async openTestPage() {
        const { targetId } = await this.findTarget((info) => info.type === "page",
            "the browser's first tab");
        ({ sessionId: this.pageSession } = await this.browser.send("Target.attachToTarget",
            { targetId, flatten: true }));
        await this.browser.send("Runtime.enable", {}, this.pageSession);
        await this.browser.send("Page.enable", {}, this.pageSession);
        await this.load(this.pageUrl);
    }

    // Loads an address in the tab and waits for its load event.
    async load(url) {
        const loaded = this.browser.waitForEvent("Page.loadEventFired",
            (_, message) => message.sessionId === this.pageSession, `the load of ${url}`);
        await this.browser.send("Page.navigate", { url }, this.pageSession);
        await loaded;
    }

    // Evaluates in the test page's own script world (the top frame).
    inPage(expression) {
        return this.browser.evaluate(this.pageSession, expression);
    }

    inWorker(expression) {
        return this.browser.evaluate(this.workerSession, expression);
    }

    // Resolves once `probe()`, run here, returns true.
    async waitFor(probe, what) {
        const deadline = Date.now() + WAIT_MS;
        while (!probe()) {
            if (Date.now() > deadline) {
                throw new Error(`waited ${WAIT_MS} ms for ${what}`);
            }
            await new Promise((next) => setTimeout(next, 10));
        }
    }

    // Resolves once `condition` (an expression in the given world) holds.
    async until(evaluate, condition, what) {
        await evaluate(`new Promise((resolve, reject) => {
            const deadline = Date.now() + ${WAIT_MS};
            const check = () => {
                if (${condition}) resolve(true);
                else if (Date.now() > deadline) reject(new Error(${JSON.stringify(what)}));
                else setTimeout(check, 10);
            };
            check();
        })`);
    }

    // Presses and releases the right button over the element, as a user opening the context
    // menu does; resolves once the page has seen the contextmenu event. `documentOf` names the
    // element's document from the top frame's script. The click lands on the element's middle,
    // or, given `onCharacter`, on that character of a text box's or text area's value (on its
    // first line), a quarter of the way into it, where a caret put by the click goes before it.
    // Firefox gives a disabled field's page no event: `seenByPage` false waits for none.
    async rightClick(id, { documentOf = "document", onCharacter = null, seenByPage = true } = {}) {
        const where = await this.inPage(`(() => {
            const view = ${documentOf}.defaultView;
            const element = ${documentOf}.getElementById(${JSON.stringify(id)});
            element.scrollIntoView({ block: "center" });
            const box = element.getBoundingClientRect();
            const frame = view.frameElement?.getBoundingClientRect() ?? { left: 0, top: 0 };
            const border = view.frameElement ?? { clientLeft: 0, clientTop: 0 };
            let x = box.left + box.width / 2;
            let y = box.top + box.height / 2;
            const character = ${JSON.stringify(onCharacter)};
            if (character !== null) {
                // The text's width up to the character, in the field's own font; half a font
                // size below the content's top is on the first line of a text area.
                const style = view.getComputedStyle(element);
                const text = ${documentOf}.createElement("canvas").getContext("2d");
                text.font = style.font;
                const widthTo = (end) => text.measureText(element.value.slice(0, end)).width;
                // The border's width as styled: Firefox's clientLeft of a text box counts
                // more than its border.
                x = box.left + parseFloat(style.borderLeftWidth) + parseFloat(style.paddingLeft) -
                    element.scrollLeft + (3 * widthTo(character) + widthTo(character + 1)) / 4;
                y = box.top + parseFloat(style.borderTopWidth) + parseFloat(style.paddingTop) -
                    element.scrollTop + parseFloat(style.fontSize) / 2;
                // The point is checked against the browser's own hit test, so that a case
                // never asserts on a click that landed elsewhere.
                const hit = ${documentOf}.caretPositionFromPoint(x, y);
                if (hit?.offsetNode !== element || hit.offset !== character) {
                    throw new Error("the click's point is not before character " +
                        character + " of " + element.id + ": " + hit?.offsetNode?.nodeName +
                        " " + hit?.offset);
                }
            }
            return {
                x: frame.left + border.clientLeft + x,
                y: frame.top + border.clientTop + y,
                seen: view.seenContextMenus.length,
            };
        })()`);
        await this.pressRightButton(where);
        if (!seenByPage) {
            return;
        }
        await this.until((expression) => this.inPage(expression),
            `${documentOf}.defaultView.seenContextMenus.length > ${where.seen}`,
            `the contextmenu event on ${id}`);
        assert.equal(await this.inPage(`${documentOf}.defaultView.seenContextMenus.at(-1)`), id);
    }

    // Moves the pointer to the point (in the top frame's viewport) and presses and releases the
    // right button there.
    async pressRightButton({ x, y }) {
        for (const type of ["mouseMoved", "mousePressed", "mouseReleased"]) {
            await this.browser.send("Input.dispatchMouseEvent", {
                type, x, y, button: type === "mouseMoved" ? "none" : "right",
                buttons: type === "mousePressed" ? 2 : 0, clickCount: 1,
            }, this.pageSession);
        }
    }

    // The tab, and the extension's frame id and the address of a frame ("top", or the id of the
    // test page's iframe), as a click in it reports them: asked of the browser by the
    // extension's service worker, as the scripts of the tab's frames tell which frame each is.
    clickSource(frame = "top") {
        return this.inWorker(`(async () => {
            const [tab] = await chrome.tabs.query({ active: true });
            const frames = await chrome.scripting.executeScript({
                target: { tabId: tab.id, allFrames: true },
                func: () => [window === top ? "top" : frameElement?.id, location.href],
            });
            const found = frames.find(({ result }) => result[0] === ${JSON.stringify(frame)});
            return { tab, frameId: found.frameId, frameUrl: found.result[1] };
        })()`);
    }

    // Runs what a click on the menu entry runs, with what the browser hands the handler for a
    // click in the given frame (as `clickSource` found it then, or now); resolves to the
    // handler's result once it has finished.
    async clickMenuEntry(frame = "top", source = undefined) {
        const { tab, frameId, frameUrl } = source ?? await this.clickSource(frame);
        const info = { menuItemId: "quillery", editable: true, frameId, frameUrl,
            pageUrl: tab.url };
        return this.inWorker(`onMenuClicked(${JSON.stringify(info)}, ${JSON.stringify(tab)})`);
    }

    // Sets a text box's or text area's value and selection, and forgets earlier input events.
    // Given `focused`, the field first gets the focus (true), as where the user selected the
    // text, or loses it (false), as when the user has clicked elsewhere since.
    prepareControl(id, value, start, end = start, { focused = null } = {}) {
        return this.inPage(`(() => {
            const field = document.getElementById(${JSON.stringify(id)});
            field.value = ${JSON.stringify(value)};
            if (${focused} === true) field.focus();
            if (${focused} === false) field.blur();
            field.setSelectionRange(${start}, ${end});
            seenInputs.length = 0;
            return true;
        })()`);
    }

    controlState(id) {
        return this.inPage(`(() => {
            const field = document.getElementById(${JSON.stringify(id)});
            return {
                value: field.value,
                caret: [field.selectionStart, field.selectionEnd],
                focused: document.activeElement === field,
                inputs: seenInputs,
            };
        })()`);
    }

    async notifications() {
        return Object.keys(await this.inWorker("chrome.notifications.getAll()"));
    }
}
