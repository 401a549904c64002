// What the engine says about a position without playing in it: hints (one ranked list in the
// engine's time per move) and analysis (ranked candidates, updated live until the position
// changes or analysis is turned off). Also routes the engine's live lines to the report they
// belong to: the move being chosen or the analysis running.
import {
    $, ANALYSIS_TIME, HINTS, R, analysing, engine, game, settingsLines, shown, sideToMove,
} from './state.js';
import { render, renderSoon } from './view.js';

const positionLines = () => R.boardLines(shown());

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
    game.hints = (R.parseNbest(reply) || []).slice(0, HINTS);
    render();
}

// Thinks about the position shown for as long as it is shown. The request is quiet: the page
// does not count as thinking while analysis runs, and moves can be played at any time.
export async function startAnalysis(gen) {
    const request = engine.send([...settingsLines(ANALYSIS_TIME), 'YXBOARD', ...positionLines(),
        'DONE', `YXNBEST ${HINTS}`], { tag: gen, quiet: true });
    const run = { gen, id: request.id, report: R.newReport(), done: false, side: sideToMove(),
        depthLine: '' };
    game.analysis = run;
    game.hints = [];
    render();
    let reply = null;
    try {
        reply = await request;
    } catch (error) {
        reply = null;
    }
    if (game.analysis !== run)
        return;
    run.done = true;  // the engine went as deep as it goes
    if (reply) {
        game.hints = (R.parseNbest(reply) || game.hints).slice(0, HINTS);
        run.depthLine = R.parseDepth(reply) || '';
    }
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
    if (run && report === run.report && line.startsWith('INFO PV DONE'))
        game.hints = report.pvs.map((pv) => pv.line[0]).filter(Boolean).slice(0, HINTS);
    renderSoon();
}
