// What the engine says about a position without playing in it: hints (one ranked list in the
// engine's time per move) and analysis (ranked candidates, updated live until the position
// changes or analysis is turned off). Also routes the engine's live lines to the report they
// belong to: the move being chosen or the analysis running.
import {
    $, ANALYSIS_STAGES, HINTS, R, analysing, engine, game, settingsLines, shown, sideToMove,
} from './state.js';
import { render, renderSoon } from './view.js';

const positionLines = () => R.boardLines(shown());

// The ranked candidates of a YXNBEST reply; on an empty board the list is empty and the move
// is the one candidate.
function ranked(reply) {
    const list = R.parseNbest(reply) || [];
    const move = R.parseMove(reply);
    if (list.length === 0 && move && move.x >= 0)
        list.push([move.x, move.y]);
    return list.slice(0, HINTS);
}

export async function requestHints(gen) {
    let reply;
    try {
        reply = await engine.send([...settingsLines(undefined, 0), 'YXBOARD', ...positionLines(),
            'DONE', `YXNBEST ${HINTS}`], { tag: gen });
    } catch (error) {
        return;
    }
    if (!reply || gen !== game.gen || !$('hints').checked || analysing())
        return;
    game.hints = ranked(reply);
    render();
}

// Thinks about the position shown for as long as it is shown, in stages of growing length:
// each decision spends its first two fifths on the threat searches, which report nothing, so a
// first short stage shows candidates soon and the later ones (on the warm hash tables) go
// deeper. A stage's candidates replace the last ones once it has gone as deep. The requests
// are quiet: the page does not count as thinking while analysis runs.
export async function startAnalysis(gen) {
    const run = { gen, id: 0, report: R.newReport(), pvs: [], depth: 0, done: false,
        side: sideToMove(), depthLine: '' };
    game.analysis = run;
    game.hints = [];
    render();
    for (const time of ANALYSIS_STAGES) {
        const request = engine.send([...settingsLines(time), 'YXBOARD', ...positionLines(),
            'DONE', `YXNBEST ${HINTS}`], { tag: gen, quiet: true });
        run.id = request.id;
        const best = run.report.best;  // shown until this stage has a best of its own
        run.report = R.newReport();
        run.report.best = best;
        const started = performance.now();
        let reply = null;
        try {
            reply = await request;
        } catch (error) {
            reply = null;
        }
        if (game.analysis !== run)
            return;
        if (!reply)
            break;
        if (run.report.pvs.length === 0) {
            const decided = R.parseDecided(reply);
            if (decided)
                run.report.pvs = [decided];
        }
        const top = run.report.pvs[0];
        // A stage the threat searches decided scores no line of its own: the candidates and
        // evaluations shown stay (an empty list in their place would show moves without one).
        if (top ? top.depth >= run.depth : run.pvs.length === 0) {
            run.pvs = run.report.pvs;
            run.depth = top ? top.depth : run.depth;
            // the candidates it scored exactly first, then the rest of its ranking
            const scored = run.pvs.map((pv) => pv.line[0]).filter(Boolean);
            const rest = ranked(reply).filter((p) => !scored.some((q) => q.join() === p.join()));
            game.hints = [...scored, ...rest].slice(0, HINTS);
            run.depthLine = R.parseDepth(reply) || '';
        }
        render();
        if (performance.now() - started < time * 0.8)
            break;  // it stopped by itself: as deep as it goes, or the result is decided
    }
    run.done = true;
    render();
}

// Ends the analysis, if one runs: the engine stops at once (or its worker is replaced).
export function stopAnalysis() {
    const run = game.analysis;
    game.analysis = null;
    if (run && !run.done)
        engine.stop(run.id);
}

export function onLive(id, line) {
    const run = game.analysis;
    let report = null;
    if (game.thinking && game.thinking.id === id)
        report = game.thinking.report;
    else if (run && run.id === id && !run.done)
        report = run.report;
    if (!report || !R.readLive(report, line))
        return;
    if (run && report === run.report && line.startsWith('INFO PV DONE') &&
        report.pvs.length > 0 && report.pvs[0].depth >= run.depth) {
        run.pvs = report.pvs;
        run.depth = report.pvs[0].depth;
        game.hints = report.pvs.map((pv) => pv.line[0]).filter(Boolean).slice(0, HINTS);
    }
    renderSoon();
}
