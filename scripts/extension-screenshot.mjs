// Takes the picture of the extension's entry in Chromium's context menu: run by
// extension-screenshot.sh, on the display in DISPLAY, which has a window manager.
//
//     node extension-screenshot.mjs CHROMIUM_BINARY EXTENSION_DIR OUTPUT_PNG
//
// Chromium opens the test page in a window; xdotool right-clicks the message box with the real
// pointer; once the menu's window is mapped and its picture has settled, ImageMagick's import
// captures the screen, cut to the browser's window and the menu.
import { execFileSync } from "node:child_process";
import { resolve } from "node:path";
import { Fixture, WAIT_MS } from "../tests/browser/fixture.mjs";
import { unmanagedWindows } from "../tests/browser/x-windows.mjs";

// Tall enough for the whole menu of a text area, opened next to the field.
const WINDOW_SIZE = [720, 640];

function run(command, ...args) {
    return execFileSync(command, args, { encoding: "utf8" });
}

// Polls `probe` until it returns a value other than undefined.
async function poll(probe, what) {
    const deadline = Date.now() + WAIT_MS;
    for (;;) {
        const value = probe();
        if (value !== undefined) {
            return value;
        }
        if (Date.now() > deadline) {
            throw new Error(`waited ${WAIT_MS} ms for ${what}`);
        }
        await new Promise((next) => setTimeout(next, 50));
    }
}

async function main() {
    const [chromium, extensionDir, output] = process.argv.slice(2);
    const fixture = new Fixture(chromium, resolve(extensionDir));
    try {
        await fixture.start({ headed: true, windowSize: WINDOW_SIZE });
        await fixture.inPage(`(() => {
            document.getElementById("name").value = "Sam Smith";
            document.getElementById("message").value = "Thank you for your order.\\n";
            window.pageOnScreen = null;
            addEventListener("mousemove", (event) => {
                pageOnScreen = { x: event.screenX - event.clientX, y: event.screenY - event.clientY };
            });
            return true;
        })()`);
        // Where the page lies on the screen: the real pointer moved into it tells both.
        run("xdotool", "mousemove", "--sync", "200", "300");
        await fixture.until((expression) => fixture.inPage(expression), "window.pageOnScreen",
            "the pointer over the page");
        const point = await fixture.inPage(`(() => {
            const box = document.getElementById("message").getBoundingClientRect();
            return {
                x: Math.round(pageOnScreen.x + box.left + 60),
                y: Math.round(pageOnScreen.y + box.top + box.height / 2),
            };
        })()`);

        const before = unmanagedWindows();
        run("xdotool", "mousemove", "--sync", String(point.x), String(point.y), "click", "3");
        await fixture.until((expression) => fixture.inPage(expression),
            "seenContextMenus.includes('message')", "the contextmenu event");
        const [menuId, menu] = await poll(() => [...unmanagedWindows()]
            .find(([id, box]) => !before.has(id) && box.width > 50 && box.height > 50),
        "the context menu's window");
        // Drawn: the same picture twice running, with text in it (many colours).
        let last = "";
        await poll(() => {
            const [colours, signature] = run("import", "-window", menuId, "-format", "%k %#",
                "info:").trim().split(" ");
            const settled = signature === last && Number(colours) > 16;
            last = signature;
            return settled ? true : undefined;
        }, "the context menu's picture");

        const right = Math.max(WINDOW_SIZE[0], menu.x + menu.width);
        const bottom = Math.max(WINDOW_SIZE[1], menu.y + menu.height);
        run("import", "-window", "root", "-crop", `${right}x${bottom}+0+0`, "+repage", output);
        console.log(`extension-screenshot: ${output} (${right}x${bottom}; the menu at ` +
            `${menu.x},${menu.y}, ${menu.width}x${menu.height})`);
    } finally {
        await fixture.stop();
    }
}

main().catch((failure) => {
    console.error(`extension-screenshot: ${failure.stack ?? failure}`);
    process.exit(1);
});
