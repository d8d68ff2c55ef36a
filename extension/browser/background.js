// Quillery's entry in the context menu of editable fields. A click on it first claims the field
// in the document that was right-clicked: content.js, injected there now (the click lends the
// extension access to the tab), takes the field that the right-click focused. Then the native
// host is asked for a snippet, and the text goes to that claim alone: to the same document, by
// its id, and there into the claimed field. A page that has taken the right-clicked one's place
// meanwhile, in the tab or in its frame, gets nothing; the user is told instead.
//
// The host serves the browser's session over one connection: it starts at the first request and
// answers each later one without a process start (see HostConnection below).
//
// Runs as the service worker of Chromium-based browsers and as the event page of Firefox; the
// `browser` namespace is Firefox's, and both namespaces answer with promises.
"use strict";

const api = globalThis.browser ?? globalThis.chrome;

// The name the host is registered under, in the browsers' native messaging hosts.
const HOST_NAME = "quillery";
const MENU_ID = "quillery";

api.runtime.onInstalled.addListener(async () => {
    // The browser keeps the entry across restarts; an update or reload makes it afresh.
    await api.contextMenus.removeAll();
    api.contextMenus.create({ id: MENU_ID, title: "Quillery", contexts: ["editable"] });
});

api.contextMenus.onClicked.addListener(onMenuClicked);

// One connection to the host for the browser's session. The first request starts the host
// (runtime.connectNative); later ones go over the same connection and are answered in the order
// they were sent, one at a time, each with one message. A host that has ended (the browser
// stopped it, it crashed, or it ended by itself) is started again by the next request; requests
// that were waiting for it then fail once, with words for the user. An open connection keeps the
// service worker (Chromium) or the event page (Firefox) alive, so a connection with nothing to
// do is closed after CLOSE_IDLE_MS: the host then lets go of Pennock.dll, which an upgrade
// replaces, and of its memory. Five minutes: most pauses between snippets while a user fills in
// a form or writes mail are shorter, so those keep the quick path, and the host's own limit (ten
// minutes, for a connection that nobody uses) is never reached by a connection that this closes
// first, so a request is never sent to a host that is just ending.
const CLOSE_IDLE_MS = 5 * 60 * 1000;

class HostConnection {
    constructor() {
        this.port = null;
        this.waiting = []; // {resolve, reject} of each request sent, in order
        this.answered = false; // whether this port's host has answered anything
        this.idleTimer = undefined;
    }

    // Resolves to the host's answer to `request`; rejects with words for the user when there
    // is none (the host cannot be started, or it ended before it answered).
    ask(request) {
        clearTimeout(this.idleTimer);
        return new Promise((resolve, reject) => {
            // A connection that has ended, before the browser has said so, refuses the message
            // at once: it was not sent, and goes over a new connection.
            if (!this.send(request, { resolve, reject })) {
                this.lost();
                if (!this.send(request, { resolve, reject })) {
                    reject(new Error(this.lostMessage()));
                }
            }
        });
    }

    // Sends `request` over the connection, made first where there is none; false when it
    // refused the message.
    send(request, waiting) {
        if (!this.port) {
            this.connect();
        }
        try {
            this.port.postMessage(request);
        } catch {
            return false;
        }
        this.waiting.push(waiting);
        return true;
    }

    connect() {
        const port = api.runtime.connectNative(HOST_NAME);
        this.port = port;
        this.answered = false;
        port.onMessage.addListener((answer) => {
            this.answered = true;
            this.waiting.shift()?.resolve(answer);
            if (this.waiting.length === 0) {
                this.idleTimer = setTimeout(() => this.close(), CLOSE_IDLE_MS);
            }
        });
        port.onDisconnect.addListener(() => {
            // Firefox tells why on the port, Chromium in lastError (which must be read).
            const why = port.error?.message ?? api.runtime.lastError?.message;
            if (this.port === port) {
                this.lost(why);
            }
        });
    }

    close() {
        if (this.port && this.waiting.length === 0) {
            this.port.disconnect();
            this.lost();
        }
    }

