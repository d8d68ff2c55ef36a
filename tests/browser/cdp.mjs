// A small client of the DevTools protocol over Chromium's debugging pipe: Chromium reads
// commands on its file descriptor 3 and writes answers and events on 4, each message a JSON
// text ended by a NUL byte. No package is needed beyond Node itself.
import { spawn } from "node:child_process";

const DEFAULT_WAIT_MS = 30000;

export class Browser {
    static launch(executable, args) {
        const child = spawn(executable, [...args, "--remote-debugging-pipe"], {
            stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"],
        });
        return new Browser(child);
    }

    constructor(child) {
        this.child = child;
        this.nextId = 1;
        this.pending = new Map();
        this.listeners = new Set();
        this.stderr = "";
        this.exited = false;
        child.stderr.on("data", (chunk) => {
            this.stderr = (this.stderr + chunk).slice(-20000);
        });
        child.on("exit", () => {
            this.exited = true;
            for (const { reject, method } of this.pending.values()) {
                reject(new Error(`the browser ended during ${method}\n${this.stderr}`));
            }
            this.pending.clear();
        });
        let buffered = Buffer.alloc(0);
        child.stdio[4].on("data", (chunk) => {
            buffered = Buffer.concat([buffered, chunk]);
            for (let end = buffered.indexOf(0); end >= 0; end = buffered.indexOf(0)) {
                this.dispatch(JSON.parse(buffered.subarray(0, end).toString("utf8")));
                buffered = buffered.subarray(end + 1);
            }
        });
        child.stdio[3].on("error", () => {}); // a write after the browser ended
    }

    dispatch(message) {
        if (message.id !== undefined) {
            const call = this.pending.get(message.id);
            this.pending.delete(message.id);
            if (message.error) {
                call?.reject(new Error(`${call.method}: ${message.error.message}`));
            } else {
                call?.resolve(message.result);
            }
            return;
        }
        for (const listener of [...this.listeners]) {
            listener(message);
        }
    }

    // Sends a command, to the browser or to an attached target's session; resolves to its result.
    send(method, params = {}, sessionId = undefined) {
        if (this.exited) {
            return Promise.reject(new Error(`the browser has ended: ${method}\n${this.stderr}`));
        }
        const id = this.nextId++;
        const message = { id, method, params };
        if (sessionId) {
            message.sessionId = sessionId;
        }
        return new Promise((resolve, reject) => {
            this.pending.set(id, { resolve, reject, method });
            this.child.stdio[3].write(JSON.stringify(message) + "\0");
        });
    }

    // Resolves to the first event for which `match(params, message)` is true, counting events
    // from now; `what` names the awaited state in the error of a wait that ran out. An abort
    // of `signal` ends the wait (rejecting) when the state was found another way.
    waitForEvent(method, match, what, { timeoutMs = DEFAULT_WAIT_MS, signal } = {}) {
        return new Promise((resolve, reject) => {
            const listener = (message) => {
                if (message.method === method && match(message.params, message)) {
                    done();
                    resolve(message.params);
                }
            };
            const timer = setTimeout(() => {
                done();
                reject(new Error(`waited ${timeoutMs} ms for ${what}`));
            }, timeoutMs);
            const aborted = () => {
                done();
                reject(new Error(`no longer waiting for ${what}`));
            };
            const done = () => {
                clearTimeout(timer);
                this.listeners.delete(listener);
                signal?.removeEventListener("abort", aborted);
            };
            this.listeners.add(listener);
            signal?.addEventListener("abort", aborted);
        });
    }

    // Every event from now on, until the returned function is called.
    onEvent(listener) {
        this.listeners.add(listener);
        return () => this.listeners.delete(listener);
    }

    // Evaluates an expression in a session (and execution context, when given); resolves to
    // its value, after awaiting it when it is a promise. A thrown exception rejects.
    async evaluate(sessionId, expression, contextId = undefined) {
        const { result, exceptionDetails } = await this.send("Runtime.evaluate", {
            expression,
            contextId,
            awaitPromise: true,
            returnByValue: true,
        }, sessionId);
        if (exceptionDetails) {
            const reason = exceptionDetails.exception?.description ?? exceptionDetails.text;
            throw new Error(`evaluating ${expression.slice(0, 80)}: ${reason}`);
        }
        return result.value;
    }

    // Ends the browser and waits until it has.
    async close() {
        if (this.exited) {
            return;
        }
        const ended = new Promise((resolve) => this.child.once("exit", resolve));
        this.send("Browser.close").catch(() => {});
        const timer = setTimeout(() => this.child.kill("SIGKILL"), 10000);
        await ended;
        clearTimeout(timer);
    }
}
