// The browser extension in a real headless Chromium (see fixture.mjs) or Firefox (see
// firefox-fixture.mjs), chosen by the browser binary's name. Each case right-clicks a field as a
// user does (a real right button press of the browser's input, which focuses the field), then
// runs what a click on the "Quillery" menu entry runs. In Chromium, whose native context menu is
// not drawn when headless and cannot be clicked, that is the background's click handler, given
// what the browser gives it for such a click; in Firefox, the entry of Firefox's own context
// menu where it offers one.
//
//     node extension.test.mjs BROWSER_BINARY EXTENSION_DIR [CASE...]
//
// Ends with the line "N passed, M failed"; exits non-zero when a case failed, and when the
// words given choose no case.
import assert from "node:assert/strict";
import { basename, resolve } from "node:path";

const [browserBinary, extensionDir, ...only] = process.argv.slice(2);
const inFirefox = basename(browserBinary ?? "").startsWith("firefox");
const { EXTENSION_ORIGIN, Fixture, SNIPPET, WAIT_MS } =
    await import(inFirefox ? "./firefox-fixture.mjs" : "./fixture.mjs");

const SNIPPET_ON_ONE_LINE = "Kind regards, Pat";
const SNIPPET_IN_TEXT_AREA = "Kind regards,\nPat";

function insertText(target, data) {
    return { target, kind: "InputEvent", inputType: "insertText", data };
}

// What a real right-click leaves for the snippet in a field that holds SELECTED_VALUE with "Sam"
// selected: the click lands on the character `onCharacter` (a quarter of the way in), and "|"
// marks where the snippet is found afterwards (per browser where they differ). The browser keeps
// a selection that the click lands on; elsewhere it puts the caret at the click's point.
const SELECTED_VALUE = "To: Sam and Kim";
const RIGHT_CLICKS = [
    { on: "the selected text", focused: true, onCharacter: 5, result: "To: | and Kim" },
    { on: "other text", focused: true, onCharacter: 12, result: "To: Sam and |Kim" },
    // In Chromium a field without the focus shows no selection: the click puts the caret, as
    // anywhere. Firefox keeps the selection that the click lands on, focus or not.
    { on: "the selected text, no focus", focused: false, onCharacter: 5,
        result: { chromium: "To: S|am and Kim", firefox: "To: | and Kim" } },
];

// The host's request of the last click asks for the menu on the right-clicked field (the
// right-click's own point is gone by then), as the browser's own mouse events place the field
// on the screen.
async function assertMenuAskedOnField(fixture, request, id, documentOf = "document") {
    const field = await fixture.inPage(`(() => {
        const view = ${documentOf}.defaultView;
        const box = ${documentOf}.getElementById(${JSON.stringify(id)}).getBoundingClientRect();
        const { x, y } = view.viewOnScreen;
        return { left: x + box.left, right: x + box.right, top: y + box.top,
            bottom: y + box.bottom, ratio: view.devicePixelRatio };
    })()`);
    const inside = (from, value, to) => from <= value && value <= to;
    const { at } = request;
    assert.ok(at && inside(field.left, at.x / field.ratio, field.right) &&
        inside(field.top, at.y / field.ratio, field.bottom),
    `${id}: ${JSON.stringify(at)} is not on ${JSON.stringify(field)}`);
}

// Clicks the entry with the host's answer held back, as while the user's menu is open; resolves,
// once the host has the request, to {clicked}: the click's promise. setAnswer closes the menu.
async function clickWithMenuOpen(fixture, frame) {
    const asked = fixture.hostRequests().length;
    fixture.holdAnswer();
    const clicked = fixture.clickMenuEntry(frame);
    await fixture.waitFor(() => fixture.hostRequests().length > asked, "the host's request");
    return { clicked };
}

