#!/usr/bin/env python3
"""The playing levels, or thread counts, measured against each other: two engine processes play
whole games over the protocol, a referee judges every move, and each pair's score comes with its
margin.

Each pair plays every opening of a list twice, colours swapped, under each rule asked for, on
15x15. A level below full strength thinks with `INFO level N` and a turn time long enough for its
node budget to decide (--level-ms); full strength (level 6) gets no level and --full-ms per move.
`tN` is full strength with N search threads (`INFO thread_num N`). `random` plays a random empty
point within two points of a stone (never a renju forbidden one).

usage: tools/match.py [--engine build-levels/pbrain-gravik] [--pairs 1:2,2:3,3:4,4:5,5:6,1:random]
                      [--rules 0,4] [--openings 20] [--full-ms 200] [--level-ms 5000]
                      [--seed 1] [-v]

Two threads against one at a quarter second a move, 200 games:
    tools/match.py --engine build/pbrain-gravik --pairs t1:t2 --openings 50 --full-ms 250
"""
import argparse, math, random, resource, select, subprocess, sys, time

SIZE = 15
FULL = 6  # the top level: the engine as it plays without a level

# Three stones near the centre, black, white, black, as offsets from the centre point; white is
# to move. Each is played twice with colours swapped, so a lopsided one favours neither player.
# fmt: off
OPENINGS = [
    [(0, 0), (0, -1), (1, -1)], [(0, 0), (0, -1), (1, 0)],  [(0, 0), (0, -1), (1, 1)],
    [(0, 0), (0, -1), (0, 1)],  [(0, 0), (0, -1), (2, 0)],  [(0, 0), (0, -1), (2, -2)],
    [(0, 0), (0, -1), (2, 2)],  [(0, 0), (0, -1), (0, 2)],  [(0, 0), (0, -1), (-1, 1)],
    [(0, 0), (0, -1), (2, 1)],  [(0, 0), (1, -1), (1, 0)],  [(0, 0), (1, -1), (1, 1)],
    [(0, 0), (1, -1), (0, 1)],  [(0, 0), (1, -1), (2, 0)],  [(0, 0), (1, -1), (-1, 1)],
    [(0, 0), (1, -1), (2, 2)],  [(0, 0), (1, -1), (0, 2)],  [(0, 0), (1, -1), (2, 1)],
    [(0, 0), (1, -1), (-1, -1)], [(0, 0), (1, -1), (-2, 0)],
]
# fmt: on


def more_openings():
    """Further openings of the same kind after the list above: white beside the first stone,
    straight or diagonally, and black's second stone up to three points from the first, nearest
    first; one of each pair of mirror images, none that the list already has."""
    def key(opening):
        (_, _), (wx, wy), (bx, by) = opening
        # The mirror that keeps the first two stones: x -> -x for a straight white stone,
        # (x, y) -> (-y, -x) for a diagonal one.
        mirror = (-bx, by) if wx == 0 else (-by, -bx)
        return (wx, wy, min((bx, by), mirror))
    seen = {key(o) for o in OPENINGS}
    found = []
    for white in ((0, -1), (1, -1)):
        for bx in range(-3, 4):
            for by in range(-3, 4):
                opening = [(0, 0), white, (bx, by)]
                if (bx, by) in ((0, 0), white) or key(opening) in seen:
                    continue
                seen.add(key(opening))
                found.append(opening)
    found.sort(key=lambda o: (max(abs(o[2][0]), abs(o[2][1])), abs(o[2][0]) + abs(o[2][1])))
    return found


OPENINGS += more_openings()


def is_move(text):
    parts = text.split(",")
    return len(parts) == 2 and all(p.lstrip("-").isdigit() for p in parts)


