// The browser tests in Firefox: the same test pages and stand-in host as in Chromium
// (fixture.mjs), with Firefox driven through WebDriver BiDi (bidi.mjs). The extension is
// installed as a temporary add-on from its own folder, as about:debugging does, with no access
// to any site; the pointer is a real one of Firefox's input, and Firefox's own context menu
// opens and its Quillery entry is picked, which lends the extension the tab. Firefox's remote
// agent is started with system access, which lets the test evaluate in the browser's own
// window: there it picks the context menu's entry and reaches, through Firefox's developer
// tools, the extension's background page, as the extension's Inspect does.
import assert from "node:assert/strict";
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { Browser } from "./bidi.mjs";
import { Fixture as ChromiumFixture, SNIPPET, WAIT_MS } from "./fixture.mjs";

export { SNIPPET, WAIT_MS };

// The add-on's ID (its manifest's browser_specific_settings.gecko.id), the one the host's
// Firefox manifest lets in.
const ADDON_ID = "quillery@pennock.example";
// Firefox gives each profile's add-on a random host name for its pages; the test's profile
// fixes it, so that the extension's origin is known before it is installed.
const EXTENSION_UUID = "3f0c2b6e-8d4a-4e1f-9a57-c6b1d0e2f843";
export const EXTENSION_ORIGIN = `moz-extension://${EXTENSION_UUID}`;
// The context menu's item for the extension's entry "quillery": Firefox names it after the
// add-on's ID, with every character other than a letter, digit, "_" or "-" as "_".
const ENTRY_ITEM_ID = `${ADDON_ID.replace(/[^a-z0-9_-]/gi, "_").toLowerCase()}-menuitem-_quillery`;
// Written to the background's console to know that every earlier message has arrived.
const CONSOLE_MARK = "quillery test: console read";

export class Fixture extends ChromiumFixture {
    constructor(firefox, extensionDir) {
        super(firefox, extensionDir);
        this.browserName = "firefox";
        this.firefox = firefox;
        // Firefox looks for the user's hosts under the home folder: the test's own one.
        this.home = join(this.work, "home");
        this.hostsFolder = join(this.home, ".mozilla", "native-messaging-hosts");
        this.hostAllowance = { allowed_extensions: [ADDON_ID] };
        // Firefox starts a host with the path of its manifest and the add-on's ID.
        this.hostArguments = [join(this.hostsFolder, "quillery.json"), ADDON_ID];
        this.consoleReads = 0;
    }

    async start() {
        this.installStandInHost();
        await this.serveTestPages();
        mkdirSync(this.profile, { recursive: true });
        const uuids = JSON.stringify({ [ADDON_ID]: EXTENSION_UUID });
        writeFileSync(join(this.profile, "user.js"),
            `user_pref("extensions.webextensions.uuids", ${JSON.stringify(uuids)});\n`);
        // No crash reporter's window or report for a browser the test ends.
        this.browser = await Browser.launch(this.firefox,
            ["--headless", "--remote-allow-system-access", "--profile", this.profile],
            { ...process.env, HOME: this.home, MOZ_CRASHREPORTER_DISABLE: "1" });
        // The folder as it is, or the .xpi archive that users install.
        const extensionData = this.extensionDir.endsWith(".xpi")
            ? { type: "archivePath", path: this.extensionDir }
            : { type: "path", path: this.extensionDir };
        const { extension } = await this.browser.send("webExtension.install", { extensionData });
        assert.equal(extension, ADDON_ID);
        const { contexts: [window] } = await this.browser.send("browsingContext.getTree",
            { "moz:scope": "chrome" });
        this.windowContext = window.context;
        await this.keepNotifications();
        await this.attachToBackground();
        await this.openTestPage();
    }

    // Evaluates in the browser's own window (browser.xhtml), where the context menu is.
    inWindow(expression) {
        return this.browser.evaluate(this.windowContext, expression);
    }