    // The connection has ended: the next request makes a new one.
    lost(why = undefined) {
        clearTimeout(this.idleTimer);
        const message = this.lostMessage();
        this.port = null;
        for (const { reject } of this.waiting.splice(0)) {
            reject(new Error(message, { cause: why }));
        }
    }

    // What a request that the connection's end left without an answer tells the user.
    lostMessage() {
        return this.answered
            ? "The Quillery program closed before it gave a snippet, so nothing was put into " +
              "the page. Choose Quillery again."
            : "The Quillery program could not be reached. Install Quillery for Windows (its " +
              ".msi package), then restart the browser.";
    }
}

const host = new HostConnection();

// Runs one menu request for a click on the entry (`info` and `tab` as the browser gives them).
// Resolves, once everything is done, to what the content script reports ({inserted:
// characters}), or null when nothing was put into the page; never rejects: a failure is
// reported to the user instead.
async function onMenuClicked(info, tab) {
    if (info.menuItemId !== MENU_ID || !tab || !(tab.id >= 0)) {
        return null;
    }
    // Asked before anything is awaited: the browser asks the user only during the click.
    const frameAccess = requestFrameAccess(info);
    let claim;
    try {
        if (frameAccess && !(await frameAccess)) {
            await reportFailure("Quillery was not allowed into this frame, which comes from " +
                "another site than the page.");
            return null;
        }
        claim = await claimField(tab.id, info);
    } catch (failure) {
        await reportFailure(`The field you right-clicked could not be reached: ${
            await whyNotReached(tab.id, "the browser does not let extensions into this page")}.`,
        failure.message);
        return null;
    }
    if (typeof claim === "string") {
        await reportFailure(claim);
        return null;
    }
    // The request goes out as soon as the field is claimed, one round trip to the page after the
    // click. The menu opens at the field, where the user right-clicked; without a point, at the
    // pointer, which is where the user clicked the entry.
    let answer;
    try {
        answer = await host.ask(claim.at ? { request: "menu", at: claim.at } : { request: "menu" });
    } catch (failure) {
        await reportFailure(failure.message, failure.cause);
        return null;
    }
    if (typeof answer?.error === "string") {
        await reportFailure(answer.error);
        return null;
    }
    if (typeof answer?.text !== "string") {
        await reportFailure("The Quillery program gave an answer this extension does not know.");
        return null;
    }
    // An empty text: the menu closed without a choice.
    if (answer.text === "") {
        return null;
    }
    let injections;
    try {
        injections = await api.scripting.executeScript({
            target: claim.target,
            injectImmediately: true,
            // A document that content.js never ran in has no claim: it is not the one that was
            // right-clicked.
            func: (token, text) => globalThis.quilleryInsert?.(token, text) ??
                { refused: "the page is no longer the one you right-clicked" },
            args: [claim.token, answer.text],
        });
    } catch (failure) {
        await reportFailure(`The snippet was not put into the page: ${
            await whyNotReached(tab.id, "the page you right-clicked is no longer there")}.`,
        failure.message);
        return null;
    }
    const result = injections[0]?.result;
    if (!Number.isInteger(result?.inserted)) {
        await reportFailure("The snippet was not put into the page: " +
            `${result?.refused ?? "the page did not answer"}.`);
        return null;
    }
    return result;
}

// The access a click on the entry lends (activeTab) covers the page's own site (origin) and its
// frames from that site; a frame from another site is asked for: the browser prompts once,
// naming the site, and keeps the user's answer. Must be called before the click's handler
// awaits anything. Resolves to whether it was granted; null when nothing needs asking.
function requestFrameAccess(info) {
    let frame;
    let page;
    try {
        frame = new URL(info.frameUrl);
        page = new URL(info.pageUrl);
    } catch {
        return null;
    }
    if (frame.origin === page.origin || !["http:", "https:"].includes(frame.protocol)) {
        return null;
    }
    return api.permissions.request({ origins: [`${frame.protocol}//${frame.hostname}/*`] });
}

