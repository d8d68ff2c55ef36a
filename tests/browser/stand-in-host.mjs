// Stands in for quillery-host in the browser test: speaks native messaging (a 32-bit
// little-endian length, then UTF-8 JSON, both ways) and answers every request, in order and one
// at a time as the host does, with the JSON in STATE_DIR/answer.json; while that file is not
// there, the answer waits for it, as a user's choice in the menu would. Each request, the
// arguments the browser started it with and its process's id are appended to
// STATE_DIR/requests.log, one JSON line each. It ends when the browser closes its input.
//
//     node stand-in-host.mjs STATE_DIR [arguments from the browser...]
import { appendFileSync, existsSync, readFileSync } from "node:fs";
import { join } from "node:path";

const [stateDir, ...browserArguments] = process.argv.slice(2);

async function answer(request) {
    appendFileSync(join(stateDir, "requests.log"),
        JSON.stringify({ request, arguments: browserArguments, pid: process.pid }) + "\n");
    while (!existsSync(join(stateDir, "answer.json"))) {
        await new Promise((next) => setTimeout(next, 10));
    }
    const body = Buffer.from(readFileSync(join(stateDir, "answer.json"), "utf8").trim(), "utf8");
    const length = Buffer.alloc(4);
    length.writeUInt32LE(body.length);
    process.stdout.write(Buffer.concat([length, body]));
}

let buffered = Buffer.alloc(0);
let answered = Promise.resolve();
process.stdin.on("data", (chunk) => {
    buffered = Buffer.concat([buffered, chunk]);
    while (buffered.length >= 4 && buffered.length >= 4 + buffered.readUInt32LE(0)) {
        const end = 4 + buffered.readUInt32LE(0);
        const request = JSON.parse(buffered.subarray(4, end).toString("utf8"));
        answered = answered.then(() => answer(request));
        buffered = buffered.subarray(end);
    }
});
process.stdin.on("end", () => process.exit(0));