    // A headless Firefox has no notification server: each notification it is asked to show is
    // closed at once, and the extension's list of its notifications stays empty. In its place,
    // the test's Firefox keeps what it shows until it is closed, as a desktop does.
    async keepNotifications() {
        await this.inWindow(`(() => {
            const shown = new Map();
            const server = {
                QueryInterface: ChromeUtils.generateQI(["nsIAlertsService"]),
                showAlert(alert, listener) {
                    shown.set(alert.name, { alert, listener });
                    listener?.observe(null, "alertshow", alert.cookie);
                },
                closeAlert(name) {
                    const closed = shown.get(name);
                    shown.delete(name);
                    closed?.listener?.observe(null, "alertfinished", closed.alert.cookie);
                },
            };
            Components.manager.QueryInterface(Ci.nsIComponentRegistrar).registerFactory(
                Components.ID("{6c0f3b8e-2a4d-4f7b-9e1c-5d8a7b3f2e10}"),
                "notifications kept until closed", "@mozilla.org/alerts-service;1", {
                    QueryInterface: ChromeUtils.generateQI(["nsIFactory"]),
                    createInstance: (iid) => server.QueryInterface(iid),
                });
            return true;
        })()`);
    }

    // Connects Firefox's developer tools to the extension's background page, collecting its
    // console, and has the background record what each click on the menu entry runs.
    async attachToBackground() {
        await this.inWindow(`(async () => {
            const { require } = ChromeUtils.importESModule(
                "resource://devtools/shared/loader/Loader.sys.mjs");
            const { CommandsFactory } = require("devtools/shared/commands/commands-factory");
            const commands = await CommandsFactory.forAddon(${JSON.stringify(ADDON_ID)});
            await commands.targetCommand.startListening();
            const messages = [];
            await commands.resourceCommand.watchResources(
                [commands.resourceCommand.TYPES.CONSOLE_MESSAGE], {
                    onAvailable: (resources) => {
                        // A text as it is; anything else by its kind.
                        for (const message of resources) {
                            messages.push({ type: message.level, text: message.arguments
                                .map((argument) => String(argument?.type ?? argument)).join(" ") });
                        }
                    },
                });
            window.quilleryBackground = { commands, messages };
            return true;
        })()`);
        this.workerUrl = await this.inWorker("document.scripts[0].src");
        // The click handler that the background registered is kept, and called by a listener
        // that also keeps the promise of its result for the test.
        await this.inWorker(`(() => {
            const menus = (globalThis.browser ?? globalThis.chrome).contextMenus;
            if (!menus.onClicked.hasListener(onMenuClicked)) {
                throw new Error("the background does not listen to clicks with onMenuClicked");
            }
            globalThis.menuPicks = [];
            menus.onClicked.removeListener(onMenuClicked);
            menus.onClicked.addListener((info, tab) => menuPicks.push(onMenuClicked(info, tab)));
            return true;
        })()`);
    }

    // Evaluates in the extension's background page, through the developer tools' console.
    inWorker(expression) {
        const text = `(async () => JSON.stringify({ value: await (${expression}\n) }))()`;
        return this.inWindow(`(async () => {
            const response = await window.quilleryBackground.commands.scriptCommand.execute(
                ${JSON.stringify(text)}, { mapped: { await: true }, disableBreaks: true });
            if (response.exceptionMessage) {
                throw new Error("in the background: " + response.exceptionMessage);
            }
            // A long text comes as a reference to fetch.
            const result = typeof response.result === "string" ? response.result
                : await response.result.string();
            return JSON.parse(result).value;
        })()`);
    }

    // Moves what the background's console said since the last time to workerConsole.
    async readWorkerConsole() {
        const mark = `${CONSOLE_MARK} ${++this.consoleReads}`;
        await this.inWorker(`console.debug(${JSON.stringify(mark)})`);
        await this.until((expression) => this.inWindow(expression),
            `window.quilleryBackground.messages.some((message) => message.text === ${
                JSON.stringify(mark)})`, "the background's console");
        const messages = await this.inWindow("window.quilleryBackground.messages.splice(0)");
        this.workerConsole.push(...messages.filter(({ text }) => !text.startsWith(CONSOLE_MARK)));
    }

    async openTestPage() {
        const { contexts: [tab] } = await this.browser.send("browsingContext.getTree", {});
        this.tabContext = tab.context;
        await this.load(this.pageUrl);
    }

    // Loads an address in the tab and waits for its load event.
    async load(url) {
        await this.browser.send("browsingContext.navigate",
            { context: this.tabContext, url, wait: "complete" });
    }