// The right-clicked page's place taken by another, in the tab or in its frame, before the
// snippet comes: while the host's menu is open, or even before the entry is clicked (then the
// host is not asked). `elsewhere` is the new page's document, from the top frame's script.
const INNER = "document.getElementById('inner').contentDocument";
const toSite = (fixture) => fixture.load(`${fixture.otherOrigin}/elsewhere.html`);
const frameElsewhere = (fixture) =>
    fixture.inPage("document.getElementById('inner').src = 'elsewhere.html'");
// Told in the user's words, whichever way the browser refused: the document is gone, or has
// no claim.
const NOT_PUT = /^Quillery: The snippet was not put into the page: the page (you right-clicked is no longer there|is no longer the one you right-clicked)\.$/;
const REPLACED_PAGES = [
    { by: "the tab going to another site, menu open", frame: "top", field: "message",
        elsewhere: "document", replace: toSite, told: NOT_PUT },
    { by: "the page pointing its frame elsewhere, menu open", frame: "inner", field: "comment",
        elsewhere: INNER, replace: frameElsewhere, told: NOT_PUT },
    { by: "the page pointing its frame elsewhere before the click", frame: "inner",
        field: "comment", elsewhere: INNER, replace: frameElsewhere, beforeClick: true,
        told: /^Quillery: The page changed after your right-click/ },
];

