// The X windows on the display in DISPLAY, as xwininfo lists them: for the tests and the
// screenshot that find a browser's context menu or the snippet menu by their windows.
import { execFileSync } from "node:child_process";

const xwininfo = (...args) => execFileSync("xwininfo", args,
    { encoding: "utf8", stdio: ["ignore", "pipe", "pipe"] });

// The mapped top-level windows that the window manager does not handle (menus, tooltips), by
// id, with their place and size on the screen. A window gone while it is asked about is left
// out.
export function unmanagedWindows() {
    const windows = new Map();
    for (const line of xwininfo("-root", "-children").split("\n")) {
        const id = line.match(/^\s+(0x[0-9a-f]+)/)?.[1];
        let info;
        try {
            info = id && xwininfo("-id", id);
        } catch {
            continue; // gone meanwhile
        }
        if (/Map State: IsViewable/.test(info) && /Override Redirect State: yes/.test(info)) {
            const number = (label) => Number(info.match(new RegExp(`${label}:\\s+(-?\\d+)`))[1]);
            windows.set(id, {
                x: number("Absolute upper-left X"), y: number("Absolute upper-left Y"),
                width: number("Width"), height: number("Height"),
            });
        }
    }
    return windows;
}