    // The tab, and the extension's frame id and the address of a frame ("top", or the test
    // page's iframe), as a click in it reports them: the tab as the background sees it, the
    // frame as Firefox names it to extensions (0 for the top frame, the id of its browsing
    // context for a frame in it).
    async clickSource(frame = "top") {
        const [tab] = await this.inWorker(
            "(globalThis.browser ?? globalThis.chrome).tabs.query({ active: true })");
        const frameId = await this.inWindow(`(() => {
            const top = gBrowser.selectedBrowser.browsingContext;
            return ${JSON.stringify(frame)} === "top" ? 0 : top.children[0].id;
        })()`);
        // The frame's address as the browser's own tree of the tab's frames gives it.
        const { contexts: [page] } = await this.browser.send("browsingContext.getTree", {});
        const frameUrl = frame === "top" ? page.url : page.children[0].url;
        return { tab, frameId, frameUrl };
    }

    inPage(expression) {
        return this.browser.evaluate(this.tabContext, expression);
    }

    // The press and release of the right button through Firefox's input, which opens Firefox's
    // context menu; resolves once it is open. A menu still open from an earlier right-click is
    // closed first, as Escape would: it would take the press to close itself.
    async pressRightButton({ x, y }) {
        await this.inWindow(`(() => {
            const menu = document.getElementById("contentAreaContextMenu");
            if (menu.state !== "closed") menu.hidePopup();
            return true;
        })()`);
        await this.until((expression) => this.inWindow(expression),
            `document.getElementById("contentAreaContextMenu").state === "closed"`,
            "the earlier context menu to close");
        await this.browser.send("input.performActions", {
            context: this.tabContext,
            actions: [{
                type: "pointer",
                id: "mouse",
                parameters: { pointerType: "mouse" },
                actions: [
                    { type: "pointerMove", x, y },
                    { type: "pointerDown", button: 2 },
                    { type: "pointerUp", button: 2 },
                ],
            }],
        });
        await this.until((expression) => this.inWindow(expression),
            `document.getElementById("contentAreaContextMenu").state === "open"`,
            "the context menu to open");
    }

    // Picks the Quillery entry in the context menu that the last right-click opened, and
    // resolves to what the click handler resolved to. Where that menu is gone (a case that picks
    // the entry again without another right-click) or has no such entry (Firefox offers it only
    // for editable fields), the handler is called as the Chromium test calls it: with the tab,
    // frame id and address that Firefox gives the extension (`source`, as clickSource found
    // them then, or now). Such a call lends the extension no access to the tab, as a click
    // does: the test pages' origins are granted for the time of the call instead.
    async clickMenuEntry(frame = "top", source = undefined) {
        const picksBefore = await this.inWorker("menuPicks.length");
        const picked = await this.inWindow(`(() => {
            const menu = document.getElementById("contentAreaContextMenu");
            const entry = document.getElementById(${JSON.stringify(ENTRY_ITEM_ID)});
            if (menu.state !== "open" || !entry || entry.hidden || !menu.contains(entry)) {
                return false;
            }
            menu.activateItem(entry);
            return true;
        })()`);
        let result;
        if (picked) {
            await this.until((expression) => this.inWorker(expression),
                `menuPicks.length > ${picksBefore}`, "the click on the menu entry");
            result = await this.inWorker("menuPicks.at(-1)");
        } else {
            const { tab, frameId, frameUrl } = source ?? await this.clickSource(frame);
            const info = { menuItemId: "quillery", editable: true, frameId, frameUrl,
                pageUrl: tab.url };
            await this.grantTestOrigins("add");
            try {
                result = await this.inWorker(
                    `onMenuClicked(${JSON.stringify(info)}, ${JSON.stringify(tab)})`);
            } finally {
                await this.grantTestOrigins("remove");
            }
        }
        await this.readWorkerConsole();
        return result;
    }

    // Grants ("add") or takes back ("remove") the test pages' two origins, as the user does who
    // allows the extension on a site in Firefox's permission settings.
    grantTestOrigins(change) {
        return this.inWindow(`(async () => {
            const { ExtensionPermissions } = ChromeUtils.importESModule(
                "resource://gre/modules/ExtensionPermissions.sys.mjs");
            await ExtensionPermissions.${change}(${JSON.stringify(ADDON_ID)},
                { permissions: [], origins: ["http://127.0.0.1/*", "http://localhost/*"] },
                WebExtensionPolicy.getByID(${JSON.stringify(ADDON_ID)}).extension);
            return true;
        })()`);
    }
}