const cases = {
    async "the extension loads under its fixed ID with its menu entry"(fixture) {
        assert.equal(fixture.workerUrl, `${EXTENSION_ORIGIN}/background.js`);
        // Updating an entry succeeds only when it exists; the entry is made as the extension
        // is installed, which may still be under way.
        await fixture.inWorker(`(async () => {
            const deadline = Date.now() + ${WAIT_MS};
            for (;;) {
                try {
                    await chrome.contextMenus.update("quillery", {});
                    return true;
                } catch (missing) {
                    if (Date.now() > deadline) throw missing;
                    await new Promise((next) => setTimeout(next, 10));
                }
            }
        })()`);
    },

    async "a text box: the selection is replaced, line breaks become spaces, the caret follows"(
        fixture) {
        await fixture.rightClick("name");
        await fixture.prepareControl("name", "To: Sam Smith", 4, 7);
        const before = fixture.hostRequests().length;
        assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 17 });
        assert.deepEqual(await fixture.controlState("name"), {
            value: `To: ${SNIPPET_ON_ONE_LINE} Smith`,
            caret: [21, 21],
            focused: true,
            inputs: [insertText("name", SNIPPET_ON_ONE_LINE)],
        });
        const requests = fixture.hostRequests();
        assert.equal(requests.length, before + 1);
        assert.equal(requests.at(-1).request.request, "menu");
        await assertMenuAskedOnField(fixture, requests.at(-1).request, "name");
        assert.deepEqual(requests.at(-1).arguments, fixture.hostArguments);
    },

    async "a field moved out of view before the entry's click: the menu opens at the view's edge"(
        fixture) {
        await fixture.rightClick("name");
        const moved = (style) => fixture.inPage(
            `document.getElementById("name").style.cssText = ${JSON.stringify(style)}`);
        await moved("position: fixed; left: 30px; top: 100000px");
        await fixture.clickMenuEntry();
        await moved(""); // the later cases use the field where the page has it
        const { at } = fixture.hostRequests().at(-1).request;
        const view = await fixture.inPage(`({ ...viewOnScreen, width: innerWidth,
            height: innerHeight, ratio: devicePixelRatio })`);
        assert.ok(at && view.x <= at.x / view.ratio && at.x / view.ratio <= view.x + view.width &&
            Math.abs(at.y / view.ratio - (view.y + view.height)) <= 1,
        `${JSON.stringify(at)} is not on the bottom edge of ${JSON.stringify(view)}`);
    },

    async "a text area: the line break is kept; the right-clicked field gets it, not the focused"(
        fixture) {
        await fixture.rightClick("message");
        await fixture.prepareControl("message", "Thanks.\nSee you.", 8);
        await fixture.prepareControl("name", "", 0);
        // The page's script names another field in a contextmenu event of its own making.
        await fixture.inPage(`document.getElementById("name")
            .dispatchEvent(new MouseEvent("contextmenu", { bubbles: true }))`);
        // While the menu is open the user right-clicks another field, which takes the focus,
        // and picks nothing there: the open menu's snippet still goes to its own field.
        const { clicked } = await clickWithMenuOpen(fixture, "top");
        await fixture.rightClick("name");
        fixture.setAnswer({ text: SNIPPET });
        assert.deepEqual(await clicked, { inserted: 17 });
        assert.deepEqual(await fixture.controlState("message"), {
            value: `Thanks.\n${SNIPPET_IN_TEXT_AREA}See you.`,
            caret: [25, 25],
            focused: true,
            inputs: [insertText("message", SNIPPET_IN_TEXT_AREA)],
        });
        assert.equal(await fixture.inPage("document.getElementById('name').value"), "");
    },

    async "a right-click on the selected text keeps it for the snippet; elsewhere the caret moves"(
        fixture) {
        for (const [id, snippet] of [["name", SNIPPET_ON_ONE_LINE],
            ["message", SNIPPET_IN_TEXT_AREA]]) {
            for (const { on, focused, onCharacter, result: results } of RIGHT_CLICKS) {
                const result = results[fixture.browserName] ?? results;
                await fixture.prepareControl(id, SELECTED_VALUE, 4, 7, { focused });
                await fixture.rightClick(id, { onCharacter });
                assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 17 });
                const caret = result.indexOf("|") + snippet.length;
                const clicked = `${id} right-clicked on ${on}`;
                assert.deepEqual({ clicked, ...await fixture.controlState(id) }, {
                    clicked,
                    value: result.replace("|", snippet),
                    caret: [caret, caret],
                    focused: true,
                    inputs: [insertText(id, snippet)],
                });
            }
        }
    },

    async "contenteditable: the selected text is replaced, the line break is a <br>"(fixture) {
        await fixture.rightClick("letter");
        await fixture.inPage(`(() => {
            const letter = document.getElementById("letter");
            letter.innerHTML = "Dear <b>Sam</b>,";
            getSelection().selectAllChildren(letter.querySelector("b"));
            seenInputs.length = 0;
            return true;
        })()`);
        assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 17 });
        assert.deepEqual(await fixture.inPage(`(() => {
            const letter = document.getElementById("letter");
            const selection = getSelection();
            const beforeCaret = document.createRange();
            beforeCaret.setStart(letter, 0);
            beforeCaret.setEnd(selection.focusNode, selection.focusOffset);
            const holder = document.createElement("div");
            holder.append(beforeCaret.cloneContents());
            return {
                html: letter.innerHTML,
                collapsed: selection.isCollapsed,
                beforeCaret: holder.innerHTML,
                focused: document.activeElement === letter,
                inputs: seenInputs,
            };
        })()`), {
            html: "Dear <b>Kind regards,<br>Pat</b>,",
            collapsed: true,
            beforeCaret: "Dear <b>Kind regards,<br>Pat</b>",
            focused: true,
            inputs: [insertText("letter", SNIPPET_IN_TEXT_AREA)],
        });
    },

    async "maxlength: only what fits goes in, counting the selection; a full box is kept"(
        fixture) {
        await fixture.rightClick("postcode");
        await fixture.prepareControl("postcode", "12345678", 8);
        assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 2 });
        assert.deepEqual(await fixture.controlState("postcode"), {
            value: "12345678Ki", caret: [10, 10], focused: true,
            inputs: [insertText("postcode", "Ki")],
        });

        await fixture.prepareControl("postcode", "1234567890", 4, 7);
        assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 3 });
        assert.deepEqual(await fixture.controlState("postcode"), {
            value: "1234Kin890", caret: [7, 7], focused: true,
            inputs: [insertText("postcode", "Kin")],
        });

        await fixture.prepareControl("postcode", "1234567890", 5);
        assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 0 });
        assert.deepEqual(await fixture.controlState("postcode"), {
            value: "1234567890", caret: [5, 5], focused: true, inputs: [],
        });
    },

    async "an e-mail box, which has no caret position, gets the snippet at its end"(fixture) {
        await fixture.rightClick("email");
        await fixture.inPage(`(() => {
            document.getElementById("email").value = "sam";
            seenInputs.length = 0;
            return true;
        })()`);
        fixture.setAnswer({ text: "@example.com" });
        assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 12 });
        assert.deepEqual(await fixture.inPage(`({
            value: document.getElementById("email").value,
            focused: document.activeElement.id,
            inputs: seenInputs,
        })`), {
            value: "sam@example.com",
            focused: "email",
            inputs: [insertText("email", "@example.com")],
        });
    },

    async "a read-only field is left as it is"(fixture) {
        await fixture.rightClick("reference");
        await fixture.inPage("seenInputs.length = 0");
        assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 0 });
        const state = await fixture.controlState("reference");
        assert.equal(state.value, "Q-1024");
        assert.deepEqual(state.inputs, []);
    },

    async "a field in a frame gets the snippet, the menu opens on it; the top page's fields not"(
        fixture) {
        const inner = "document.getElementById('inner').contentDocument";
        await fixture.rightClick("comment", { documentOf: inner });
        await fixture.inPage("seenInputs.length = 0");
        assert.deepEqual(await fixture.clickMenuEntry("inner"), { inserted: 17 });
        await assertMenuAskedOnField(fixture, fixture.hostRequests().at(-1).request, "comment",
            inner);
        assert.deepEqual(await fixture.inPage(`(() => {
            const comment = ${inner}.getElementById("comment");
            return {
                value: comment.value,
                caret: [comment.selectionStart, comment.selectionEnd],
                frameInputs: ${inner}.defaultView.seenInputs,
                topInputs: seenInputs,
            };
        })()`), {
            value: SNIPPET_IN_TEXT_AREA,
            caret: [17, 17],
            frameInputs: [{ target: "comment" }],
            topInputs: [],
        });
    },

    async "no choice, an error answer and a missing host insert nothing; failures are told"(
        fixture) {
        await fixture.rightClick("name");
        const noticesBefore = (await fixture.notifications()).length;

        fixture.setAnswer({ text: "" });
        await fixture.prepareControl("name", "unchanged", 2);
        assert.equal(await fixture.clickMenuEntry(), null);
        assert.equal(await fixture.notifications().then((ids) => ids.length), noticesBefore);

        fixture.setAnswer({ error: "Menu.dat could not be opened." });
        const consoleBefore = fixture.workerConsole.length;
        assert.equal(await fixture.clickMenuEntry(), null);
        assert.equal(await fixture.notifications().then((ids) => ids.length), noticesBefore + 1);

        const restore = await fixture.uninstallHost();
        try {
            assert.equal(await fixture.clickMenuEntry(), null);
        } finally {
            restore();
        }
        assert.equal(await fixture.notifications().then((ids) => ids.length), noticesBefore + 2);
        const errors = fixture.workerConsole.slice(consoleBefore)
            .filter((entry) => entry.type === "error").map((entry) => entry.text);
        assert.equal(errors.length, 2, errors.join("\n"));
        assert.equal(errors[0], "Quillery: Menu.dat could not be opened.");
        assert.match(errors[1], /^Quillery: The Quillery program could not be reached/);

        assert.deepEqual(await fixture.controlState("name"), {
            value: "unchanged", caret: [2, 2], focused: true, inputs: [],
        });
    },

    async "one host serves the session; one that has ended is started again, without a word"(
        fixture) {
        await fixture.rightClick("name");
        const consoleBefore = fixture.workerConsole.length;
        const hosts = [];
        const chooseSnippet = async () => {
            await fixture.prepareControl("name", "", 0);
            assert.deepEqual(await fixture.clickMenuEntry(), { inserted: 17 });
            hosts.push(fixture.hostRequests().at(-1).pid);
        };
        await chooseSnippet();
        await chooseSnippet();
        // Ended between requests: by a crash, and by the extension's close of an idle
        // connection, which the host follows.
        await fixture.endHost();
        await chooseSnippet();
        await fixture.inWorker("host.close()");
        await fixture.waitFor(() => !fixture.runningHost(), "the end of the idle host");
        await chooseSnippet();
        // Ended while its menu is open: that request alone fails, once, in plain words.
        const { clicked } = await clickWithMenuOpen(fixture, "top");
        await fixture.endHost({ seen: false });
        assert.equal(await clicked, null);
        fixture.setAnswer({ text: SNIPPET });
        await chooseSnippet();
        const [first, second, ...later] = hosts;
        assert.deepEqual({ sameHost: first === second, newHosts: new Set([first, ...later]).size,
            told: fixture.workerConsole.slice(consoleBefore)
                .filter((entry) => entry.type === "error").map((entry) => entry.text) },
        { sameHost: true, newHosts: 4, told: ["Quillery: The Quillery program closed before it " +
            "gave a snippet, so nothing was put into the page. Choose Quillery again."] });
    },

    async "a number field or a disabled one takes no snippet, and the user is told why"(fixture) {
        for (const { field, told } of [
            { field: "quantity", told: /^Quillery: The field you right-clicked takes only a num/ },
            { field: "locked", told: /^Quillery: No text field had the focus .* a disabled fi/ },
        ]) {
            await fixture.inPage("document.activeElement.blur()");
            await fixture.rightClick(field, { seenByPage: field !== "locked" });
            const asked = fixture.hostRequests().length;
            const consoleBefore = fixture.workerConsole.length;
            assert.equal(await fixture.clickMenuEntry(), null);
            const errors = fixture.workerConsole.slice(consoleBefore)
                .filter((entry) => entry.type === "error").map((entry) => entry.text);
            assert.deepEqual({ field, asked: fixture.hostRequests().length - asked,
                told: errors.length }, { field, asked: 0, told: 1 });
            assert.match(errors[0], told);
        }
    },

    async "a claim refused at first goes in; one refused for good, or a closed tab's, is told"(
        fixture) {
        // The first `refusals` injections of content.js are refused, as Chromium may refuse
        // them for a moment after the click that lent the extension the tab.
        const reached = "Quillery: The field you right-clicked could not be reached: the " +
            "browser does not let extensions into this page.";
        for (const { refusals, result, value, told } of [
            { refusals: 3, result: { inserted: 17 }, value: SNIPPET_ON_ONE_LINE, told: [] },
            { refusals: 1e9, result: null, value: "", told: [reached] },
        ]) {
            await fixture.rightClick("name");
            await fixture.prepareControl("name", "", 0);
            const consoleBefore = fixture.workerConsole.length;
            assert.ok(await fixture.inWorker(`(() => {
                const scripting = api.scripting;
                const inject = scripting.executeScript;
                globalThis.refusalsLeft = ${refusals};
                scripting.executeScript = function (details) {
                    return details.files && refusalsLeft-- > 0
                        ? Promise.reject(new Error("Cannot access contents of the page."))
                        : inject.call(this, details);
                };
                globalThis.restoreInjection = () => { scripting.executeScript = inject; };
                return scripting.executeScript !== inject;
            })()`), "the injection could not be replaced");
            let clicked;
            try {
                clicked = await fixture.clickMenuEntry();
            } finally {
                await fixture.inWorker("restoreInjection()");
            }
            const refused = refusals - Math.max(await fixture.inWorker("refusalsLeft"), 0);
            assert.deepEqual({
                refusals,
                result: clicked,
                triedAtLeastThrice: refused >= 3,
                value: await fixture.inPage("document.getElementById('name').value"),
                told: fixture.workerConsole.slice(consoleBefore)
                    .filter((entry) => entry.type === "error")
                    .map((entry) => entry.text),
            }, { refusals, result, triedAtLeastThrice: true, value, told });
        }
        // A click in a tab that has been closed since is told so, not in the browser's words.
        const source = await fixture.clickSource();
        const consoleBefore = fixture.workerConsole.length;
        assert.equal(await fixture.clickMenuEntry("top",
            { ...source, tab: { ...source.tab, id: 2 ** 30 } }), null);
        assert.deepEqual(fixture.workerConsole.slice(consoleBefore)
            .filter((entry) => entry.type === "error").map((entry) => entry.text),
        ["Quillery: The field you right-clicked could not be reached: its tab was closed."]);
    },

    async "a page that took the right-clicked one's place gets nothing; the user is told"(
        fixture) {
        for (const { by, frame, field, elsewhere, beforeClick, told, replace } of REPLACED_PAGES) {
            try {
                await fixture.rightClick(field,
                    { documentOf: frame === "top" ? "document" : INNER });
                const source = await fixture.clickSource(frame);
                const asked = fixture.hostRequests().length;
                const consoleBefore = fixture.workerConsole.length;
                const { clicked } = beforeClick ? {} : await clickWithMenuOpen(fixture, frame);
                await replace(fixture);
                await fixture.until((expression) => fixture.inPage(expression),
                    `${elsewhere}?.activeElement?.id === "other"`, `${by}: the new page`);
                fixture.setAnswer({ text: SNIPPET });
                const result = await (clicked ?? fixture.clickMenuEntry(frame, source));
                const errors = fixture.workerConsole.slice(consoleBefore)
                    .filter((entry) => entry.type === "error").map((entry) => entry.text);
                assert.deepEqual({
                    by, result, asked: fixture.hostRequests().length - asked, told: errors.length,
                    elsewhere: await fixture.inPage(`[${elsewhere}.getElementById("other").value,
                        ${elsewhere}.defaultView.seenInputs]`),
                }, { by, result: null, asked: beforeClick ? 0 : 1, told: 1, elsewhere: ["", []] });
                assert.match(errors[0], told, by);
            } finally {
                await fixture.load(fixture.pageUrl);
            }
        }
    },
};