// Injects content.js into the right-clicked frame, which claims the field that has the focus
// there. Resolves to {target, token, at}: where the snippet goes (the claimed document), the
// claim's token, and `at`: where on the screen the menu is to open, or null; or to the reason,
// as text, when there is nothing to claim.
async function claimField(tabId, info) {
    const frame = { tabId, frameIds: [info.frameId ?? 0] };
    const [injection] = await injectClaim(frame);
    // Firefox may answer with no result where it gives no access, rather than fail.
    if (!injection) {
        throw new Error("the browser gave no access to its frame");
    }
    const { url, token, at } = injection.result ?? {};
    // The click names the frame, not its document: the document now there must have the
    // address the right-clicked one had (a change of the fragment alone keeps the document).
    const withoutFragment = (address) => String(address).split("#")[0];
    if (typeof url !== "string" ||
        withoutFragment(url) !== withoutFragment(info.frameUrl ?? info.pageUrl)) {
        return "The page changed after your right-click, so nothing was put into it. " +
            "Right-click the field again.";
    }
    if (!token) {
        return unfitFieldReason(injection.result?.unfit);
    }
    // The injection names the document it ran in (Chromium and Firefox): the snippet goes to
    // that document alone. Without its id, the claim alone tells the right-clicked
    // document from a later one in the same frame.
    const target = injection.documentId ? { tabId, documentIds: [injection.documentId] } : frame;
    const place = Number.isInteger(at?.x) && Number.isInteger(at?.y) ? { x: at.x, y: at.y } : null;
    return { target, token, at: place };
}

// What the user is told when no field was claimed: `unfit` is the type of the focused input
// that takes no text (content.js), or absent when no field had the focus. Firefox offers the
// entry on such inputs and on disabled fields too, which the right-click does not focus.
const UNFIT_INPUTS = {
    number: "only a number", range: "only a number", date: "a date", time: "a time",
    "datetime-local": "a date and a time", month: "a month", week: "a week", color: "a colour",
};

function unfitFieldReason(unfit) {
    if (typeof unfit === "string") {
        return `The field you right-clicked takes ${UNFIT_INPUTS[unfit] ?? "no text"}, so no ` +
            "snippet can go into it.";
    }
    return "No text field had the focus where you right-clicked, so Quillery did not know " +
        "where to put the snippet. Snippets go into fields you can type text in; a disabled " +
        "field takes none.";
}

// Why a tab's page could not be reached, in the user's words: the tab was closed, or else
// `otherwise`. The browser's own error is for the console.
async function whyNotReached(tabId, otherwise) {
    try {
        await api.tabs.get(tabId);
        return otherwise;
    } catch {
        return "its tab was closed";
    }
}

// Chromium lends the tab (activeTab) before it runs the click's handler, but may still refuse
// an injection made at once, for a moment, until the page's process has the grant too: seen on
// a loaded machine, at the first click after the browser started, where the same injection
// 50 ms later went in. So a refused injection of content.js is tried again every 50 ms, for
// up to 2 seconds; a refusal that lasts (a page the click lends nothing for) is reported as
// any other failure, that much later.
const CLAIM_RETRY_MS = 50;
const CLAIM_PATIENCE_MS = 2000;

async function injectClaim(frame) {
    const deadline = Date.now() + CLAIM_PATIENCE_MS;
    for (;;) {
        try {
            return await api.scripting.executeScript({
                target: frame, files: ["content.js"], injectImmediately: true,
            });
        } catch (failure) {
            if (Date.now() >= deadline) {
                throw failure;
            }
        }
        await new Promise((next) => setTimeout(next, CLAIM_RETRY_MS));
    }
}

// Tells the user of a failure without touching the page: a notification where the browser can
// show one, and the extension's console in any case. `detail`, the browser's own error, goes to
// the console alone.
async function reportFailure(message, detail = undefined) {
    console.error(`Quillery: ${message}`);
    if (detail) {
        console.info(`Quillery: the browser said: ${detail}`);
    }
    try {
        await api.notifications.create({
            type: "basic",
            iconUrl: api.runtime.getURL("icons/quillery-128.png"),
            title: "Quillery",
            message,
        });
    } catch (failure) {
        console.error(`Quillery: no notification (${failure.message})`);
    }
}
