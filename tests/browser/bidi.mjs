// A small client of WebDriver BiDi, the protocol of Firefox's remote agent: Firefox is started
// with --remote-debugging-port=0, prints the address it listens on to its standard error, and
// takes commands and sends answers and events as JSON texts over a WebSocket. Node's own
// WebSocket does the transport (run.sh gives Node the flag that turns it on where it is not on
// by default); no package is needed beyond Node itself.
import { spawn } from "node:child_process";
import { constants } from "node:os";

const DEFAULT_WAIT_MS = 30000;

export class Browser {
    // Starts Firefox in a process group of its own, so that closing it ends its content
    // processes too, and opens a BiDi session once it listens.
    static async launch(executable, args, env) {
        const child = spawn(executable, [...args, "--remote-debugging-port=0"], {
            stdio: ["ignore", "ignore", "pipe"],
            detached: true,
            env,
        });
        const browser = new Browser(child);
        // Firefox's process group is not the test's: a signal to the test does not reach it, so
        // it is ended when the test ends, however the test ends.
        process.once("exit", () => browser.closed || browser.killGroup("SIGKILL"));
        for (const signal of ["SIGINT", "SIGTERM", "SIGHUP"]) {
            process.once(signal, () => process.exit(128 + constants.signals[signal]));
        }
        const address = await new Promise((resolve, reject) => {
            const timer = setTimeout(() => reject(new Error(
                `Firefox did not name its WebDriver BiDi address\n${browser.stderr}`)),
            DEFAULT_WAIT_MS);
            const look = () => {
                const found = /WebDriver BiDi listening on (ws:\/\/\S+)/.exec(browser.stderr);
                if (found) {
                    clearTimeout(timer);
                    child.stderr.off("data", look);
                    resolve(found[1]);
                }
            };
            child.stderr.on("data", look);
            child.once("exit", () => {
                clearTimeout(timer);
                reject(new Error(`Firefox ended before it listened\n${browser.stderr}`));
            });
        });
        try {
            await browser.connect(`${address}/session`);
            await browser.send("session.new", { capabilities: {} });
        } catch (failure) {
            await browser.close();
            throw failure;
        }
        return browser;
    }

    constructor(child) {
        this.child = child;
        this.nextId = 1;
        this.pending = new Map();
        this.stderr = "";
        this.exited = false;
        child.stderr.on("data", (chunk) => {
            this.stderr = (this.stderr + chunk).slice(-20000);
        });
        child.on("exit", () => {
            this.exited = true;
            this.failPending(`the browser ended\n${this.stderr}`);
        });
    }

    connect(url) {
        this.socket = new WebSocket(url);
        this.socket.onmessage = ({ data }) => this.dispatch(JSON.parse(data));
        this.socket.onclose = () => this.failPending("the BiDi connection closed");
        return new Promise((resolve, reject) => {
            this.socket.onopen = resolve;
            this.socket.onerror = () => reject(new Error(`no BiDi connection to ${url}`));
        });
    }

    failPending(reason) {
        for (const { reject, method } of this.pending.values()) {
            reject(new Error(`${method}: ${reason}`));
        }
        this.pending.clear();
    }

    // Answers settle their commands; the test subscribes to no events.
    dispatch(message) {
        if (message.id === undefined) {
            return;
        }
        const call = this.pending.get(message.id);
        this.pending.delete(message.id);
        if (message.type === "error") {
            call?.reject(new Error(`${call.method}: ${message.error}: ${message.message}`));
        } else {
            call?.resolve(message.result);
        }
    }

    // Sends a command; resolves to its result.
    send(method, params = {}) {
        if (this.exited || this.socket?.readyState !== WebSocket.OPEN) {
            return Promise.reject(new Error(`the browser cannot be reached: ${method}`));
        }
        const id = this.nextId++;
        return new Promise((resolve, reject) => {
            this.pending.set(id, { resolve, reject, method });
            this.socket.send(JSON.stringify({ id, method, params }));
        });
    }

    // Evaluates an expression in a browsing context (a tab's frame, or with system access a
    // window of the browser itself); resolves to its value, after awaiting it when it is a
    // promise. The value crosses as JSON, as the DevTools protocol's returnByValue has it; a
    // thrown exception rejects.
    async evaluate(context, expression) {
        const answer = await this.send("script.evaluate", {
            expression: `(async () => JSON.stringify({ value: await (${expression}\n) }))()`,
            target: { context },
            awaitPromise: true,
            resultOwnership: "none",
        });
        if (answer.type === "exception") {
            const details = answer.exceptionDetails;
            throw new Error(`evaluating ${expression.slice(0, 80)}: ${details.text}\n` +
                details.stackTrace?.callFrames?.map((frame) =>
                    `    at ${frame.functionName} (${frame.url}:${frame.lineNumber})`).join("\n"));
        }
        return JSON.parse(answer.result.value).value;
    }

    // Ends the browser, its whole process group, and waits until it has.
    async close() {
        if (!this.exited) {
            const ended = new Promise((resolve) => this.child.once("exit", resolve));
            this.send("browser.close").catch(() => {});
            const timer = setTimeout(() => this.killGroup("SIGKILL"), 10000);
            await ended;
            clearTimeout(timer);
        }
        // Content processes that outlived the parent process.
        this.killGroup("SIGKILL");
        this.closed = true;
        this.socket?.close();
    }

    killGroup(signal) {
        try {
            process.kill(-this.child.pid, signal);
        } catch {
            // The group has already ended.
        }
    }
}