async function main() {
    if (!browserBinary || !extensionDir) {
        console.error("usage: node extension.test.mjs BROWSER_BINARY EXTENSION_DIR [CASE...]");
        process.exit(2);
    }
    const chosen = Object.entries(cases)
        .filter(([name]) => only.length === 0 || only.some((word) => name.includes(word)));
    // Words that choose nothing are a mistake (a misspelt name, a renamed case), not a pass.
    if (chosen.length === 0) {
        console.error(`no case's name contains ${only.map((word) => `"${word}"`).join(" or ")}; ` +
            `the cases are:\n${Object.keys(cases).map((name) => `  ${name}`).join("\n")}`);
        console.log("0 passed, 1 failed");
        process.exit(1);
    }
    const fixture = new Fixture(browserBinary, resolve(extensionDir));
    let passed = 0;
    let failed = 0;
    try {
        await fixture.start();
        for (const [name, run] of chosen) {
            try {
                fixture.setAnswer({ text: SNIPPET });
                await run(fixture);
                passed++;
                console.log(`ok     ${name}`);
            } catch (failure) {
                failed++;
                console.log(`FAILED ${name}\n${failure.stack ?? failure}`);
            }
        }
    } catch (failure) {
        failed = chosen.length - passed;
        console.log(`FAILED to run the browser: ${failure.stack ?? failure}`);
        if (fixture.browser) {
            console.log(fixture.browser.stderr);
        }
    } finally {
        await fixture.stop();
    }
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed === 0 ? 0 : 1);
}

main();
