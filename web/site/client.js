// The engine client: the page's side of the Web Worker. Requests go to the worker in order and
// are answered in order; the lines the engine writes while it works come back at once too.
//
// A search can be stopped. Where the page is cross-origin isolated it shares a word of memory
// with the worker and writes there the id of the request to stop: the searches read it where
// they read the clock and answer at once. Elsewhere the worker is thrown away and a new one
// started; the stopped searches then answer null, and every other request waiting for an
// answer is sent again to the new worker.

export class EngineClient {
    constructor() {
        this.shared = globalThis.crossOriginIsolated === true &&
            typeof SharedArrayBuffer === 'function';
        this.stopMark = this.shared ? new Int32Array(new SharedArrayBuffer(4)) : null;
        this.worker = null;
        this.module = null;        // the engine's compiled WebAssembly.Module, once loaded
        this.pending = new Map();  // id → {text, resolve, reject, tag, quiet, lasting}
        this.nextId = 1;
        this.holds = 0;            // other work the page counts as the engine's (opening a record)
        this.ready = false;
        this.onReady = () => {};
        this.onLive = () => {};    // (id, line) for every line the engine writes
        this.onChange = () => {};  // the count of requests waiting changed
        this.onFailure = () => {};
        this.restartedAt = 0;
        this.restartMs = null;     // how long the last restart took until the engine was ready
    }

    // Requests waiting for an answer, less the quiet ones (analysis, which runs in the
    // background): while this is above zero the page counts as thinking.
    get busy() {
        let count = this.holds + (this.ready ? 0 : 1);
        for (const entry of this.pending.values())
            if (!entry.quiet) count++;
        return count;
    }

    start() {
        // ?engine=plain on the page's address asks for the engine without vector instructions.
        const plain = new URLSearchParams(globalThis.location.search).get('engine') === 'plain';
        this.worker = new Worker(plain ? 'worker.js?engine=plain' : 'worker.js');
        this.worker.onmessage = (event) => this.answer(event.data);
        this.worker.onerror = (event) => {
            event.preventDefault();
            this.onFailure(event.message || 'unknown error');
        };
        this.worker.postMessage({ init: { module: this.module, stopMark: this.stopMark } });
    }

    answer({ id, lines, live, error, module, build }) {
        if (live !== undefined) {
            this.onLive(id, live);
            return;
        }
        if (id === 0 && error) {
            this.onFailure(error);
            return;
        }
        if (id === 0) {  // the greeting: the module is loaded
            this.module = module;  // compiled once: a new worker starts from it
            document.body.dataset.engine = build;  // which of the two builds runs
            if (this.restartedAt) {
                this.restartMs = Math.round(performance.now() - this.restartedAt);
                this.restartedAt = 0;
            }
            if (!this.ready) {
                this.ready = true;
                this.onReady();
            }
            this.onChange();
            return;
        }
        const waiting = this.pending.get(id);
        if (!waiting)
            return;
        this.pending.delete(id);
        if (error)
            waiting.reject(new Error(error));
        else
            waiting.resolve(lines);
        this.onChange();
    }

    // Sends protocol lines; the promise (which carries the request's `id`) resolves to every
    // line the engine wrote for them, or to null for a search stopped by a restart. `tag`
    // marks a search (any value: the page gives the position's generation); `quiet` keeps the
    // request out of `busy`; a `lasting` search is stopped only by a stop of its own (the
    // review's): stopOthers() passes it by, and a new worker serves it again.
    send(lines, { tag = null, quiet = false, lasting = false } = {}) {
        const id = this.nextId++;
        const text = lines.join('\n') + '\n';
        const promise = new Promise((resolve, reject) => {
            this.pending.set(id, { text, resolve, reject, tag, quiet, lasting });
        });
        this.worker.postMessage({ id, text });
        promise.id = id;
        this.onChange();
        return promise;
    }

    // Stops the search `id` (and any older one still running); nothing happens to later ones.
    stop(id) {
        const entry = this.pending.get(id);
        if (!entry)
            return;
        if (this.shared) {
            if (Atomics.load(this.stopMark, 0) < id)
                Atomics.store(this.stopMark, 0, id);
        } else {
            this.restart((other, otherId) => otherId === id ||
                (other.tag !== null && !other.lasting && otherId <= id));
        }
    }

    // Whether a stop written to the shared word reaches request `id`: its answer may then be
    // cut short by a stop meant for a later search.
    stoppedAt(id) {
        return this.shared && Atomics.load(this.stopMark, 0) >= id;
    }

    // Stops every search whose tag is not `tag`.
    stopOthers(tag) {
        let last = 0;
        for (const [id, entry] of this.pending)
            if (entry.tag !== null && entry.tag !== tag && !entry.lasting) last = id;
        if (last === 0)
            return;
        if (this.shared)
            this.stop(last);
        else
            this.restart((entry) => entry.tag !== null && entry.tag !== tag && !entry.lasting);
    }

    // A new worker: the requests that `drop` picks answer null, the others go to it again.
    restart(drop) {
        this.worker.terminate();
        const dropped = [];
        for (const [id, entry] of this.pending) {
            if (drop(entry, id)) {
                this.pending.delete(id);
                dropped.push(entry);
            }
        }
        this.restartedAt = performance.now();
        this.start();
        for (const [id, entry] of this.pending)
            this.worker.postMessage({ id, text: entry.text });
        for (const entry of dropped) entry.resolve(null);
        this.onChange();
    }
}
