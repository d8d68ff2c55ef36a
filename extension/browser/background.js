// Quillery's entry in the context menu of editable fields. A click asks the native host for a
// snippet and hands the text to the content script of the frame that was right-clicked, which
// puts it into the field. The host's menu opens at the pointer, so the request goes out at once,
// while the pointer is still where the user right-clicked.
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

// Runs one menu request for a click on the entry (`info` and `tab` as the browser gives them).
// Resolves, once everything is done, to what the content script reports ({inserted:
// characters}), or null when nothing was handed to the page; never rejects: a failure is
// reported to the user instead.
async function onMenuClicked(info, tab) {
    if (info.menuItemId !== MENU_ID || !tab || !(tab.id >= 0)) {
        return null;
    }
    let answer;
    try {
        answer = await api.runtime.sendNativeMessage(HOST_NAME, { request: "menu" });
    } catch (failure) {
        await reportFailure(`The Quillery program could not be reached (${failure.message}). ` +
            "Run install.cmd of the Quillery package, then restart the browser.");
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
    try {
        return await api.tabs.sendMessage(tab.id, { quillery: "insert", text: answer.text },
            { frameId: info.frameId ?? 0 });
    } catch (failure) {
        await reportFailure(`The snippet could not be put into the page (${failure.message}).`);
        return null;
    }
}

// Tells the user of a failure without touching the page: a notification where the browser can
// show one, and the extension's console in any case.
async function reportFailure(message) {
    console.error(`Quillery: ${message}`);
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