class Engine:
    """One engine process; lines out, replies read up to a line that `done` accepts."""

    def __init__(self, path, setup):
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.buffer = b""
        self.nodes = []  # nodes of each move, from its Depth line
        self.send(setup)

    def send(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def read_until(self, done, seconds):
        deadline = time.monotonic() + seconds
        while True:
            while b"\n" in self.buffer:
                line, self.buffer = self.buffer.split(b"\n", 1)
                text = line.decode(errors="replace").strip()
                if text.startswith("MESSAGE Depth"):
                    self.nodes.append(int(text.split("Node ")[1].split()[0]))
                if done(text):
                    return text
            left = deadline - time.monotonic()
            ready, _, _ = select.select([self.proc.stdout], [], [], max(0.0, left))
            chunk = self.proc.stdout.read1(65536) if ready else b""
            if not chunk:
                raise SystemExit("engine: no reply in time" if ready == [] else "engine: exited")
            self.buffer += chunk

    def close(self):
        self.send("END\n")
        self.proc.stdin.close()
        self.proc.wait(10)


def board_lines(stones):
    """A BOARD block's lines for the side to move: 1 its own stones, 2 the other's."""
    me = len(stones) % 2
    return "".join(f"{x},{y},{1 if k % 2 == me else 2}\n" for k, (x, y) in enumerate(stones))


class EnginePlayer:
    def __init__(self, path, rule, level, level_ms, full_ms, threads=1):
        setup = f"START {SIZE}\nINFO rule {rule}\n"
        if threads != 1:
            setup += f"INFO thread_num {threads}\n"
        if level == FULL:
            setup += f"INFO timeout_turn {full_ms}\n"
        else:
            setup += f"INFO timeout_turn {level_ms}\nINFO level {level}\n"
        self.turn_ms = full_ms if level == FULL else level_ms
        self.engine = Engine(path, setup)
        self.engine.read_until(lambda t: t == "OK", 10)

    def move(self, stones, _forbidden):
        self.engine.send("BOARD\n" + board_lines(stones) + "DONE\n")
        x, y = self.engine.read_until(is_move, self.turn_ms / 1000 * 3 + 10).split(",")
        return int(x), int(y)

    def close(self):
        self.engine.close()


class RandomPlayer:
    def __init__(self, rng):
        self.rng = rng

    def move(self, stones, forbidden):
        taken = set(stones)
        near = sorted({(x + dx, y + dy) for x, y in stones for dx in range(-2, 3)
                       for dy in range(-2, 3)})
        free = [p for p in near if 0 <= p[0] < SIZE and 0 <= p[1] < SIZE and p not in taken
                and p not in forbidden]
        return self.rng.choice(free)

    def close(self):
        pass


class Referee:
    """The rule's judgement of a move: five in a row as the engine judges it, and in renju the
    first player's forbidden points, asked of an engine of its own."""

    def __init__(self, path, rule):
        self.rule = rule
        self.engine = Engine(path, f"START {SIZE}\nINFO rule {rule}\n") if rule & ~2 == 4 else None
        if self.engine:
            self.engine.read_until(lambda t: t == "OK", 10)

    def forbidden(self, stones):
        if not self.engine or len(stones) % 2 == 1:
            return set()
        self.engine.send("YXBOARD\n" + board_lines(stones) + "DONE\nYXSHOWFORBID\n")
        digits = self.engine.read_until(lambda t: t.startswith("FORBID"), 10)[7:].rstrip(".")
        return {(int(digits[k:k + 2]), int(digits[k + 2:k + 4])) for k in range(0, len(digits), 4)}

    def wins(self, stones):
        """Whether the last stone makes a winning five for its side."""
        me = (len(stones) - 1) % 2
        own = set(stones[me::2])
        other = set(stones[1 - me::2])
        x, y = stones[-1]
        for dx, dy in ((1, 0), (0, 1), (1, 1), (1, -1)):
            ahead = behind = 1
            while (x + ahead * dx, y + ahead * dy) in own:
                ahead += 1
            while (x - behind * dx, y - behind * dy) in own:
                behind += 1
            run = ahead + behind - 1
            if run < 5:
                continue
            shut = (x + ahead * dx, y + ahead * dy) in other and \
                (x - behind * dx, y - behind * dy) in other
            rule = self.rule & ~2
            if (rule == 0 or (rule == 1 and run == 5) or (rule == 4 and (run == 5 or me == 1))
                    or (rule == 8 and (run > 5 or not shut)) or (rule == 9 and run == 5
                                                                 and not shut)):
                return True
        return False

    def close(self):
        if self.engine:
            self.engine.close()


def play_game(players, referee, opening):
    """players[0] moves first (black). Returns 1, 0.5 or 0 for the first player and the moves."""
    centre = SIZE // 2
    stones = [(centre + dx, centre + dy) for dx, dy in opening]
    while len(stones) < SIZE * SIZE:
        side = len(stones) % 2
        forbidden = referee.forbidden(stones)
        x, y = players[side].move(stones, forbidden)
        if not (0 <= x < SIZE and 0 <= y < SIZE) or (x, y) in stones or (x, y) in forbidden:
            print(f"  illegal move {x},{y} after {len(stones)} stones", file=sys.stderr)
            return float(side), stones  # the mover loses
        stones.append((x, y))
        if referee.wins(stones):
            return 1.0 - side, stones
    return 0.5, stones


def make_player(who, args, rule, rng):
    if who == "random":
        return RandomPlayer(rng)
    if who.startswith("t"):
        return EnginePlayer(args.engine, rule, FULL, args.level_ms, args.full_ms, int(who[1:]))
    return EnginePlayer(args.engine, rule, int(who), args.level_ms, args.full_ms)


def run_pair(low, high, rule, args, rng, nodes):
    """The lower player's scores, one per game; each engine's nodes a move go to nodes[0] (the
    lower) and nodes[1]."""
    scores = []
    for k, opening in enumerate(OPENINGS[:args.openings]):
        for swap in (0, 1):
            pair = [make_player(low, args, rule, rng), make_player(high, args, rule, rng)]
            referee = Referee(args.engine, rule)
            result, stones = play_game(pair[::-1] if swap else pair, referee, opening)
            for side, player in enumerate(pair):
                if isinstance(player, EnginePlayer):
                    nodes[side] += player.engine.nodes
                player.close()
            referee.close()
            score = result if swap == 0 else 1.0 - result
            scores.append(score)
            if args.verbose:
                print(f"  {low} v {high} rule {rule} opening {k} {'swapped' if swap else ''}: "
                      f"{score} in {len(stones)} stones", file=sys.stderr, flush=True)
    return scores


def summary(scores):
    n = len(scores)
    mean = sum(scores) / n
    sd = math.sqrt(sum((s - mean) ** 2 for s in scores) / (n - 1)) if n > 1 else 0.0
    return mean, 2 * sd / math.sqrt(n)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--engine", default="build-levels/pbrain-gravik")
    parser.add_argument("--pairs", default="1:2,2:3,3:4,4:5,5:6,1:random",
                        help="lower:higher player pairs; a level 1..6, tN (N threads) or `random`")
    parser.add_argument("--rules", default="0,4")
    parser.add_argument("--openings", type=int, default=len(OPENINGS))
    parser.add_argument("--full-ms", type=int, default=200, help="full strength's turn time")
    parser.add_argument("--level-ms", type=int, default=5000,
                        help="turn time of the levels below full strength (their budget decides)")
    parser.add_argument("--seed", type=int, default=1, help="the random player's seed")
    parser.add_argument("-v", "--verbose", action="store_true", help="a line per game")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    started = time.monotonic()
    print("| Lower | Higher | Rule | Games | Lower +/=/- | Lower's score | ±2 SE | Nodes a move |")
    print("|---|---|---|---|---|---|---|---|")
    for pair in args.pairs.split(","):
        low, high = pair.split(":")
        every = []
        for rule in (int(r) for r in args.rules.split(",")):
            nodes = [[], []]
            scores = run_pair(low, high, rule, args, rng, nodes)
            every += scores
            mean, margin = summary(scores)
            won, drawn = scores.count(1.0), scores.count(0.5)
            average = " / ".join(f"{sum(n) // len(n)}" if n else "-" for n in nodes)
            print(f"| {low} | {high} | {rule} | {len(scores)} | "
                  f"{won}/{drawn}/{len(scores) - won - drawn} | {100 * mean:.1f} % | "
                  f"{100 * margin:.1f} | {average} |", flush=True)
        if len(args.rules.split(",")) > 1:
            mean, margin = summary(every)
            print(f"| {low} | {high} | both | {len(every)} | | {100 * mean:.1f} % | "
                  f"{100 * margin:.1f} | |", flush=True)
    cpu = resource.getrusage(resource.RUSAGE_CHILDREN)
    print(f"\n{time.monotonic() - started:.0f} s, engines' CPU {cpu.ru_utime + cpu.ru_stime:.0f} s")


if __name__ == "__main__":
    main()
