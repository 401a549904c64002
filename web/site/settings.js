// The page's settings kept between visits in local storage: the engine's level and its time
// per move. Storage may be switched off or full; the page then simply starts from its defaults.
import { $, FULL_STRENGTH, LEVELS, engineLevel, engineTime } from './state.js';

const KEY = 'gravik-settings';

export function fillLevels() {
    const select = $('level');
    LEVELS.forEach((name, k) => {
        const level = k + 1;
        select.add(new Option(`${level} · ${name}`, String(level), false, level === FULL_STRENGTH));
    });
}

// Applies what was stored; values out of range are left at their defaults.
export function loadSettings() {
    let stored = null;
    try {
        stored = JSON.parse(localStorage.getItem(KEY) || 'null');
    } catch (error) {
        stored = null;
    }
    if (!stored || typeof stored !== 'object')
        return;
    const level = Number(stored.level);
    if (Number.isInteger(level) && level >= 1 && level <= FULL_STRENGTH)
        $('level').value = String(level);
    const time = Number(stored.time);
    if (Number.isFinite(time) && time > 0) {
        $('time').value = String(time);
        $('time').value = String(engineTime());
    }
}

export function saveSettings() {
    try {
        localStorage.setItem(KEY, JSON.stringify({ level: engineLevel(), time: engineTime() }));
    } catch (error) {
        // not kept: the page works the same without
    }
}
